#pragma once

#include "Types.h"

struct StaticModel;
void StaticModelDraw(StaticModel *model, float opacity);
AABB StaticModelGetBounds(StaticModel *model);
