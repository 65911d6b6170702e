#include "Player.h"
#include "Powerup.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

Powerup *SizedPowerup(int32_t kind, float half)
{
    Powerup *p = PowerupAllocate(kind);
    p->minX = p->minY = p->minZ = -half;
    p->maxX = p->maxY = p->maxZ = half;
    return p;
}

AABB PlayerBoxAt(float x, float y, float z)
{
    return AABB{x - 0.75f, x + 0.75f, y, y + 5.6f, z - 0.75f, z + 0.75f};
}

} // namespace

TEST(PowerupBasics, SetPositionTwiceKeepsTheBoxSize)
{
    Powerup *p = PowerupAllocate(kPowerupKey);
    p->minX = 0;
    p->maxX = 2;
    p->minY = 0;
    p->maxY = 4;
    p->minZ = 0;
    p->maxZ = 1;
    PowerupSetPosition(p, 10, 10, 10);
    PowerupSetPosition(p, -3, 7, 1);
    EXPECT_FLOAT_EQ(p->minX, -4.0f);
    EXPECT_FLOAT_EQ(p->maxX, -2.0f);
    EXPECT_FLOAT_EQ(p->minY, 5.0f);
    EXPECT_FLOAT_EQ(p->maxY, 9.0f);
    EXPECT_FLOAT_EQ(p->minZ, 0.5f);
    EXPECT_FLOAT_EQ(p->maxZ, 1.5f);
    PowerupDispose(p);
}

TEST(PowerupBasics, SpinWrapsPast360)
{
    Powerup *p = PowerupAllocate(kPowerupGem);
    p->spin = 359.6f;
    PowerupRun(p);
    EXPECT_NEAR(p->spin, 0.4f, 1e-4);
    p->spin = 359.2f;
    PowerupRun(p);
    EXPECT_NEAR(p->spin, 360.0f, 1e-4); // not above 360: stays
    for (int i = 0; i < 1000; i++) {
        PowerupRun(p);
        EXPECT_LE(p->spin, 360.0f);
        EXPECT_GT(p->spin, 0.0f);
    }
    PowerupDispose(p);
}

TEST(PowerupPickup, SweepWithinThreeQuartersOfAUnitCollects)
{
    Powerup *p = SizedPowerup(kPowerupGem, 0.5f);
    PowerupSetPosition(p, 10, 3, 10);
    // Walking along x past the powerup with 0.5 between the player's box and
    // the powerup's box on z: the grown boxes meet it.
    AABB before = PlayerBoxAt(8, 0, 8.25f);
    AABB after = PlayerBoxAt(8.2f, 0, 8.25f);
    EXPECT_TRUE(PowerupDetectCollision(p, before, after));
    // 1.6 away on z: no pickup.
    before = PlayerBoxAt(8, 0, 7.15f);
    after = PlayerBoxAt(8.2f, 0, 7.15f);
    EXPECT_FALSE(PowerupDetectCollision(p, before, after));
    // Far along x: no pickup either.
    before = PlayerBoxAt(0, 0, 10);
    after = PlayerBoxAt(0.2f, 0, 10);
    EXPECT_FALSE(PowerupDetectCollision(p, before, after));
    PowerupDispose(p);
}

TEST(PowerupPickup, AwardsOfEveryKind)
{
    Player *player = PlayerAllocate(nullptr);
    player->lives = 3;
    const struct {
        int32_t kind, points, keys, lives, feather;
    } awards[] = {{kPowerupGem, 200, 0, 3, 0},       {kPowerupKey, 210, 1, 3, 0}, {kPowerupExtraLife, 260, 1, 4, 0},
                  {kPowerupFeather, 280, 1, 4, 1}, {2000, 280, 1, 4, 1}};
    for (const auto &a : awards) {
        Powerup *p = PowerupAllocate(a.kind);
        PowerupPickedUp(p, player);
        EXPECT_EQ(player->points, a.points) << a.kind;
        EXPECT_EQ(player->keys, a.keys) << a.kind;
        EXPECT_EQ(player->lives, a.lives) << a.kind;
        EXPECT_EQ(player->hasFeather, a.feather) << a.kind;
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
    ASSERT_EQ(buffer.length, 16);
    std::vector<uint8_t> expected = {0, 0, 4, 3, 0x3F, 0xC0, 0, 0, 0xC0, 0, 0, 0, 0x42, 0xC8, 0x80, 0};
    EXPECT_EQ(std::vector<uint8_t>(buffer.data, buffer.data + 16), expected);
    int32_t position = 0;
    Powerup *loaded = PowerupLoad(buffer.data, buffer.length, &position);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->kind, kPowerupKey);
    EXPECT_EQ(loaded->position.x, 1.5f);
    EXPECT_EQ(loaded->position.z, 100.25f);
    EXPECT_EQ(loaded->spin, 0.0f);
    PowerupDispose(loaded);
    // An infinite coordinate is refused.
    buffer.data[8] = 0x7F;
    buffer.data[9] = 0x80;
    position = 0;
    EXPECT_EQ(PowerupLoad(buffer.data, buffer.length, &position), nullptr);
    position = 0;
    EXPECT_EQ(PowerupLoad(buffer.data, 15, &position), nullptr);
    ByteBufferDispose(&buffer);
    PowerupDispose(p);
}
