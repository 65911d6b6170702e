#include "Player.h"
#include "Powerup.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<float> Bounds(const Powerup *p)
{
    return {p->minX, p->maxX, p->minY, p->maxY, p->minZ, p->maxZ};
}

AABB PlayerBoxAt(float x, float y, float z)
{
    return AABB{x - 0.75f, x + 0.75f, y, y + 5.6f, z - 0.75f, z + 0.75f};
}

} // namespace

TEST(PowerupBasics, SetPositionTwiceKeepsTheBoxSizeAndTheSpinWrapsPast360)
{
    Powerup *p = PowerupAllocate(kPowerupKey);
    p->minX = p->minY = p->minZ = 0;
    p->maxX = 2;
    p->maxY = 4;
    p->maxZ = 1;
    PowerupSetPosition(p, 10, 10, 10);
    PowerupSetPosition(p, -3, 7, 1);
    EXPECT_EQ(Bounds(p), (std::vector<float>{-4, -2, 5, 9, 0.5f, 1.5f}));

    p->spin = 359.6f;
    PowerupRun(p);
    EXPECT_NEAR(p->spin, 0.4f, 1e-4);
    p->spin = 359.2f;
    PowerupRun(p);
    EXPECT_NEAR(p->spin, 360.0f, 1e-4); // not above 360: stays
    for (int i = 0; i < 1000; i++) {
        PowerupRun(p);
        EXPECT_TRUE(p->spin > 0.0f && p->spin <= 360.0f) << p->spin;
    }
    PowerupDispose(p);
}

TEST(PowerupPickup, SweepWithinThreeQuartersOfAUnitCollects)
{
    Powerup *p = PowerupAllocate(kPowerupGem);
    p->minX = p->minY = p->minZ = -0.5f;
    p->maxX = p->maxY = p->maxZ = 0.5f;
    PowerupSetPosition(p, 10, 3, 10);
    // Moving 0.2 along x from (x, z): 0.5 between the player's box and the
    // powerup's on z meets it; 1.6 away on z, or far along x, does not.
    const struct {
        float x, z;
        bool collects;
    } sweeps[] = {{8, 8.25f, true}, {8, 7.15f, false}, {0, 10, false}};
    for (const auto &s : sweeps)
        EXPECT_EQ(PowerupDetectCollision(p, PlayerBoxAt(s.x, 0, s.z), PlayerBoxAt(s.x + 0.2f, 0, s.z)), s.collects)
            << s.x << " " << s.z;
    PowerupDispose(p);
}

TEST(PowerupPickup, AwardsOfEveryKind)
{
    Player *player = PlayerAllocate(nullptr);
    player->lives = 9;
    // Lives stop at ten.
    const struct {
        int32_t kind, points, keys, lives, feather;
    } awards[] = {{kPowerupGem, 200, 0, 9, 0},        {kPowerupKey, 210, 1, 9, 0}, {kPowerupExtraLife, 260, 1, 10, 0},
                  {kPowerupExtraLife, 310, 1, 10, 0}, {kPowerupFeather, 330, 1, 10, 1}, {2000, 330, 1, 10, 1}};
    for (const auto &a : awards) {
        Powerup *p = PowerupAllocate(a.kind);
        PowerupPickedUp(p, player);
        EXPECT_EQ((std::vector<int32_t>{player->points, player->keys, player->lives, player->hasFeather}),
                  (std::vector<int32_t>{a.points, a.keys, a.lives, a.feather}))
            << a.kind;
        PowerupDispose(p);
    }
    PlayerDispose(player);
}

TEST(PowerupRecord, SixteenBytesAndBack)
{
    Powerup *p = PowerupAllocate(kPowerupKey);
    PowerupSetPosition(p, 1.5f, -2.0f, 100.25f);
    ByteBuffer buffer;
    ByteBufferInit(&buffer, 4);
    ASSERT_TRUE(PowerupSave(p, &buffer));
    EXPECT_EQ(std::vector<uint8_t>(buffer.data, buffer.data + buffer.length),
              (std::vector<uint8_t>{0, 0, 4, 3, 0x3F, 0xC0, 0, 0, 0xC0, 0, 0, 0, 0x42, 0xC8, 0x80, 0}));
    int32_t position = 0;
    Powerup *loaded = PowerupLoad(buffer.data, buffer.length, &position);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->kind, kPowerupKey);
    EXPECT_EQ((std::vector<float>{loaded->position.x, loaded->position.y, loaded->position.z, loaded->spin}),
              (std::vector<float>{1.5f, -2.0f, 100.25f, 0}));
    PowerupDispose(loaded);
    // An infinite coordinate is refused (cut records: the level-set file's tests).
    buffer.data[8] = 0x7F;
    buffer.data[9] = 0x80;
    position = 0;
    EXPECT_EQ(PowerupLoad(buffer.data, buffer.length, &position), nullptr);
    ByteBufferDispose(&buffer);
    PowerupDispose(p);
}
