// A hidden window with an OpenGL 2.1 compatibility context for the tests that
// draw.  One window serves the whole test program; a test that cannot get a
// context at all is skipped.
#pragma once

#include <SDL.h>
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace gltest {

inline SDL_Window *&Window()
{
    static SDL_Window *window = nullptr;
    return window;
}

inline SDL_GLContext &Context()
{
    static SDL_GLContext context = nullptr;
    return context;
}

inline bool TryCreate()
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return false;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    Window() = SDL_CreateWindow("Brimhold tests", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 64, 64,
                                SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!Window()) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    Context() = SDL_GL_CreateContext(Window());
    if (!Context()) {
        SDL_DestroyWindow(Window());
        Window() = nullptr;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    return true;
}

// Makes the shared context current, creating it on first use: the default
// video driver first, then SDL's offscreen driver.
inline bool MakeCurrent()
{
    static int state = 0; // 0 untried, 1 made, -1 impossible
    if (state == 0) {
        bool made = TryCreate();
        if (!made) {
            SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
            made = TryCreate();
        }
        state = made ? 1 : -1;
    }
    if (state < 0)
        return false;
    SDL_GL_MakeCurrent(Window(), Context());
    return true;
}

// A neutral 64 x 64 scene: orthographic -1..1, identity model-view, no
// lighting or depth test, the vertex, normal and colour arrays enabled as the
// game window enables them, cleared to black.
inline void ResetScene()
{
    glViewport(0, 0, 64, 64);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glColor4f(1, 1, 1, 1);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glReadBuffer(GL_BACK);
    glDrawBuffer(GL_BACK);
}

struct Pixel {
    int r, g, b, a;
};

inline Pixel ReadPixel(int x, int y)
{
    glFinish();
    uint8_t p[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return Pixel{p[0], p[1], p[2], p[3]};
}

// The red, green and blue of a pixel, to compare whole.
inline std::vector<int> ReadRGB(int x, int y)
{
    Pixel p = ReadPixel(x, y);
    return {p.r, p.g, p.b};
}

} // namespace gltest

#define REQUIRE_GL_CONTEXT()                                                                                     \
    do {                                                                                                         \
        if (!gltest::MakeCurrent())                                                                              \
            GTEST_SKIP() << "no OpenGL context can be made here";                                                \
        gltest::ResetScene();                                                                                    \
    } while (0)
