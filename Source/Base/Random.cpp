#include "Random.h"

static uint32_t high = 0xFFFFFFFFu;
static uint32_t low = 0;

void sdrand(int32_t seed)
{
    low = uint32_t(seed);
    high = ~uint32_t(seed);
}

// One step of the generator; returns the new high word.
static uint32_t RandomStep()
{
    // The right shift is arithmetic (sign-extending), done on the signed word.
    uint32_t shiftedRight = uint32_t(int32_t(high) >> 16);
    uint32_t h = (high << 16) + shiftedRight + low;
    uint32_t oldLow = low;
    high = h;
    low = h + oldLow;
    return h;
}

int32_t uirand()
{
    return int32_t(RandomStep() & 0x7FFFFFFFu);
}

int32_t irand()
{
    return int32_t(RandomStep());
}

float ufrand(float range)
{
    float r = float(uirand()) * range;
    return r * 4.656613e-10f;
}

float frand(float range)
{
    float r = float(irand()) * range;
    return r * 4.656613e-10f;
}
