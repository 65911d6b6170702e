#include "Matrix.h"
#include "Quaternion.h"
#include "Random.h"
#include "Types.h"
#include "Vector.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void ExpectVectorNear(Vector v, float x, float y, float z)
{
    EXPECT_NEAR(v.x, x, 1e-6f);
    EXPECT_NEAR(v.y, y, 1e-6f);
    EXPECT_NEAR(v.z, z, 1e-6f);
}

void ExpectQuaternionNear(Quaternion q, float x, float y, float z, float w, float e = 1e-6f)
{
    EXPECT_NEAR(q.x, x, e);
    EXPECT_NEAR(q.y, y, e);
    EXPECT_NEAR(q.z, z, e);
    EXPECT_NEAR(q.w, w, e);
}

Matrix Sequence(float start)
{
    Matrix m;
    for (int i = 0; i < 16; i++)
        m.m[i] = start + float(i);
    return m;
}

} // namespace

TEST(Vector, Arithmetic)
{
    Vector a = VectorWithValues(1, 2, 3), b = VectorWithValues(4, -5, 6);
    ExpectVectorNear(VectorAdd(a, b), 5, -3, 9);
    ExpectVectorNear(VectorSubtract(a, b), -3, 7, -3);
    EXPECT_FLOAT_EQ(VectorDot(a, b), 4 - 10 + 18);
    // Right-handed: x cross y is z.
    ExpectVectorNear(VectorCross(VectorWithValues(1, 0, 0), VectorWithValues(0, 1, 0)), 0, 0, 1);
    ExpectVectorNear(VectorCross(a, b), 2 * 6 - 3 * -5, 3 * 4 - 1 * 6, 1 * -5 - 2 * 4);
    EXPECT_FLOAT_EQ(VectorMagnitudeSquared(a), 14);
    Vector v = VectorWithValues(3, 0, 4);
    EXPECT_FLOAT_EQ(VectorMagnitude(v), 5);
    ExpectVectorNear(VectorNormalize(&v), 0.6f, 0, 0.8f);
    ExpectVectorNear(v, 0.6f, 0, 0.8f);
    Vector zero;
    VectorInit(&zero);
    ExpectVectorNear(VectorNormalize(&zero), 0, 0, 0);
}

TEST(Matrix, MultiplyIsColumnMajorAndMayWriteIntoAnInput)
{
    Matrix a = Sequence(1), b = Sequence(-3);
    Matrix expected;
    for (int c = 0; c < 4; c++)
        for (int r = 0; r < 4; r++) {
            float sum = 0;
            for (int k = 0; k < 4; k++)
                sum += a.m[4 * k + r] * b.m[4 * c + k];
            expected.m[4 * c + r] = sum;
        }
    Matrix intoA = a;
    MatrixMultiply(&intoA, &b, &intoA);
    Matrix intoB = b;
    MatrixMultiply(&a, &intoB, &intoB);
    for (int i = 0; i < 16; i++) {
        EXPECT_FLOAT_EQ(intoA.m[i], expected.m[i]) << i;
        EXPECT_FLOAT_EQ(intoB.m[i], expected.m[i]) << i;
    }
}

TEST(Matrix, TranslateScaleRotatePostMultiply)
{
    Matrix m;
    MatrixInit(&m);
    MatrixTranslate(&m, 1, 2, 3);
    MatrixScale(&m, 2, 2, 2);
    Vertex4f v = MatrixMultiplyVertex(&m, Vertex4f{1, 1, 1, 1});
    // Scale applies first, then the translation.
    ExpectQuaternionNear(Quaternion{v.x, v.y, v.z, v.w}, 3, 4, 5, 1);
    Vector n = MatrixMultiplyNormal(&m, VectorWithValues(1, 0, 0));
    ExpectVectorNear(n, 2, 0, 0);

    Matrix r;
    MatrixInit(&r);
    MatrixRotate(&r, 90, 0, 0, 1);
    Vertex4f turned = MatrixMultiplyVertex(&r, Vertex4f{1, 0, 0, 1});
    ExpectQuaternionNear(Quaternion{turned.x, turned.y, turned.z, turned.w}, 0, 1, 0, 1);
}

TEST(Quaternion, ProductsAgree)
{
    Quaternion a = QuaternionWithValues(0.1f, 0.2f, 0.3f, 0.9f);
    Quaternion b = QuaternionWithValues(-0.4f, 0.5f, 0.1f, 0.7f);
    Quaternion m = QuaternionMultiply(&a, &b);
    Quaternion p = QuaternionProduct(&a, &b);
    ExpectQuaternionNear(m, p.x, p.y, p.z, p.w);
    // q times its inverse is the identity.
    Quaternion inverse = a;
    QuaternionInvert(&inverse);
    Quaternion one = QuaternionMultiply(&a, &inverse);
    EXPECT_NEAR(one.x, 0, 1e-6f);
    EXPECT_NEAR(one.w, 1, 1e-6f);
}

