// Game controllers as the game and the editor see them: the sticks mapped
// onto the eight directions that the arrow keys give, and the buttons mapped
// onto the characters of the keys they stand for.  A pad therefore reaches
// the game as the keyboard does (and replays record it the same way).
// Nothing here talks to the platform: it only reads pad events.
#pragma once

#include "Events.h"

#include <cstdint>

// Direction bits: up is away from the player on the stick.
enum : uint32_t {
    kGamepadUp = 1,
    kGamepadDown = 2,
    kGamepadLeft = 4,
    kGamepadRight = 8,
};

// Stick deflections closer to the centre than this (of 32767) count as none.
constexpr int32_t kGamepadDeadZone = 8000;

// The direction bits of a stick at (x, y), y positive downwards as SDL
// reports it: none inside the dead zone, else one of eight 45-degree
// sectors centred on the axes and the diagonals.
uint32_t GamepadStickDirections(int32_t x, int32_t y, int32_t deadZone = kGamepadDeadZone);

// Receives the key changes that pad events amount to.
typedef void (*GamepadKeySink)(uint8_t character, bool down, void *context);

// The pad state of one player: each stick and the d-pad, and the keys that
// were reported held.
struct Gamepad {
    int32_t leftX, leftY, rightX, rightY;
    uint32_t leftStick, dpad, rightStick;
    uint32_t runHeld;  // run directions reported down
    uint32_t viewHeld; // view directions reported down
    bool zoomInHeld, zoomOutHeld;
};

// In play: the left stick and the d-pad run (arrows), A jumps (space), X uses
// (q), the right stick turns (a, d) and tilts (w, s) the view, the right
// shoulder zooms in (e), the left one out (c), Start pauses (Escape).
// Unknown buttons and axes are ignored.
void GamepadPlayHandleEvent(Gamepad *pad, const PlatformEvent *event, GamepadKeySink sink, void *context);
// Lets go of everything the pad holds (a controller unplugged).
void GamepadReleaseAll(Gamepad *pad, GamepadKeySink sink, void *context);

// In the editor: the d-pad moves the cursor (arrows), the shoulders move it up (q, right) and down (z, left),
// A places (space, held for a box), the right stick turns and tilts the
// view.  B is left to the caller (the palette's choice).
void GamepadEditorHandleEvent(Gamepad *pad, const PlatformEvent *event, GamepadKeySink sink, void *context);

// The key a menu or dialog button stands for: d-pad arrows, A Return, B
// Escape; 0 for the others.
uint8_t GamepadMenuCharacter(int32_t button);
