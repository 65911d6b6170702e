#include "Matrix.h"

#include "Quaternion.h"

#include <cmath>

void MatrixInit(Matrix *m)
{
    for (int i = 0; i < 16; i++)
        m->m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

Matrix MatrixFromDirectionVectors(Vector a, Vector b, Vector c)
{
    Matrix r;
    MatrixInit(&r);
    r.m[0] = a.x;
    r.m[1] = a.y;
    r.m[2] = a.z;
    r.m[4] = b.x;
    r.m[5] = b.y;
    r.m[6] = b.z;
    r.m[8] = c.x;
    r.m[9] = c.y;
    r.m[10] = c.z;
    return r;
}

void MatrixMultiply(const Matrix *a, const Matrix *b, Matrix *result)
{
    const float *x = a->m;
    const float *y = b->m;
    // All sixteen products are formed before anything is written so that the
    // result may alias either input.
    float r0 = x[0] * y[0] + x[4] * y[1] + x[8] * y[2] + x[12] * y[3];
    float r1 = x[1] * y[0] + x[5] * y[1] + x[9] * y[2] + x[13] * y[3];
    float r2 = x[2] * y[0] + x[6] * y[1] + x[10] * y[2] + x[14] * y[3];
    float r3 = x[3] * y[0] + x[7] * y[1] + x[11] * y[2] + x[15] * y[3];
    float r4 = x[0] * y[4] + x[4] * y[5] + x[8] * y[6] + x[12] * y[7];
    float r5 = x[1] * y[4] + x[5] * y[5] + x[9] * y[6] + x[13] * y[7];
    float r6 = x[2] * y[4] + x[6] * y[5] + x[10] * y[6] + x[14] * y[7];
    float r7 = x[3] * y[4] + x[7] * y[5] + x[11] * y[6] + x[15] * y[7];
    float r8 = x[0] * y[8] + x[4] * y[9] + x[8] * y[10] + x[12] * y[11];
    float r9 = x[1] * y[8] + x[5] * y[9] + x[9] * y[10] + x[13] * y[11];
    float r10 = x[2] * y[8] + x[6] * y[9] + x[10] * y[10] + x[14] * y[11];
    float r11 = x[3] * y[8] + x[7] * y[9] + x[11] * y[10] + x[15] * y[11];
    float r12 = x[0] * y[12] + x[4] * y[13] + x[8] * y[14] + x[12] * y[15];
    float r13 = x[1] * y[12] + x[5] * y[13] + x[9] * y[14] + x[13] * y[15];
    float r14 = x[2] * y[12] + x[6] * y[13] + x[10] * y[14] + x[14] * y[15];
    float r15 = x[3] * y[12] + x[7] * y[13] + x[11] * y[14] + x[15] * y[15];
    float *o = result->m;
    o[0] = r0;
    o[1] = r1;
    o[2] = r2;
    o[3] = r3;
    o[4] = r4;
    o[5] = r5;
    o[6] = r6;
    o[7] = r7;
    o[8] = r8;
    o[9] = r9;
    o[10] = r10;
    o[11] = r11;
    o[12] = r12;
    o[13] = r13;
    o[14] = r14;
    o[15] = r15;
}

void MatrixTranslate(Matrix *m, float x, float y, float z)
{
    Matrix t;
    MatrixInit(&t);
    t.m[12] = x;
    t.m[13] = y;
    t.m[14] = z;
    MatrixMultiply(m, &t, m);
}

void MatrixScale(Matrix *m, float x, float y, float z)
{
    Matrix s;
    MatrixInit(&s);
    s.m[0] = x;
    s.m[5] = y;
    s.m[10] = z;
    MatrixMultiply(m, &s, m);
}

void MatrixRotate(Matrix *m, float angle, float x, float y, float z)
{
    Quaternion q = QuaternionFromAxisAngle(VectorWithValues(x, y, z), angle * float(M_PI) / 180.0f);
    Matrix r;
    QuaternionToMatrix(&q, &r);
    MatrixMultiply(m, &r, m);
}

Vertex4f MatrixMultiplyVertex(const Matrix *m, Vertex4f v)
{
    const float *a = m->m;
    return Vertex4f{a[0] * v.x + a[4] * v.y + a[8] * v.z + a[12] * v.w,
                    a[1] * v.x + a[5] * v.y + a[9] * v.z + a[13] * v.w,
                    a[2] * v.x + a[6] * v.y + a[10] * v.z + a[14] * v.w,
                    a[3] * v.x + a[7] * v.y + a[11] * v.z + a[15] * v.w};
}

Vector MatrixMultiplyNormal(const Matrix *m, Vector n)
{
    const float *a = m->m;
    return Vector{a[0] * n.x + a[4] * n.y + a[8] * n.z, a[1] * n.x + a[5] * n.y + a[9] * n.z,
                  a[2] * n.x + a[6] * n.y + a[10] * n.z};
}
