#include "SplashScreen.h"

#include "Controller.h"
#include "Fonts.h"
#include "ModelParser.h"
#include "OpenGLWindow.h"
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

constexpr double kStep = 1.0 / 120.0;
constexpr double kMaxCatchUp = 1.0 / 12.0;
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
    PlatformPostCommandEvent('NGam');
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
    return event->kind == kEventMouseDown && introRunning;
}

void InstallInputHandler(SplashScreen *screen)
{
    if (screen->inputHandler)
        return;
    static const int32_t kinds[] = {kEventRawKeyDown, kEventMouseDown};
    screen->inputHandler =
        PlatformInstallEventHandler(kTargetApplication, kinds, int32_t(std::size(kinds)), InputHandler, screen);
}

void TimerFired(PlatformTimerRef, void *context)
{
    SplashScreen *screen = static_cast<SplashScreen *>(context);
    SplashScreenTick(screen);
    if (!screen->frozen) {
        SplashScreenDraw(screen);
        GLenum error = glGetError();
        if (error != GL_NO_ERROR) {
            std::printf("OpenGL error: %s\n", reinterpret_cast<const char *>(gluErrorString(error)));
            std::fflush(stdout);
        }
    }
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

void TexturedQuad(float left, float bottom, float right, float top, float s, float t)
{
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(left, bottom);
    glTexCoord2f(s, 0);
    glVertex2f(right, bottom);
    glTexCoord2f(s, t);
    glVertex2f(right, top);
    glTexCoord2f(0, t);
    glVertex2f(left, top);
    glEnd();
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
    TexturedQuad(x - width / 2, y - height / 2, x + width / 2, y + height / 2,
                 float(screen->nameWidth) / float(shader->textureWidth),
                 float(screen->nameHeight) / float(shader->textureHeight));
    ShaderDisable();
}

void DrawLogo(SplashScreen *screen, float alpha)
{
    if (screen->logoShader) {
        ShaderApply(screen->logoShader);
        glColor4f(1, 1, 1, alpha);
        TexturedQuad(-0.8f, -0.8f, 0.8f, 0.8f, 1, 1);
        ShaderDisable();
        return;
    }
    // Without the art: a tile in the water's colours with the name on it.
    ShaderDisable();
    glBegin(GL_QUADS);
    glColor4f(0.1f, 0.25f, 0.6f, alpha);
    glVertex2f(-0.8f, -0.8f);
    glVertex2f(0.8f, -0.8f);
    glColor4f(0.35f, 0.7f, 0.95f, alpha);
    glVertex2f(0.8f, 0.8f);
    glVertex2f(-0.8f, 0.8f);
    glEnd();
    glColor4f(1, 1, 1, alpha);
    DrawName(screen, 0, 0, 1.3f);
    glColor4f(1, 1, 1, 1);
}

void DrawTitle(SplashScreen *screen)
{
    if (screen->titleShader) {
        ShaderApply(screen->titleShader);
        glColor4f(1, 1, 1, 1);
        TexturedQuad(-0.8f, -0.7f, 0.8f, 0.9f, 1, 1);
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
    InstallInputHandler(screen);
    screen->timer = PlatformInstallTimer(0.0, kStep, TimerFired, screen);
    screen->lastTickTime = PlatformGetEventTime();
    screen->leftoverTime = 0.0;
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
    PlatformRemoveEventHandler(screen->inputHandler);
    PlatformRemoveTimer(screen->timer);
    WidgetControllerDispose(screen->widgets);
    ShaderDispose(screen->nameShader);
    delete screen;
}

void SplashScreenTick(SplashScreen *screen)
{
    if (screen->suspendCount != 0)
        return;
    double now = PlatformGetEventTime();
    double acc = now - screen->lastTickTime + screen->leftoverTime;
    screen->lastTickTime = now;
    acc = std::min(acc, kMaxCatchUp);
    while (acc >= kStep) {
        screen->introTime = std::min(kSplashIntroEnd, screen->introTime + 0.01f);
        WidgetControllerRun(screen->widgets, float(kStep));
        acc -= kStep;
    }
    screen->leftoverTime = acc;
}

void SplashScreenDraw(SplashScreen *screen)
{
    OpenGLWindow *window = MainWindow();
    if (!window)
        return;
    float t = screen->introTime;
    float ratio = OpenGLWindowGetRatio(window);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    OpenGLWindowSetOrtho(window);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);

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
        ShaderDisable();
        glBegin(GL_QUADS);
        glColor4f(0.6f, 0.6f, 0.9f, 1);
        glVertex2f(-ratio, -1);
        glVertex2f(ratio, -1);
        glColor4f(1, 1, 0.3f, 1);
        glVertex2f(ratio, 1);
        glVertex2f(-ratio, 1);
        glEnd();
        glColor4f(1, 1, 1, 1);
        DrawTitle(screen);
        WidgetControllerDraw(screen->widgets);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        if (t < 4.0f) {
            float fade = (4.0f - t) * (4.0f - t) * (4.0f - t);
            glColor4f(0, 0, 0, fade);
            glBegin(GL_QUADS);
            glVertex2f(-ratio, -1);
            glVertex2f(ratio, -1);
            glVertex2f(ratio, 1);
            glVertex2f(-ratio, 1);
            glEnd();
            glColor4f(1, 1, 1, 1);
        }
    }

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    if (Controller *controller = ControllerGetMainController())
        ControllerSwapGLBuffers(controller);
}

void SplashScreenSuspend(SplashScreen *screen)
{
    screen->suspendCount++;
    if (screen->suspendCount == 1)
        PlatformSetTimerNextFireTime(screen->timer, kPlatformTimerNever);
}

void SplashScreenResume(SplashScreen *screen)
{
    if (screen->suspendCount == 0) {
        std::printf("Anomaly: SplashScreenResume called when not suspended\n");
        std::fflush(stdout);
        return;
    }
    screen->suspendCount--;
    if (screen->suspendCount == 0)
        PlatformSetTimerNextFireTime(screen->timer, kStep);
}

void SplashScreenFreeze(SplashScreen *screen)
{
    SplashScreenSuspend(screen);
    WidgetControllerFreeze(screen->widgets);
    PlatformRemoveEventHandler(screen->inputHandler);
    screen->inputHandler = 0;
    screen->frozen = true;
    // Coming back from another mode shows the menu at once.
    screen->introTime = kSplashIntroEnd;
}

void SplashScreenDefrost(SplashScreen *screen)
{
    WidgetControllerDefrost(screen->widgets);
    SplashScreenResume(screen);
    InstallInputHandler(screen);
    screen->frozen = false;
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