TEST(Quaternion, MultiplyVectorTurnsTheInverseWay)
{
    Quaternion q = QuaternionFromAxisAngle(VectorWithValues(0, 0, 1), float(M_PI) / 2);
    Vector v = VectorWithValues(1, 0, 0);
    ExpectVectorNear(QuaternionMultiplyVector(&q, &v), 0, -1, 0);
    // Its matrix turns the other way.
    Matrix m;
    QuaternionToMatrix(&q, &m);
    Vertex4f turned = MatrixMultiplyVertex(&m, Vertex4f{1, 0, 0, 1});
    EXPECT_NEAR(turned.y, 1, 1e-6f);
}

TEST(Quaternion, MatrixRoundTripGivesConjugate)
{
    Quaternion q = QuaternionFromAxisAngle(VectorWithValues(1, 2, 3), 0.8f);
    Matrix m;
    QuaternionToMatrix(&q, &m);
    Quaternion back = QuaternionFromMatrix(&m);
    ExpectQuaternionNear(back, -q.x, -q.y, -q.z, q.w, 1e-5f);
    // A half turn about x picks the x branch of the extraction.
    Quaternion half = QuaternionFromAxisAngle(VectorWithValues(1, 0, 0), float(M_PI));
    QuaternionToMatrix(&half, &m);
    back = QuaternionFromMatrix(&m);
    EXPECT_NEAR(std::fabs(back.x), 1, 1e-5f);
    EXPECT_NEAR(back.w, 0, 1e-5f);
}

TEST(Quaternion, AxisAngle)
{
    Vector axis;
    float angle = -1;
    QuaternionToAxisAngle(QuaternionWithValues(0, 0, 0, 1), &axis, &angle);
    ExpectVectorNear(axis, 0, 0, 0);
    EXPECT_FLOAT_EQ(angle, 0);
    Quaternion q = QuaternionFromAxisAngle(VectorWithValues(0, 2, 0), 1.0f);
    QuaternionToAxisAngle(q, &axis, &angle);
    ExpectVectorNear(axis, 0, 1, 0);
    EXPECT_NEAR(angle, 1.0f, 1e-5f);

    Quaternion r;
    QuaternionInit(&r);
    QuaternionRotate(&r, VectorWithValues(0, 1, 0), 0.5f);
    QuaternionRotate(&r, VectorWithValues(0, 1, 0), 0.5f);
    QuaternionToAxisAngle(r, &axis, &angle);
    EXPECT_NEAR(angle, 1.0f, 1e-5f);
}

TEST(Quaternion, SlerpOfEqualInputsIsTheInput)
{
    Quaternion a = QuaternionFromAxisAngle(VectorWithValues(0.3f, 1, 0), 1.2f);
    for (float t : {0.0f, 0.25f, 0.5f, 1.0f})
        ExpectQuaternionNear(QuaternionSLERP(a, a, t), a.x, a.y, a.z, a.w);
    // Halfway between identity and a quarter turn is an eighth turn.
    Quaternion identity;
    QuaternionInit(&identity);
    Quaternion quarter = QuaternionFromAxisAngle(VectorWithValues(0, 0, 1), float(M_PI) / 2);
    Quaternion mid = QuaternionSLERP(identity, quarter, 0.5f);
    Quaternion eighth = QuaternionFromAxisAngle(VectorWithValues(0, 0, 1), float(M_PI) / 4);
    EXPECT_NEAR(mid.z, eighth.z, 1e-5f);
    EXPECT_NEAR(mid.w, eighth.w, 1e-5f);
}

TEST(Random, SequenceAfterSeedingZero)
{
    sdrand(0);
    EXPECT_EQ(irand(), -65537);
    EXPECT_EQ(irand(), -131075);
    EXPECT_EQ(irand(), -393223);
    sdrand(0);
    EXPECT_EQ(uirand(), 0x7FFEFFFF);
    EXPECT_EQ(uirand(), 0x7FFDFFFD);
    EXPECT_EQ(uirand(), 0x7FF9FFF9);
}

TEST(Random, FloatRanges)
{
    sdrand(12345);
    bool sawNegative = false;
    for (int i = 0; i < 2000; i++) {
        float u = ufrand(1.0f);
        EXPECT_GE(u, 0.0f);
        EXPECT_LE(u, 1.0f);
        float f = frand(1.0f);
        EXPECT_GE(f, -1.0f);
        EXPECT_LE(f, 1.0f);
        sawNegative = sawNegative || f < 0;
    }
    EXPECT_TRUE(sawNegative);
    // The same seed gives the same sequence.
    sdrand(77);
    int32_t first = irand();
    sdrand(77);
    EXPECT_EQ(irand(), first);
}
