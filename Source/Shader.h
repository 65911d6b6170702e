#pragma once

#include "Types.h"

struct Shader;
bool ShaderApplyByIdentifier(FourCharCode identifier);
void ShaderDisable();
