#include "LevelCard.h"

#include "Controller.h"
#include "EndScreen.h"
#include "Events.h"
#include "ExtraPrefs.h"
#include "GameController.h"
#include "HelpOverlay.h"
#include "LevelSet.h"
#include "OverlayText.h"
#include "PauseMenu.h"
#include "Player.h"

#include <GL/gl.h>

#include <algorithm>

struct LevelCard {
    int32_t phase;
    float elapsed;   // seconds shown, not counting pauses or the keys overlay
    double lastTime; // the last firing that counted
    int32_t levelPoints;
    std::vector<std::string> lines;
    OverlayText texts[3];
};

namespace {

bool enabled = false;

LevelCard *Card(GameController *game)
{
    if (!game->card)
        game->card = new LevelCard{};
    return game->card;
}

void DisposeTexts(LevelCard *card)
{
    for (OverlayText &text : card->texts)
        OverlayTextDispose(&text);
}

void Show(GameController *game, int32_t phase)
{
    LevelCard *card = Card(game);
    card->phase = phase;
    card->elapsed = 0;
    card->lastTime = PlatformGetEventTime();
    card->lines.clear();
    int32_t total = PlayerGetNumberOfPoints(game->player);
    if (phase == kLevelCardBanner) {
        card->lines = {"Level complete", "Points in this level: " + std::to_string(card->levelPoints),
                       "Total: " + std::to_string(total)};
    } else if (phase == kLevelCardShowing) {
        int32_t index = LevelSetGetCurrentLevelIndex(game->levelSet);
        int32_t count = LevelSetGetLevelCount(game->levelSet);
        card->lines = {"Level " + std::to_string(index + 1) + " of " + std::to_string(count),
                       LevelSetGetLevelSetName(game->levelSet)};
    }
    DisposeTexts(card);
}

float Duration(int32_t phase)
{
    return phase == kLevelCardBanner ? kLevelBannerSeconds : kLevelCardSeconds + kLevelCardFadeSeconds;
}

// The banner gives way to the card; the card is gone.
void Advance(GameController *game)
{
    LevelCard *card = Card(game);
    if (card->phase == kLevelCardBanner)
        Show(game, kLevelCardShowing);
    else
        Show(game, kLevelCardNone);
}

} // namespace

void GameMomentsSetEnabled(bool on)
{
    enabled = on;
}

bool GameMomentsEnabled()
{
    return enabled;
}

bool GameMomentsApply(GameController *game)
{
    if (!enabled || game->playback)
        return false;
    Controller *controller = ControllerGetMainController();
    return !(controller && ControllerHasModeInStack(controller, ModeLevelEditor));
}

void LevelCardBegin(GameController *game)
{
    if (game->endScreen)
        EndScreenReset(game);
    if (!GameMomentsApply(game)) {
        if (game->card)
            Show(game, kLevelCardNone);
        return;
    }
    if (!ExtraPrefsHelpShown()) {
        ExtraPrefsSetHelpShown(true);
        HelpOverlayShow();
    }
    Show(game, kLevelCardShowing);
}

void LevelCardLevelCompleted(GameController *game, int32_t levelPoints)
{
    if (!GameMomentsApply(game))
        return;
    Card(game)->levelPoints = levelPoints;
    Show(game, kLevelCardBanner);
}

int32_t LevelCardPhase(GameController *game)
{
    return game->card ? game->card->phase : kLevelCardNone;
}

std::vector<std::string> LevelCardLines(GameController *game)
{
    return game->card ? game->card->lines : std::vector<std::string>{};
}

void LevelCardDispose(GameController *game)
{
    if (!game->card)
        return;
    DisposeTexts(game->card);
    delete game->card;
    game->card = nullptr;
}

bool GameMomentsHoldClock(GameController *game, double now)
{
    bool hold = false;
    if (game->card && game->card->phase != kLevelCardNone) {
        LevelCard *card = game->card;
        if (game->playback) {
            Show(game, kLevelCardNone);
        } else {
            // A long gap (a pause, a suspension) counts as one firing.
            float gap = float(std::min(1.0 / 12.0, std::max(0.0, now - card->lastTime)));
            card->lastTime = now;
            if (!HelpOverlayIsShown())
                card->elapsed += gap;
            if (card->elapsed >= Duration(card->phase))
                Advance(game);
            hold = card->phase != kLevelCardNone;
        }
    }
    hold = hold || HelpOverlayIsShown() || EndScreenPhase(game) != kEndScreenNone;
    if (hold)
        game->lastTickTime = now;
    return hold;
}

bool GameMomentsTakeKey(GameController *game, const PlatformEvent *event, uint8_t character)
{
    if (EndScreenHandleKey(game, event, character))
        return true;
    if (PauseMenuHandleKey(game, event, character))
        return true;
    // A key ends the banner (the card comes) or starts the card's fade; the key still
    // reaches the player, so a run can begin as the card goes.
    if (event->kind == kEventRawKeyDown && game->card && game->card->phase != kLevelCardNone && !game->paused) {
        LevelCard *card = game->card;
        if (card->phase == kLevelCardBanner)
            Advance(game);
        else if (card->phase == kLevelCardShowing)
            card->elapsed = std::max(card->elapsed, kLevelCardSeconds);
    }
    return false;
}

void GameMomentsDraw(GameController *game)
{
    PauseMenuDraw(game);
    LevelCard *card = game->card;
    if (card && card->phase != kLevelCardNone && !HelpOverlayIsShown() && OverlayBegin()) {
        float alpha = 1.0f;
        if (card->phase == kLevelCardShowing && card->elapsed > kLevelCardSeconds)
            alpha = std::max(0.0f, 1.0f - (card->elapsed - kLevelCardSeconds) / kLevelCardFadeSeconds);
        static const int32_t sizes[3] = {40, 20, 20};
        float widest = 0.0f, height = 0.1f;
        for (size_t i = 0; i < card->lines.size() && i < 3; i++) {
            OverlayTextSet(&card->texts[i], card->lines[i], sizes[i]);
            widest = std::max(widest, OverlayTextWidth(&card->texts[i]));
            height += OverlayTextHeight(&card->texts[i]) + 0.04f;
        }
        float half = std::max(0.6f, widest / 2 + 0.12f);
        float top = 0.25f + height / 2;
        OverlayDrawPlate(-half, top - height, half, top, alpha);
        float y = top - 0.05f;
        for (size_t i = 0; i < card->lines.size() && i < 3; i++) {
            float h = OverlayTextHeight(&card->texts[i]);
            if (i == 0)
                glColor4f(1.0f, 0.9f, 0.5f, alpha);
            else
                glColor4f(1, 1, 1, alpha);
            OverlayTextDraw(&card->texts[i], 0, y - h / 2, 0.5f);
            y -= h + 0.04f;
        }
        glColor4f(1, 1, 1, 1);
        OverlayEnd();
    }
    EndScreenDraw(game);
}

void GameMomentsDispose(GameController *game)
{
    LevelCardDispose(game);
    PauseMenuDispose(game);
    EndScreenDispose(game);
}
