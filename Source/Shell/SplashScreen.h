// The title screen, the mode at the bottom of the stack: a short intro (the
// logo spins in, holds and fades), then the title image over a gradient with
// the buttons "New game", "Level editor", "Preferences" and "Quit" and a
// credit line, fading in from black.  Any key or click skips the intro.
#pragma once

#include "Events.h"

#include <cstdint>

struct Shader;
struct WidgetController;

// The registry identifier of the intro logo.
constexpr FourCharCode kSplashLogoIdentifier = 'Logo';
constexpr FourCharCode kSplashTitleIdentifier = 'SplS';
constexpr float kSplashIntroEnd = 4.0f;

struct PadNavigation;

struct SplashScreen {
    Shader *logoShader;  // the registry's, or null
    Shader *titleShader; // the registry's, or null
    float introTime;     // 0 to 4, +0.01 per step
    WidgetController *widgets;
    int32_t suspendCount;
    bool frozen;
    PlatformEventHandlerRef inputHandler;
    PlatformTimerRef timer;
    double lastTickTime;
    double leftoverTime;
    Shader *nameShader; // the game's name in large type, shown where art is missing; owned
    int32_t nameWidth, nameHeight; // pixels of the name's text
    PadNavigation *padNavigation;  // the buttons worked with a game controller
};

SplashScreen *SplashScreenAllocate();
void SplashScreenInit(SplashScreen *screen);
void SplashScreenStart(SplashScreen *screen);
void SplashScreenStop(SplashScreen *screen);
void SplashScreenDispose(SplashScreen *screen);
void SplashScreenDraw(SplashScreen *screen);
void SplashScreenSuspend(SplashScreen *screen);
void SplashScreenResume(SplashScreen *screen);
void SplashScreenFreeze(SplashScreen *screen);
void SplashScreenDefrost(SplashScreen *screen);
// Advances the intro and the widgets by the time since the last firing.
void SplashScreenTick(SplashScreen *screen);

// Registers the title screen as mode kind 1 with the application controller.
void SplashScreenRegisterMode();
