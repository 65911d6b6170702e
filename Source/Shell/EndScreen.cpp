#include "EndScreen.h"

#include "Events.h"
#include "GameController.h"
#include "LevelCard.h"
#include "OverlayText.h"
#include "PauseMenu.h"
#include "Player.h"

#include <GL/gl.h>

#include <algorithm>

struct EndScreen {
    int32_t phase;
    PlatformEventHandlerRef handler;
    std::vector<std::string> lines;
    std::vector<OverlayText> texts;
};

namespace {

EndScreenRankSource rankSource = nullptr;

EndScreen *Screen(GameController *game)
{
    if (!game->endScreen)
        game->endScreen = new EndScreen{};
    return game->endScreen;
}

void SetLines(EndScreen *screen, std::vector<std::string> lines)
{
    for (OverlayText &text : screen->texts)
        OverlayTextDispose(&text);
    screen->texts.clear();
    screen->lines = std::move(lines);
}

void SetPhase(GameController *game, int32_t phase)
{
    EndScreen *screen = Screen(game);
    screen->phase = phase;
    if (phase == kEndScreenNone || phase == kEndScreenLeaving)
        SetLines(screen, {});
    PauseMenuSync(game);
}

// 'EGam' from the menus: asked first while playing; on the end screen it
// leaves at once.  The game's own posting (exitPosted) and a test play pass.
bool CommandHandler(const PlatformEvent *event, void *context)
{
    GameController *game = static_cast<GameController *>(context);
    if (event->command != 'EGam' || game->exitPosted || !GameMomentsApply(game) || game->frozen)
        return false;
    switch (EndScreenPhase(game)) {
    case kEndScreenNone: EndScreenConfirm(game); return true;
    case kEndScreenConfirming: EndScreenShow(game); return true;
    case kEndScreenShowing:
        SetPhase(game, kEndScreenLeaving);
        GameControllerPostExitEvent(game);
        return true;
    default: return false;
    }
}

} // namespace

void EndScreenSetRankSource(EndScreenRankSource source)
{
    rankSource = source;
}

void EndScreenInstall(GameController *game)
{
    EndScreen *screen = Screen(game);
    if (screen->handler)
        return;
    static const int32_t kinds[] = {kEventCommandProcess};
    screen->handler = PlatformInstallEventHandler(kTargetApplication, kinds, 1, CommandHandler, game);
}

int32_t EndScreenPhase(GameController *game)
{
    return game->endScreen ? game->endScreen->phase : kEndScreenNone;
}

void EndScreenConfirm(GameController *game)
{
    SetPhase(game, kEndScreenConfirming);
    SetLines(Screen(game), {"End this game?", "Return ends it, Escape keeps playing"});
}

void EndScreenShow(GameController *game)
{
    SetPhase(game, kEndScreenShowing);
    int32_t points = PlayerGetNumberOfPoints(game->player);
    std::vector<std::string> lines;
    lines.push_back(game->gameOver ? "Game over" : game->setCompleted ? "Level set complete" : "Game ended");
    lines.push_back("Final points: " + std::to_string(points));
    lines.push_back("Levels completed: " + std::to_string(game->levelsCompleted));
    // High scores rank the score here once they exist.
    if (rankSource) {
        int32_t rank = rankSource(points, game->levelsCompleted);
        if (rank > 0)
            lines.push_back("Rank: " + std::to_string(rank));
    }
    lines.push_back("Press Return to go back to the title");
    SetLines(Screen(game), lines);
}

void EndScreenReset(GameController *game)
{
    if (EndScreenPhase(game) != kEndScreenLeaving)
        SetPhase(game, kEndScreenNone);
}

std::vector<std::string> EndScreenLines(GameController *game)
{
    return game->endScreen ? game->endScreen->lines : std::vector<std::string>{};
}

bool EndScreenTakesExit(GameController *game)
{
    int32_t phase = EndScreenPhase(game);
    if (!GameMomentsApply(game) || phase == kEndScreenLeaving)
        return false;
    if (phase != kEndScreenShowing)
        EndScreenShow(game);
    return true;
}

bool EndScreenHandleKey(GameController *game, const PlatformEvent *event, uint8_t character)
{
    int32_t phase = EndScreenPhase(game);
    if (phase != kEndScreenConfirming && phase != kEndScreenShowing)
        return false;
    if (event->kind != kEventRawKeyDown)
        return event->kind != kEventRawKeyUp; // releases reach the player
    if (phase == kEndScreenConfirming) {
        if (character == 13)
            EndScreenShow(game);
        else if (character == 27)
            SetPhase(game, kEndScreenNone);
    } else if (character == 13) {
        SetPhase(game, kEndScreenLeaving);
        GameControllerPostExitEvent(game);
    }
    return true;
}

void EndScreenDraw(GameController *game)
{
    EndScreen *screen = game->endScreen;
    int32_t phase = EndScreenPhase(game);
    if (!screen || (phase != kEndScreenConfirming && phase != kEndScreenShowing) || !OverlayBegin())
        return;
    if (screen->texts.empty()) {
        for (size_t i = 0; i < screen->lines.size(); i++) {
            screen->texts.push_back(OverlayText{});
            bool last = i + 1 == screen->lines.size();
            OverlayTextSet(&screen->texts.back(), screen->lines[i], i == 0 ? 40 : last ? 16 : 22);
        }
    }
    float widest = 0.0f, height = 0.12f;
    for (const OverlayText &text : screen->texts) {
        widest = std::max(widest, OverlayTextWidth(&text));
        height += OverlayTextHeight(&text) + 0.05f;
    }
    OverlayDarkenAll(phase == kEndScreenShowing ? 0.6f : 0.4f);
    float half = std::max(0.7f, widest / 2 + 0.15f), top = height / 2;
    OverlayDrawPlate(-half, top - height, half, top, 1.0f);
    float y = top - 0.06f;
    for (size_t i = 0; i < screen->texts.size(); i++) {
        float h = OverlayTextHeight(&screen->texts[i]);
        if (i == 0)
            glColor4f(1.0f, 0.9f, 0.5f, 1.0f);
        else if (i + 1 == screen->texts.size())
            glColor4f(0.7f, 0.7f, 0.7f, 1.0f);
        else
            glColor4f(1, 1, 1, 1);
        OverlayTextDraw(&screen->texts[i], 0, y - h / 2, 0.5f);
        y -= h + 0.05f;
    }
    glColor4f(1, 1, 1, 1);
    OverlayEnd();
}

void EndScreenDispose(GameController *game)
{
    EndScreen *screen = game->endScreen;
    if (!screen)
        return;
    PlatformRemoveEventHandler(screen->handler);
    SetLines(screen, {});
    delete screen;
    game->endScreen = nullptr;
}
