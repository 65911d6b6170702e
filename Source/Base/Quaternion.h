// Rotations as quaternions (x, y, z, w): vector part first, scalar last.
#pragma once

#include "Matrix.h"
#include "Vector.h"

struct Quaternion {
    float x, y, z, w;
};

void QuaternionInit(Quaternion *q);
Quaternion QuaternionWithValues(float x, float y, float z, float w);
Quaternion QuaternionFromVector(const Vector *v);
Vector QuaternionToVector(const Quaternion *q);
// Hamilton product a (x) b, written out component by component.
Quaternion QuaternionMultiply(const Quaternion *a, const Quaternion *b);
// The same product formed from the vector parts.
Quaternion QuaternionProduct(const Quaternion *a, const Quaternion *b);
Quaternion QuaternionInvert(Quaternion *q);
Quaternion QuaternionNormalize(Quaternion *q);
// Vector part of q^-1 (x) v (x) q.
Vector QuaternionMultiplyVector(const Quaternion *q, const Vector *v);
void QuaternionToMatrix(const Quaternion *q, Matrix *m);
void QuaternionApply(const Quaternion *q);
Quaternion QuaternionFromMatrix(const Matrix *m);
// Angle in radians; the axis is normalised first.
Quaternion QuaternionFromAxisAngle(Vector axis, float angle);
void QuaternionToAxisAngle(Quaternion q, Vector *axis, float *angle);
void QuaternionRotate(Quaternion *q, Vector axis, float angle);
Quaternion QuaternionSLERP(Quaternion a, Quaternion b, float t);
