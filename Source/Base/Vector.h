// Three-component vectors of 32-bit floats; world space has y up.
#pragma once

struct Vector {
    float x, y, z;
};

void VectorInit(Vector *v);
Vector VectorWithValues(float x, float y, float z);
Vector VectorAdd(Vector a, Vector b);
Vector VectorSubtract(Vector a, Vector b);
float VectorDot(Vector a, Vector b);
Vector VectorCross(Vector a, Vector b);
float VectorMagnitudeSquared(Vector v);
float VectorMagnitude(Vector v);
// Divides v by its length in place and returns it.  A zero vector stays zero.
Vector VectorNormalize(Vector *v);
