#include "Gamepad.h"

#include <cmath>

namespace {

// The four characters of up, down, left and right for each use.
struct DirectionKeys {
    uint8_t up, down, left, right;
};
const DirectionKeys kRunKeys = {30, 31, 28, 29};
const DirectionKeys kViewKeys = {'w', 's', 'a', 'd'};

// Reports the direction keys that changed between held and now: releases
// first, then presses, in the order up, down, left, right.
void ReportDirections(uint32_t *held, uint32_t now, const DirectionKeys &keys, GamepadKeySink sink, void *context)
{
    const uint32_t bits[4] = {kGamepadUp, kGamepadDown, kGamepadLeft, kGamepadRight};
    const uint8_t characters[4] = {keys.up, keys.down, keys.left, keys.right};
    for (int i = 0; i < 4; i++)
        if ((*held & bits[i]) && !(now & bits[i]))
            sink(characters[i], false, context);
    for (int i = 0; i < 4; i++)
        if (!(*held & bits[i]) && (now & bits[i]))
            sink(characters[i], true, context);
    *held = now;
}

uint32_t DPadBit(int32_t button)
{
    switch (button) {
    case kPadButtonDPadUp: return kGamepadUp;
    case kPadButtonDPadDown: return kGamepadDown;
    case kPadButtonDPadLeft: return kGamepadLeft;
    case kPadButtonDPadRight: return kGamepadRight;
    default: return 0;
    }
}

// Takes a stick axis into the pad; true when it was one of the sticks.
bool TakeAxis(Gamepad *pad, const PlatformEvent *event)
{
    switch (event->padControl) {
    case kPadAxisLeftX: pad->leftX = event->padValue; break;
    case kPadAxisLeftY: pad->leftY = event->padValue; break;
    case kPadAxisRightX: pad->rightX = event->padValue; break;
    case kPadAxisRightY: pad->rightY = event->padValue; break;
    default: return false;
    }
    pad->leftStick = GamepadStickDirections(pad->leftX, pad->leftY);
    pad->rightStick = GamepadStickDirections(pad->rightX, pad->rightY);
    return true;
}

void Hold(bool *held, bool down, uint8_t character, GamepadKeySink sink, void *context)
{
    if (*held == down)
        return;
    *held = down;
    sink(character, down, context);
}

} // namespace

uint32_t GamepadStickDirections(int32_t x, int32_t y, int32_t deadZone)
{
    double dx = double(x), dy = -double(y);
    if (dx * dx + dy * dy < double(deadZone) * double(deadZone))
        return 0;
    // Sector 0 is centred on "right", counting anticlockwise.
    double angle = std::atan2(dy, dx);
    int sector = int(std::lround(angle / (M_PI / 4.0)));
    sector = ((sector % 8) + 8) % 8;
    static const uint32_t kSectors[8] = {
        kGamepadRight,
        kGamepadRight | kGamepadUp,
        kGamepadUp,
        kGamepadUp | kGamepadLeft,
        kGamepadLeft,
        kGamepadLeft | kGamepadDown,
        kGamepadDown,
        kGamepadDown | kGamepadRight,
    };
    return kSectors[sector];
}

void GamepadPlayHandleEvent(Gamepad *pad, const PlatformEvent *event, GamepadKeySink sink, void *context)
{
    bool down = event->kind == kEventPadButtonDown;
    if (event->kind == kEventPadAxisMoved) {
        if (!TakeAxis(pad, event))
            return;
    } else if (event->kind == kEventPadButtonDown || event->kind == kEventPadButtonUp) {
        uint32_t bit = DPadBit(event->padControl);
        if (bit) {
            pad->dpad = down ? (pad->dpad | bit) : (pad->dpad & ~bit);
        } else {
            switch (event->padControl) {
            case kPadButtonA: sink(' ', down, context); break;
            case kPadButtonX: sink('q', down, context); break;
            case kPadButtonStart: sink(27, down, context); break;
            case kPadButtonRightShoulder: Hold(&pad->zoomInHeld, down, 'e', sink, context); break;
            case kPadButtonLeftShoulder: Hold(&pad->zoomOutHeld, down, 'c', sink, context); break;
            default: break;
            }
            return;
        }
    } else {
        return;
    }
    ReportDirections(&pad->runHeld, pad->leftStick | pad->dpad, kRunKeys, sink, context);
    ReportDirections(&pad->viewHeld, pad->rightStick, kViewKeys, sink, context);
}

void GamepadReleaseAll(Gamepad *pad, GamepadKeySink sink, void *context)
{
    ReportDirections(&pad->runHeld, 0, kRunKeys, sink, context);
    ReportDirections(&pad->viewHeld, 0, kViewKeys, sink, context);
    Hold(&pad->zoomInHeld, false, 'e', sink, context);
    Hold(&pad->zoomOutHeld, false, 'c', sink, context);
    *pad = Gamepad{};
}

void GamepadEditorHandleEvent(Gamepad *pad, const PlatformEvent *event, GamepadKeySink sink, void *context)
{
    bool down = event->kind == kEventPadButtonDown;
    if (event->kind == kEventPadAxisMoved) {
        if (TakeAxis(pad, event))
            ReportDirections(&pad->viewHeld, pad->rightStick, kViewKeys, sink, context);
        return;
    }
    if (event->kind != kEventPadButtonDown && event->kind != kEventPadButtonUp)
        return;
    switch (event->padControl) {
    case kPadButtonDPadUp: sink(30, down, context); break;
    case kPadButtonDPadDown: sink(31, down, context); break;
    case kPadButtonDPadLeft: sink(28, down, context); break;
    case kPadButtonDPadRight: sink(29, down, context); break;
    case kPadButtonRightShoulder: sink('q', down, context); break;
    case kPadButtonLeftShoulder: sink('z', down, context); break;
    case kPadButtonA: sink(' ', down, context); break;
    default: break;
    }
}

uint8_t GamepadMenuCharacter(int32_t button)
{
    switch (button) {
    case kPadButtonDPadUp: return 30;
    case kPadButtonDPadDown: return 31;
    case kPadButtonDPadLeft: return 28;
    case kPadButtonDPadRight: return 29;
    case kPadButtonA: return 13;
    case kPadButtonB: return 27;
    default: return 0;
    }
}
