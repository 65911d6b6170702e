// The player character: its record, awards, outcomes, position and ladders.
#pragma once

#include "Types.h"
#include "Vector.h"

#include <cstdint>

struct Block;
struct Level;
struct LevelSet;
struct GameController;
struct Body;
struct Animation;
struct WidgetController;

// The player's box: 1.5 wide and deep, 5.6 high, standing on position.
constexpr float kPlayerHalfWidth = 0.75f;
constexpr float kPlayerHeight = 5.6f;
constexpr float kPlayerFullAir = 15.0f;
constexpr int32_t kPlayerMaxLives = 10;

// Action codes of PlayerStartAction and PlayerStopAction.
enum PlayerAction : int32_t {
    kPlayerActionForward = 1, // towards -z in the view's frame
    kPlayerActionBack = 2,
    kPlayerActionLeft = 3,
    kPlayerActionRight = 4,
    kPlayerActionJump = 7,
    kPlayerActionWalk = 8,
    kPlayerActionUse = 9,
};

// Codes of PlayerRotateBaseDirection: the view turns one step on or back.
enum PlayerViewTurn : int32_t {
    kPlayerViewTurnOn = 8,
    kPlayerViewTurnBack = 9,
};

struct Player {
    GameController *controller; // the game mode that owns the player; null in the editor
    // The set being played: the use key acts on its current level.  A player
    // outside a game (null) neither dies nor completes levels.
    LevelSet *levelSet;
    Vector position;            // bottom centre (the feet)
    Vector velocity;            // units per tick; y without the water factor
    Vector direction;           // facing, horizontal unit vector
    uint8_t onGround;
    uint8_t onLadder;
    float ladderTop, ladderBottom;
    int32_t baseDirection; // 0-7, which way the camera looks
    Vector cameraDirection;
    float waterCoverage;
    float air; // seconds of breath left
    int32_t points;
    int32_t lives;
    int32_t keys;
    uint8_t hasFeather;
    int32_t lateralKey; // 0 none, 3 towards -x, 4 towards +x
    int32_t forwardKey; // 0 none, 1 towards -z, 2 towards +z
    float lateralSpeed, forwardSpeed;
    uint8_t walking;
    int32_t keyBaseDirection;
    AABB bounds;
    Body *body;
    Animation *animation;
    int32_t stepCallbackIds[6];
    WidgetController *statusWidgets; // made, drawn and disposed by the game mode
    // The animation action last asked for and whether it was to start at once
    // rather than blended; the animation itself follows it.
    FourCharCode animationAction;
    uint8_t animationAtOnce;
};

Player *PlayerAllocate(GameController *gameMode);
// Takes copies of the body and animation 'Humn' (when registered), installs
// the step-sound callbacks, and starts a new game's state: 3 lives, 0 points.
void PlayerInit(Player *player);
// Starts the player in a level at position (the feet) facing direction;
// points and lives are kept.
void PlayerStartAtPos(Player *player, Vector position, Vector direction);
void PlayerDispose(Player *player);

Vector PlayerGetPosition(const Player *player);
Vector PlayerGetCameraDirection(const Player *player);
int32_t PlayerGetNumberOfPoints(const Player *player);
void PlayerSetNumberOfPoints(Player *player, int32_t points);
int32_t PlayerGetNumberOfLives(const Player *player);
int32_t PlayerGetNumberOfKeys(const Player *player);
bool PlayerHasFeather(const Player *player);

// Moves the player so that (x, y, z) is the centre of its box.
void PlayerSetPosition(Player *player, float x, float y, float z);
void PlayerCalculateBounds(Player *player);

void PlayerAwardPoints(Player *player, int32_t points);
void PlayerAwardExtraLife(Player *player);
void PlayerAwardKey(Player *player);
void PlayerAwardFeather(Player *player);
// Spends a key: true when the player had one.
bool PlayerUseKey(Player *player);

// A life lost (the last one ends the game) and a level completed: recorded
// in the world's events for the game mode to act on after the step.
void PlayerDie(Player *player);
void PlayerLevelCompleted(Player *player);

// Called by a touched ladder block with the ladder's orientation.
void PlayerGrabLadder(Player *player, Block *ladder, int32_t orientation, Level *level);

void PlayerStartAction(Player *player, int32_t code);
void PlayerStopAction(Player *player, int32_t code);
// kPlayerViewTurnOn or kPlayerViewTurnBack.
void PlayerRotateBaseDirection(Player *player, int32_t code);
// Turns the held movement keys from one base direction to another.
void PlayerRotateDirection(Player *player, int32_t from, int32_t to);

// One fixed step of movement, collision, pickups, ladders, breath and
// touched blocks.  True when a touched block ended the step (death, level
// completed): the caller runs no further steps for this firing.
bool PlayerRun(Player *player, Level *level, float elapsed);

void PlayerDraw(Player *player);
void PlayerDrawShadow(Player *player, Level *level);
// Draws the status line; levelIndex counts from 0.
void PlayerDrawStatus(Player *player, int32_t levelIndex);

// Asks for an animation action, at once or blended.
void PlayerSetAnimationAction(Player *player, FourCharCode action, bool atOnce);
