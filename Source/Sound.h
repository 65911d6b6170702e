#pragma once

#include <cstdint>

void SoundStartUp(); void SoundShutDown(); void SoundPlay(int32_t index);
void SoundSetEnabled(bool enabled); bool SoundIsEnabled();
