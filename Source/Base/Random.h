// The program's own pseudo-random generator: two 32-bit words, arithmetic
// modulo 2^32.  Deterministic for a given seed.
#pragma once

#include <cstdint>

void sdrand(int32_t seed);
// 0 to 2^31 - 1.
int32_t uirand();
// Full signed 32-bit range.
int32_t irand();
// [0, range).
float ufrand(float range);
// [-range, range).
float frand(float range);
