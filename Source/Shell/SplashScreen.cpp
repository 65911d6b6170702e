#include "SplashScreen.h"

#include "Controller.h"
#include "Fonts.h"
#include "ModeSupport.h"
#include "ModelParser.h"
#include "OpenGLWindow.h"
#include "PadNavigation.h"
#include "SetChooser.h"
#include "Shader.h"
#include "Text.h"
#include "Widget.h"
#include "WidgetController.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr int32_t kNameFontSize = 96;

const char kCredit[] = "Brimhold - an original game by the Brimhold team";

Shader *RegistryShader(FourCharCode identifier)
{
    Model *model = ModelGetModelByIdentifier(kModelKindShader, identifier);
    return model ? static_cast<Shader *>(model->data) : nullptr;
}

OpenGLWindow *MainWindow()
{
    return ControllerGetMainWindow(ControllerGetMainController());
}

int32_t NewGameClicked(void *, void *)
{
    SetChooserRunSoon();
    return 0;
}

int32_t LevelEditorClicked(void *, void *)
{
    PlatformPostCommandEvent('LEdt');
    return 0;
}

int32_t PreferencesClicked(void *, void *)
{
    PlatformPostCommandEvent('pref');
    return 0;
}

int32_t QuitClicked(void *, void *)
{
    PlatformQuitApplicationEventLoop();
    return 0;
}

void AddButton(WidgetController *widgets, FourCharCode identifier, float x, const char *text,
               CallbackFunction action)
{
    Widget *button = WidgetAllocate(widgets, identifier, kWidgetPushButton, x, -0.8f);
    WidgetSetText(button, text);
    CallbackControllerInstallCallback(WidgetGetCallbackController(button), kWidgetCallbackClicked, action, nullptr);
    WidgetControllerAddWidget(widgets, button);
}

// Any key or click shows the menu at once; a click that arrives while the
// intro still runs must not press a button that was not visible yet.
bool InputHandler(const PlatformEvent *event, void *context)
{
    SplashScreen *screen = static_cast<SplashScreen *>(context);
    bool introRunning = !(screen->introTime > 3.0f);
    screen->introTime = kSplashIntroEnd;
    return (event->kind == kEventMouseDown || event->kind == kEventPadButtonDown) && introRunning;
}

ModeParts Parts(SplashScreen *screen)
{
    static const int32_t kinds[] = {kEventRawKeyDown, kEventMouseDown, kEventPadButtonDown};
    return ModeParts{"SplashScreen", &screen->suspendCount, &screen->timer, &screen->inputHandler, &screen->frozen,
                     kinds, int32_t(std::size(kinds)), InputHandler, screen};
}

void TimerFired(PlatformTimerRef, void *context)
{
    SplashScreen *screen = static_cast<SplashScreen *>(context);
    SplashScreenTick(screen);
    if (!screen->frozen) {
        SplashScreenDraw(screen);
        ModePrintGLError("OpenGL error: ");
    }
}

bool IntroStep(void *context)
{
    SplashScreen *screen = static_cast<SplashScreen *>(context);
    screen->introTime = std::min(kSplashIntroEnd, screen->introTime + 0.01f);
    WidgetControllerRun(screen->widgets, kModeStepFloat);
    return true;
}

// The game's name rendered once, for the places where the art is missing.
void MakeNameShader(SplashScreen *screen)
{
    std::string font = PlatformSansSerifFontFile();
    TextObject *text = font.empty() ? nullptr : TextObjectWithFont(font.c_str(), kNameFontSize);
    if (!text)
        return;
    TextObjectSetSize(text, kNameFontSize);
    screen->nameWidth = int32_t(TextObjectCharIndexToOffset(text, "Brimhold", 8));
    screen->nameHeight = TextObjectGetLineHeight(text);
    screen->nameShader = ShaderAllocate();
    ShaderCreateFromTextObject(screen->nameShader, text, "Brimhold", screen->nameWidth, screen->nameHeight,
                               kTextAlignLeft);
    ShaderDisable();
}

