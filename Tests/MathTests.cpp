#include "Matrix.h"
#include "Quaternion.h"
#include "Random.h"
#include "Types.h"
#include "Vector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

void ExpectNear(const std::vector<float> &actual, const std::vector<float> &expected, float e = 1e-6f)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); i++)
        EXPECT_NEAR(actual[i], expected[i], e) << "component " << i;
}

std::vector<float> V(Vector v)
{
    return {v.x, v.y, v.z};
}

std::vector<float> V(Quaternion q)
{
    return {q.x, q.y, q.z, q.w};
}

std::vector<float> V(Vertex4f v)
{
    return {v.x, v.y, v.z, v.w};
}

} // namespace

TEST(Vector, Arithmetic)
{
    Vector a = VectorWithValues(1, 2, 3), b = VectorWithValues(4, -5, 6);
    ExpectNear(V(VectorAdd(a, b)), {5, -3, 9});
    ExpectNear(V(VectorSubtract(a, b)), {-3, 7, -3});
    EXPECT_FLOAT_EQ(VectorDot(a, b), 4 - 10 + 18);
    // Right-handed: x cross y is z.
    ExpectNear(V(VectorCross(VectorWithValues(1, 0, 0), VectorWithValues(0, 1, 0))), {0, 0, 1});
    ExpectNear(V(VectorCross(a, b)), {2 * 6 - 3 * -5, 3 * 4 - 1 * 6, 1 * -5 - 2 * 4});
    EXPECT_FLOAT_EQ(VectorMagnitudeSquared(a), 14);
    Vector v = VectorWithValues(3, 0, 4);
    EXPECT_FLOAT_EQ(VectorMagnitude(v), 5);
    ExpectNear(V(VectorNormalize(&v)), {0.6f, 0, 0.8f});
    ExpectNear(V(v), {0.6f, 0, 0.8f});
    Vector zero;
    VectorInit(&zero);
    ExpectNear(V(VectorNormalize(&zero)), {0, 0, 0});
}

TEST(Matrix, MultiplyIsColumnMajorAndMayWriteIntoAnInput)
{
    Matrix a, b, expected;
    for (int i = 0; i < 16; i++)
        a.m[i] = 1.0f + float(i), b.m[i] = -3.0f + float(i);
    for (int c = 0; c < 4; c++)
        for (int r = 0; r < 4; r++) {
            expected.m[4 * c + r] = 0;
            for (int k = 0; k < 4; k++)
                expected.m[4 * c + r] += a.m[4 * k + r] * b.m[4 * c + k];
        }
    Matrix intoA = a, intoB = b;
    MatrixMultiply(&intoA, &b, &intoA);
    MatrixMultiply(&a, &intoB, &intoB);
    std::vector<float> want(expected.m, expected.m + 16);
    ExpectNear(std::vector<float>(intoA.m, intoA.m + 16), want);
    ExpectNear(std::vector<float>(intoB.m, intoB.m + 16), want);
}

TEST(Matrix, TranslateScaleRotatePostMultiply)
{
    Matrix m, r;
    MatrixInit(&m);
    MatrixTranslate(&m, 1, 2, 3);
    MatrixScale(&m, 2, 2, 2);
    // Scale applies first, then the translation.
    ExpectNear(V(MatrixMultiplyVertex(&m, Vertex4f{1, 1, 1, 1})), {3, 4, 5, 1});
    ExpectNear(V(MatrixMultiplyNormal(&m, VectorWithValues(1, 0, 0))), {2, 0, 0});
    MatrixInit(&r);
    MatrixRotate(&r, 90, 0, 0, 1);
    ExpectNear(V(MatrixMultiplyVertex(&r, Vertex4f{1, 0, 0, 1})), {0, 1, 0, 1});
}

// Which way a quaternion turns a vector, and its matrix a vertex, is pinned by
// the camera's orbit and the skeleton's skinning; slerp by the animation's
// blending.
TEST(Quaternion, ProductsAgreeAndInverseGivesIdentity)
{
    Quaternion a = QuaternionWithValues(0.1f, 0.2f, 0.3f, 0.9f);
    Quaternion b = QuaternionWithValues(-0.4f, 0.5f, 0.1f, 0.7f);
    ExpectNear(V(QuaternionMultiply(&a, &b)), V(QuaternionProduct(&a, &b)));
    Quaternion inverse = a;
    QuaternionInvert(&inverse);
    ExpectNear(V(QuaternionMultiply(&a, &inverse)), {0, 0, 0, 1});
}

TEST(Quaternion, MatrixRoundTripGivesConjugate)
{
    Quaternion q = QuaternionFromAxisAngle(VectorWithValues(1, 2, 3), 0.8f);
    Matrix m;
    QuaternionToMatrix(&q, &m);
    ExpectNear(V(QuaternionFromMatrix(&m)), {-q.x, -q.y, -q.z, q.w}, 1e-5f);
    // A half turn about x picks the x branch of the extraction.
    Quaternion half = QuaternionFromAxisAngle(VectorWithValues(1, 0, 0), float(M_PI));
    QuaternionToMatrix(&half, &m);
    Quaternion back = QuaternionFromMatrix(&m);
    ExpectNear({std::fabs(back.x), back.w}, {1, 0}, 1e-5f);
}

TEST(Quaternion, AxisAngle)
{
    Vector axis;
    float angle = -1;
    QuaternionToAxisAngle(QuaternionWithValues(0, 0, 0, 1), &axis, &angle);
    ExpectNear({axis.x, axis.y, axis.z, angle}, {0, 0, 0, 0});
    QuaternionToAxisAngle(QuaternionFromAxisAngle(VectorWithValues(0, 2, 0), 1.0f), &axis, &angle);
    ExpectNear({axis.x, axis.y, axis.z, angle}, {0, 1, 0, 1}, 1e-5f);
    // Two rotations by half a radian add up to one.
    Quaternion r;
    QuaternionInit(&r);
    QuaternionRotate(&r, VectorWithValues(0, 1, 0), 0.5f);
    QuaternionRotate(&r, VectorWithValues(0, 1, 0), 0.5f);
    QuaternionToAxisAngle(r, &axis, &angle);
    EXPECT_NEAR(angle, 1.0f, 1e-5f);
}

TEST(Random, SequenceAfterSeedingZeroAndRepeatsForASeed)
{
    sdrand(0);
    EXPECT_EQ((std::vector<int32_t>{irand(), irand(), irand()}), (std::vector<int32_t>{-65537, -131075, -393223}));
    sdrand(0);
    EXPECT_EQ((std::vector<int32_t>{uirand(), uirand(), uirand()}),
              (std::vector<int32_t>{0x7FFEFFFF, 0x7FFDFFFD, 0x7FF9FFF9}));
    sdrand(77);
    int32_t first = irand();
    sdrand(77);
    EXPECT_EQ(irand(), first);
}

TEST(Random, FloatRanges)
{
    sdrand(12345);
    bool sawNegative = false;
    for (int i = 0; i < 2000; i++) {
        float u = ufrand(1.0f), f = frand(1.0f);
        EXPECT_TRUE(u >= 0.0f && u <= 1.0f) << u;
        EXPECT_TRUE(f >= -1.0f && f <= 1.0f) << f;
        sawNegative = sawNegative || f < 0;
    }
    EXPECT_TRUE(sawNegative);
}
