#include "CameraController.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const float kPi = float(M_PI);

float Distance(Vector a, Vector b)
{
    return VectorMagnitude(VectorSubtract(a, b));
}

// The game's usual set-up: camera above and behind the feet, focus on the head.
CameraController *GameCamera(Vector feet)
{
    CameraController *c = CameraControllerAllocate(kCameraFollowDirection);
    CameraControllerSetCameraPos(c, feet.x, feet.y + 15, feet.z - 30);
    CameraControllerSetFocusPoint(c, feet.x, feet.y + 5.6f, feet.z);
    CameraControllerSetFocusDirection(c, VectorWithValues(0, 0, -1));
    return c;
}

void Advance(CameraController *c, int steps)
{
    for (int i = 0; i < steps; i++)
        CameraControllerRun(c, 1 / 120.0f);
}

} // namespace

TEST(Camera, LookAtOrbitAndFaceVectorPlaceTheCamera)
{
    Camera *camera = CameraAllocate();
    // Looking down at a point keeps up upright.
    camera->position = VectorWithValues(0, 10, 10);
    CameraLookAtPoint(camera, VectorWithValues(0, 0, 0));
    EXPECT_NEAR(camera->forward.y, -std::sqrt(0.5f), 1e-6f);
    EXPECT_NEAR(camera->forward.z, -std::sqrt(0.5f), 1e-6f);
    EXPECT_GT(camera->up.y, 0);
    EXPECT_NEAR(VectorDot(camera->up, camera->forward), 0, 1e-6f);
    // An orbit turns clockwise seen from the axis tip: from above, +x goes to +z.
    camera->position = VectorWithValues(10, 0, 0);
    CameraOrbitPoint(camera, VectorWithValues(0, 0, 0), VectorWithValues(0, 1, 0), kPi / 2);
    EXPECT_NEAR(Distance(camera->position, VectorWithValues(0, 0, 10)), 0, 1e-5f);
    // Facing a vector puts the camera on the point's far side at its distance;
    // at the point itself, at point + face.
    camera->position = VectorWithValues(0, 0, 5);
    CameraOrbitPointToFaceVector(camera, VectorWithValues(0, 0, 0), VectorWithValues(1, 0, 0));
    EXPECT_NEAR(camera->position.x, -5, 1e-6f);
    camera->position = VectorWithValues(2, 2, 2);
    CameraOrbitPointToFaceVector(camera, VectorWithValues(2, 2, 2), VectorWithValues(0, 0, -1));
    EXPECT_FLOAT_EQ(camera->position.z, 1);
    CameraDispose(camera);
    CameraDispose(nullptr);
}

TEST(CameraController, YawRateBuildsToLimitAndDecays)
{
    CameraController *c = CameraControllerAllocate(kCameraFreeOrbit);
    CameraControllerSetCameraPos(c, 0, 10, 30);
    CameraControllerSetFocusPoint(c, 0, 0, 0);
    CameraControllerUserActionStart(c, 2);
    Advance(c, 39);
    EXPECT_LT(c->yawRate, kPi / 80);
    Advance(c, 1);
    EXPECT_NEAR(c->yawRate, kPi / 80, 1e-6f);
    Advance(c, 1);
    EXPECT_NEAR(c->yawRate, kPi / 80, 1e-6f); // never above
    CameraControllerUserActionStop(c, 2);
    EXPECT_EQ(c->yawAction, 0);
    Advance(c, 10);
    EXPECT_EQ(c->yawRate, 0.0f);
    CameraControllerDispose(c);
}

TEST(CameraController, GameModeRefusesYawAndZoomStopsEightUnitsFromTheFollowedPoint)
{
    CameraController *c = GameCamera(VectorWithValues(30, 0, 30));
    CameraControllerUserActionStart(c, 1);
    EXPECT_EQ(c->yawAction, 0);
    c->yawAction = 2;
    CameraControllerUserActionStop(c, 1); // another code of the group: kept
    EXPECT_EQ(c->yawAction, 2);
    CameraControllerUserActionStop(c, 2); // but a stop still clears
    EXPECT_EQ(c->yawAction, 0);
    CameraControllerUserActionStart(c, 7); // above 6: ignored
    EXPECT_EQ(c->zoomAction, 0);
    CameraControllerUserActionStart(c, 6);
    CameraControllerUserActionStart(c, 5); // replaces the held one
    EXPECT_EQ(c->zoomAction, 5);
    Advance(c, 1);
    for (int i = 0; i < 2000 && c->zoomRate != 0.0f; i++)
        Advance(c, 1);
    ASSERT_EQ(c->zoomRate, 0.0f);
    EXPECT_NEAR(Distance(c->camera->position, c->followPoint), 8, 1e-4f);
    Advance(c, 50);
    EXPECT_GE(Distance(c->camera->position, c->followPoint), 8 - 1e-4f);
    CameraControllerDispose(c);
}

TEST(CameraController, PitchNeverPassesTheLimits)
{
    CameraController *c = GameCamera(VectorWithValues(30, 0, 30));
    CameraControllerUserActionStart(c, 3);
    float previous = c->camera->forward.y;
    bool grew = false;
    for (int i = 0; i < 600; i++) {
        Advance(c, 1);
        EXPECT_LE(c->camera->forward.y, 0.99f + 1e-4f);
        grew = grew || c->camera->forward.y > previous;
    }
    EXPECT_TRUE(grew);
    EXPECT_GT(c->camera->forward.y, 0.9f);
    CameraControllerUserActionStop(c, 3);
    CameraControllerUserActionStart(c, 4);
    for (int i = 0; i < 900; i++) {
        Advance(c, 1);
        EXPECT_GE(c->camera->forward.y, -0.99f - 1e-4f);
    }
    EXPECT_LT(c->camera->forward.y, -0.9f);
    CameraControllerDispose(c);
}

TEST(CameraController, FocusClosesAQuarterOfTheGapAndFollowDirectionIgnoresVerticalAndSwingsBehind)
{
    CameraController *c = GameCamera(VectorWithValues(0, 0, 0));
    Vector before = c->camera->position;
    CameraControllerFollowPoint(c, 4, 5.6f, 0);
    Advance(c, 1);
    EXPECT_NEAR(c->focusPoint.x, 1, 1e-6f);
    EXPECT_NEAR(c->camera->position.x - before.x, 1, 1e-4f);

    CameraControllerFollowDirection(c, VectorWithValues(0, 1, 0));
    EXPECT_FLOAT_EQ(c->followDirection.z, -1);
    CameraControllerFollowDirection(c, VectorWithValues(2, 5, 0));
    EXPECT_FLOAT_EQ(c->followDirection.x, 1);
    EXPECT_FLOAT_EQ(c->followDirection.y, 0);
    Advance(c, 200);
    Vector f = c->camera->forward;
    f.y = 0;
    VectorNormalize(&f);
    EXPECT_NEAR(f.x, 1, 1e-3f);
    CameraControllerDispose(c);
}