// The name centred on (x, y), width units wide, in the current colour.
void DrawName(SplashScreen *screen, float x, float y, float width)
{
    Shader *shader = screen->nameShader;
    if (!shader || screen->nameWidth <= 0 || shader->textureWidth <= 0 || shader->textureHeight <= 0)
        return;
    float height = width * float(screen->nameHeight) / float(screen->nameWidth);
    float color[4];
    glGetFloatv(GL_CURRENT_COLOR, color);
    ShaderApply(shader);
    glColor4fv(color);
    ModeDrawTexturedQuad(x - width / 2, y - height / 2, x + width / 2, y + height / 2, 0, 0,
                         float(screen->nameWidth) / float(shader->textureWidth),
                         float(screen->nameHeight) / float(shader->textureHeight));
    ShaderDisable();
}

void DrawLogo(SplashScreen *screen, float alpha)
{
    if (screen->logoShader) {
        ShaderApply(screen->logoShader);
        glColor4f(1, 1, 1, alpha);
        ModeDrawTexturedQuad(-0.8f, -0.8f, 0.8f, 0.8f, 0, 0, 1, 1);
        ShaderDisable();
        return;
    }
    // Without the art: a tile in the water's colours with the name on it.
    ShaderDisable();
    const float bottom[4] = {0.1f, 0.25f, 0.6f, alpha};
    const float top[4] = {0.35f, 0.7f, 0.95f, alpha};
    ModeDrawShadedQuad(-0.8f, -0.8f, 0.8f, 0.8f, bottom, top);
    glColor4f(1, 1, 1, alpha);
    DrawName(screen, 0, 0, 1.3f);
    glColor4f(1, 1, 1, 1);
}

void DrawTitle(SplashScreen *screen)
{
    if (screen->titleShader) {
        ShaderApply(screen->titleShader);
        glColor4f(1, 1, 1, 1);
        ModeDrawTexturedQuad(-0.8f, -0.7f, 0.8f, 0.9f, 0, 0, 1, 1);
        ShaderDisable();
        return;
    }
    glColor4f(0.15f, 0.2f, 0.45f, 1);
    DrawName(screen, 0, 0.25f, 1.4f);
    glColor4f(1, 1, 1, 1);
}

} // namespace

SplashScreen *SplashScreenAllocate()
{
    SplashScreen *screen = new SplashScreen{};
    screen->logoShader = RegistryShader(kSplashLogoIdentifier);
    screen->titleShader = RegistryShader(kSplashTitleIdentifier);
    screen->introTime = 0.0f;
    if (!screen->logoShader || !screen->titleShader)
        MakeNameShader(screen);
    screen->widgets = WidgetControllerAllocate(MainWindow());
    AddButton(screen->widgets, 'NGam', -0.6f, "New game", NewGameClicked);
    AddButton(screen->widgets, 'LEdt', -0.2f, "Level editor", LevelEditorClicked);
    AddButton(screen->widgets, 'Pref', 0.2f, "Preferences", PreferencesClicked);
    AddButton(screen->widgets, 'Quit', 0.6f, "Quit", QuitClicked);
    Widget *credit = WidgetAllocate(screen->widgets, 'Cred', kWidgetStaticText, 0.99f, -0.99f);
    WidgetSetText(credit, kCredit);
    WidgetSetFontSize(credit, 12);
    WidgetSetAlignment(credit, kTextAlignRight);
    WidgetSetOrigin(credit, 1, 0);
    WidgetControllerAddWidget(screen->widgets, credit);
    WidgetControllerSetWidgetRelativity(screen->widgets, credit, kWidgetRelativeRight);
    screen->suspendCount = 0;
    screen->frozen = false;
    ModeInstallHandler(Parts(screen));
    screen->timer = ModeInstallTimer(TimerFired, screen);
    screen->lastTickTime = PlatformGetEventTime();
    screen->leftoverTime = 0.0;
    screen->padNavigation = new PadNavigation{screen->widgets, -1, nullptr, nullptr, false};
    PadNavigationSetCurrent(screen->padNavigation);
    return screen;
}

void SplashScreenInit(SplashScreen *) {}

