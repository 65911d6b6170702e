#pragma once

#include "Types.h"

#include <cstdint>

enum ModelKind : int32_t { kModelKindNone = 0, kModelKindStatic = 1, kModelKindSkeleton = 2,
                           kModelKindBody = 3, kModelKindAnimation = 4, kModelKindShader = 5 };
struct Model { int32_t kind; FourCharCode identifier; char fileName[256]; void *data; };
Model *ModelGetModelByIdentifier(int32_t kind, FourCharCode identifier);
