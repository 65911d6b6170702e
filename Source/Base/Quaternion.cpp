#include "Quaternion.h"

#include <cmath>

void QuaternionInit(Quaternion *q)
{
    *q = Quaternion{0.0f, 0.0f, 0.0f, 1.0f};
}

Quaternion QuaternionWithValues(float x, float y, float z, float w)
{
    return Quaternion{x, y, z, w};
}

Quaternion QuaternionFromVector(const Vector *v)
{
    return Quaternion{v->x, v->y, v->z, 0.0f};
}

Vector QuaternionToVector(const Quaternion *q)
{
    return Vector{q->x, q->y, q->z};
}

Quaternion QuaternionMultiply(const Quaternion *a, const Quaternion *b)
{
    Quaternion r;
    r.w = a->w * b->w - a->x * b->x - a->y * b->y - a->z * b->z;
    r.x = a->w * b->x + a->x * b->w + a->y * b->z - a->z * b->y;
    r.y = a->w * b->y - a->x * b->z + a->y * b->w + a->z * b->x;
    r.z = a->w * b->z + a->x * b->y - a->y * b->x + a->z * b->w;
    return r;
}

Quaternion QuaternionProduct(const Quaternion *a, const Quaternion *b)
{
    Vector av = QuaternionToVector(a);
    Vector bv = QuaternionToVector(b);
    Vector cross = VectorCross(av, bv);
    Quaternion r;
    r.w = a->w * b->w - VectorDot(av, bv);
    r.x = b->w * av.x + a->w * bv.x + cross.x;
    r.y = b->w * av.y + a->w * bv.y + cross.y;
    r.z = b->w * av.z + a->w * bv.z + cross.z;
    return r;
}

Quaternion QuaternionInvert(Quaternion *q)
{
    float n = q->x * q->x + q->y * q->y + q->z * q->z + q->w * q->w;
    q->x = -q->x / n;
    q->y = -q->y / n;
    q->z = -q->z / n;
    q->w = q->w / n;
    return *q;
}

Quaternion QuaternionNormalize(Quaternion *q)
{
    float n = std::sqrt(q->x * q->x + q->y * q->y + q->z * q->z + q->w * q->w);
    // A zero quaternion stays zero instead of becoming NaN.
    if (n > 0.0f) {
        q->x /= n;
        q->y /= n;
        q->z /= n;
        q->w /= n;
    }
    return *q;
}

Vector QuaternionMultiplyVector(const Quaternion *q, const Vector *v)
{
    Quaternion inverse = *q;
    QuaternionInvert(&inverse);
    Quaternion p = QuaternionFromVector(v);
    Quaternion t = QuaternionMultiply(&inverse, &p);
    Quaternion r = QuaternionMultiply(&t, q);
    return QuaternionToVector(&r);
}

void QuaternionToMatrix(const Quaternion *q, Matrix *m)
{
    float x = q->x, y = q->y, z = q->z, w = q->w;
    float *a = m->m;
    a[0] = 1.0f - 2.0f * (y * y + z * z);
    a[1] = 2.0f * (x * y + z * w);
    a[2] = 2.0f * (x * z - y * w);
    a[3] = 0.0f;
    a[4] = 2.0f * (x * y - z * w);
    a[5] = 1.0f - 2.0f * (x * x + z * z);
    a[6] = 2.0f * (y * z + x * w);
    a[7] = 0.0f;
    a[8] = 2.0f * (x * z + y * w);
    a[9] = 2.0f * (y * z - x * w);
    a[10] = 1.0f - 2.0f * (x * x + y * y);
    a[11] = 0.0f;
    a[12] = a[13] = a[14] = 0.0f;
    a[15] = 1.0f;
}

Quaternion QuaternionFromMatrix(const Matrix *m)
{
    const float *a = m->m;
    float d0 = a[0], d1 = a[5], d2 = a[10];
    float t[4] = {(1.0f + d0 + d1 + d2) / 4.0f, (1.0f + d0 - d1 - d2) / 4.0f,
                  (1.0f - d0 + d1 - d2) / 4.0f, (1.0f - d0 - d1 + d2) / 4.0f};
    int index = 0;
    for (int i = 1; i < 4; i++)
        if (t[i] > t[index])
            index = i;
    float root = std::sqrt(t[index]);
    float s = 4.0f * root;
    Quaternion q;
    switch (index) {
    case 0:
        q.w = root;
        q.x = (a[9] - a[6]) / s;
        q.y = (a[2] - a[8]) / s;
        q.z = (a[4] - a[1]) / s;
        break;
    case 1:
        q.x = root;
        q.y = (a[1] + a[4]) / s;
        q.z = (a[2] + a[8]) / s;
        q.w = (a[9] - a[6]) / s;
        break;
    case 2:
        q.y = root;
        q.x = (a[1] + a[4]) / s;
        q.z = (a[6] + a[9]) / s;
        q.w = (a[2] - a[8]) / s;
        break;
    default:
        q.z = root;
        q.x = (a[1] + a[4]) / s;
        q.y = (a[6] + a[9]) / s;
        q.w = (a[4] - a[1]) / s;
        break;
    }
    return q;
}

Quaternion QuaternionFromAxisAngle(Vector axis, float angle)
{
    VectorNormalize(&axis);
    float s = std::sin(angle / 2.0f);
    return Quaternion{s * axis.x, s * axis.y, s * axis.z, std::cos(angle / 2.0f)};
}

void QuaternionToAxisAngle(Quaternion q, Vector *axis, float *angle)
{
    QuaternionNormalize(&q);
    float w = q.w;
    // Rounding may push |w| a hair past 1; clamp so sqrt and acos stay real.
    if (w > 1.0f)
        w = 1.0f;
    if (w < -1.0f)
        w = -1.0f;
    float s = std::sqrt(1.0f - w * w);
    if (std::fabs(s) < 0.0005f)
        s = 1.0f;
    *axis = Vector{q.x / s, q.y / s, q.z / s};
    *angle = 2.0f * std::acos(w);
}

void QuaternionRotate(Quaternion *q, Vector axis, float angle)
{
    Quaternion turn = QuaternionFromAxisAngle(axis, angle);
    *q = QuaternionProduct(q, &turn);
}

Quaternion QuaternionSLERP(Quaternion a, Quaternion b, float t)
{
    float cosTheta = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    float k0, k1;
    if (1.0f - cosTheta > 0.01f) {
        float c = std::fabs(cosTheta);
        if (c > 1.0f)
            c = 1.0f;
        float theta = std::acos(c);
        float sinTheta = std::sin(theta);
        if (sinTheta > 0.0f) {
            float s = 1.0f / sinTheta;
            k0 = std::sin(theta * (1.0f - t)) * s;
            k1 = std::sin(theta * t) * s;
        } else {
            // Exactly opposite inputs: theta is 0 and the weights fall back
            // to the linear ones instead of dividing by zero.
            k0 = 1.0f - t;
            k1 = t;
        }
        if (cosTheta < 0.0f)
            k0 = -k0;
    } else {
        k0 = 1.0f - t;
        k1 = t;
    }
    Quaternion r{k0 * a.x + k1 * b.x, k0 * a.y + k1 * b.y, k0 * a.z + k1 * b.z, k0 * a.w + k1 * b.w};
    return QuaternionNormalize(&r);
}
