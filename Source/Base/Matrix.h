// 4 x 4 matrices of 32-bit floats in column-major order: element (row r,
// column c) is at index 4c + r, the translation at 12, 13, 14.
#pragma once

#include "Vector.h"

struct Matrix {
    float m[16];
};

// A homogeneous vertex (x, y, z, w).
struct Vertex4f {
    float x, y, z, w;
};

void MatrixInit(Matrix *m);
Matrix MatrixFromDirectionVectors(Vector a, Vector b, Vector c);
// result = a x b; result may be a or b.
void MatrixMultiply(const Matrix *a, const Matrix *b, Matrix *result);
void MatrixTranslate(Matrix *m, float x, float y, float z);
void MatrixScale(Matrix *m, float x, float y, float z);
// Angle in degrees; the axis need not be unit length.
void MatrixRotate(Matrix *m, float angle, float x, float y, float z);
Vertex4f MatrixMultiplyVertex(const Matrix *m, Vertex4f v);
Vector MatrixMultiplyNormal(const Matrix *m, Vector n);
// Multiplies the current OpenGL matrix by m.
void MatrixApply(const Matrix *m);
// Replaces the rotation of the current model-view matrix by the identity so
// that what is drawn next faces the viewer.
void MatrixApplyBillboard();
