#include "Vector.h"

#include <cmath>

void VectorInit(Vector *v)
{
    v->x = 0.0f;
    v->y = 0.0f;
    v->z = 0.0f;
}

Vector VectorWithValues(float x, float y, float z)
{
    return Vector{x, y, z};
}

Vector VectorAdd(Vector a, Vector b)
{
    return Vector{a.x + b.x, a.y + b.y, a.z + b.z};
}

Vector VectorSubtract(Vector a, Vector b)
{
    return Vector{a.x - b.x, a.y - b.y, a.z - b.z};
}

float VectorDot(Vector a, Vector b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vector VectorCross(Vector a, Vector b)
{
    return Vector{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float VectorMagnitudeSquared(Vector v)
{
    return v.x * v.x + v.y * v.y + v.z * v.z;
}

float VectorMagnitude(Vector v)
{
    return std::sqrt(VectorMagnitudeSquared(v));
}

Vector VectorNormalize(Vector *v)
{
    float m = VectorMagnitude(*v);
    // Guarded so that a zero vector never turns into NaNs that would spread
    // through the simulation.
    if (m > 0.0f) {
        v->x /= m;
        v->y /= m;
        v->z /= m;
    }
    return *v;
}
