// The matrix and quaternion functions that work on the current drawing
// context.
#include "Matrix.h"
#include "Quaternion.h"

#include <GL/gl.h>

void MatrixApply(const Matrix *m)
{
    glMultMatrixf(m->m);
}

void MatrixApplyBillboard()
{
    float mv[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, mv);
    mv[0] = mv[5] = mv[10] = 1.0f;
    mv[1] = mv[2] = mv[4] = mv[6] = mv[8] = mv[9] = 0.0f;
    glLoadMatrixf(mv);
}

void QuaternionApply(const Quaternion *q)
{
    Matrix m;
    QuaternionToMatrix(q, &m);
    MatrixApply(&m);
}
