#include "PauseMenu.h"

#include "Controller.h"
#include "EndScreen.h"
#include "Events.h"
#include "GameController.h"
#include "LevelCard.h"
#include "MenuBar.h"
#include "ModeSupport.h"
#include "OverlayText.h"
#include "Widget.h"
#include "WidgetController.h"

#include <GL/gl.h>

struct PauseMenu {
    WidgetController *widgets; // the four buttons; frozen while hidden
    bool shown;
    int32_t selection;
};

namespace {

const char *const kTitles[kPauseMenuCount] = {"Resume", "Restart level", "Preferences...", "End game"};

struct ButtonContext {
    GameController *game;
    int32_t item;
};

int32_t Clicked(void *context, void *)
{
    ButtonContext *button = static_cast<ButtonContext *>(context);
    PauseMenuChoose(button->game, button->item);
    return 0;
}

ButtonContext contexts[kPauseMenuCount];


PauseMenu *Create(GameController *game)
{
    PauseMenu *menu = new PauseMenu{};
    menu->widgets = WidgetControllerAllocate(ControllerGetMainWindow(ControllerGetMainController()));
    WidgetControllerFreeze(menu->widgets);
    for (int32_t i = 0; i < kPauseMenuCount; i++) {
        Widget *button = WidgetAllocate(menu->widgets, kPauseMenuButtons[i], kWidgetPushButton, 0.0f,
                                        -0.2f - 0.13f * float(i));
        WidgetSetText(button, kTitles[i]);
        WidgetSetTextColor(button, 0.08f, 0.1f, 0.22f, 1.0f);
        contexts[i] = ButtonContext{game, i};
        CallbackControllerInstallCallback(WidgetGetCallbackController(button), kWidgetCallbackClicked, Clicked,
                                          &contexts[i]);
        WidgetControllerAddWidget(menu->widgets, button);
    }
    return menu;
}

bool Wanted(GameController *game)
{
    return GameMomentsEnabled() && !game->playback && game->paused && !game->pauseOverlayHidden && !game->frozen &&
           game->timer && EndScreenPhase(game) == kEndScreenNone;
}

} // namespace

void PauseMenuSync(GameController *game)
{
    PlatformSetMenuCommandTitle('PGam', game->paused && game->timer ? "Resume" : "Pause");
    bool wanted = Wanted(game);
    PauseMenu *menu = static_cast<PauseMenu *>(game->pauseMenu);
    if (wanted && !menu)
        game->pauseMenu = menu = Create(game);
    if (!menu || menu->shown == wanted)
        return;
    menu->shown = wanted;
    if (wanted) {
        menu->selection = kPauseMenuResume;
        WidgetControllerDefrost(menu->widgets);
    } else {
        WidgetControllerFreeze(menu->widgets);
    }
}

bool PauseMenuIsShown(GameController *game)
{
    return game->pauseMenu && game->pauseMenu->shown;
}

int32_t PauseMenuSelection(GameController *game)
{
    return game->pauseMenu ? game->pauseMenu->selection : kPauseMenuResume;
}

Widget *PauseMenuButton(GameController *game, int32_t item)
{
    if (!game->pauseMenu || item < 0 || item >= kPauseMenuCount)
        return nullptr;
    return WidgetControllerGetWidgetByIdentifier(game->pauseMenu->widgets, kPauseMenuButtons[item]);
}

void PauseMenuChoose(GameController *game, int32_t item)
{
    switch (item) {
    case kPauseMenuResume: GameControllerUnpause(game); break;
    case kPauseMenuRestartLevel:
        GameControllerRestartLevel(game);
        GameControllerUnpause(game);
        break;
    case kPauseMenuPreferences: PlatformPostCommandEvent('pref'); break;
    case kPauseMenuEndGame: EndScreenConfirm(game); break;
    default: break;
    }
}

// While the menu shows, up, down and Return work it and reach nothing else;
// other keys go on as before (Escape resumes).
bool PauseMenuHandleKey(GameController *game, const PlatformEvent *event, uint8_t character)
{
    if (!PauseMenuIsShown(game) || event->kind != kEventRawKeyDown)
        return false;
    PauseMenu *menu = game->pauseMenu;
    if (character == 30 || character == 31) {
        int32_t step = character == 30 ? kPauseMenuCount - 1 : 1;
        menu->selection = (menu->selection + step) % kPauseMenuCount;
        return true;
    }
    if (character == 13) {
        PauseMenuChoose(game, menu->selection);
        return true;
    }
    return false;
}

// A plate under the "Paused" caption holds the buttons; the chosen one
// stands in a bright frame.
void PauseMenuDraw(GameController *game)
{
    if (!PauseMenuIsShown(game))
        return;
    PauseMenu *menu = game->pauseMenu;
    if (OverlayBegin()) {
        OverlayDrawPlate(-0.26f, -0.66f, 0.26f, -0.11f, 1.0f);
        if (Widget *chosen = PauseMenuButton(game, menu->selection)) {
            Rect4f b = WidgetGetBounds(chosen);
            glColor4f(1.0f, 0.85f, 0.3f, 1.0f);
            ModeDrawQuad(b.left - 0.015f, b.bottom - 0.015f, b.right + 0.015f, b.top + 0.015f);
            glColor4f(1, 1, 1, 1);
        }
        OverlayEnd();
    }
    WidgetControllerDraw(menu->widgets);
}

void PauseMenuDispose(GameController *game)
{
    PlatformSetMenuCommandTitle('PGam', "Pause");
    PauseMenu *menu = game->pauseMenu;
    if (!menu)
        return;
    WidgetControllerDispose(menu->widgets);
    delete menu;
    game->pauseMenu = nullptr;
}