void SplashScreenStart(SplashScreen *screen)
{
    SplashScreenDraw(screen);
}

void SplashScreenStop(SplashScreen *) {}

void SplashScreenDispose(SplashScreen *screen)
{
    if (!screen)
        return;
    ModeRemoveHandler(Parts(screen));
    ModeRemoveTimer(&screen->timer);
    PadNavigationClearCurrent(screen->padNavigation);
    delete screen->padNavigation;
    WidgetControllerDispose(screen->widgets);
    ShaderDispose(screen->nameShader);
    delete screen;
}

void SplashScreenTick(SplashScreen *screen)
{
    if (screen->suspendCount != 0)
        return;
    ModeRunSteps(PlatformGetEventTime(), &screen->lastTickTime, &screen->leftoverTime, IntroStep, screen);
}

void SplashScreenDraw(SplashScreen *screen)
{
    OpenGLWindow *window = MainWindow();
    if (!window)
        return;
    float t = screen->introTime;
    float ratio = OpenGLWindowGetRatio(window);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ModeBeginOverlay(window);

    if (t < 3.0f) {
        glPushMatrix();
        float alpha = 1.0f;
        if (t <= 1.0f) {
            glScalef(t * t, t * t, 1.0f);
            glRotatef(std::sqrt(t) * 360.0f, 0, 0, 1);
            alpha = t;
        } else if (t > 2.0f) {
            alpha = 1.0f - (t - 2.0f) * (t - 2.0f);
        }
        DrawLogo(screen, alpha);
        glPopMatrix();
    }
    if (t > 3.0f) {
        ModeDrawBackground(window);
        DrawTitle(screen);
        WidgetControllerDraw(screen->widgets);
        PadNavigationDraw(screen->padNavigation);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        if (t < 4.0f) {
            float fade = (4.0f - t) * (4.0f - t) * (4.0f - t);
            glColor4f(0, 0, 0, fade);
            ModeDrawQuad(-ratio, -1, ratio, 1);
            glColor4f(1, 1, 1, 1);
        }
    }

    ModeEndOverlay();
    if (Controller *controller = ControllerGetMainController())
        ControllerSwapGLBuffers(controller);
}

void SplashScreenSuspend(SplashScreen *screen)
{
    ModeSuspend(Parts(screen));
}

void SplashScreenResume(SplashScreen *screen)
{
    ModeResume(Parts(screen));
}

void SplashScreenFreeze(SplashScreen *screen)
{
    WidgetControllerFreeze(screen->widgets);
    ModeFreeze(Parts(screen));
    // Coming back from another mode shows the menu at once.
    screen->introTime = kSplashIntroEnd;
}

void SplashScreenDefrost(SplashScreen *screen)
{
    WidgetControllerDefrost(screen->widgets);
    ModeDefrost(Parts(screen));
}

void SplashScreenRegisterMode()
{
    ModeFunctions functions{};
    functions.allocate = []() -> void * { return SplashScreenAllocate(); };
    functions.init = [](void *mode) { SplashScreenInit(static_cast<SplashScreen *>(mode)); };
    functions.start = [](void *mode) { SplashScreenStart(static_cast<SplashScreen *>(mode)); };
    functions.stop = [](void *mode) {
        SplashScreenStop(static_cast<SplashScreen *>(mode));
        return true;
    };
    functions.dispose = [](void *mode) { SplashScreenDispose(static_cast<SplashScreen *>(mode)); };
    functions.draw = [](void *mode) { SplashScreenDraw(static_cast<SplashScreen *>(mode)); };
    functions.suspend = [](void *mode) { SplashScreenSuspend(static_cast<SplashScreen *>(mode)); };
    functions.resume = [](void *mode) { SplashScreenResume(static_cast<SplashScreen *>(mode)); };
    functions.freeze = [](void *mode) { SplashScreenFreeze(static_cast<SplashScreen *>(mode)); };
    functions.defrost = [](void *mode) { SplashScreenDefrost(static_cast<SplashScreen *>(mode)); };
    ControllerRegisterMode(ModeSplashScreen, &functions);
}
