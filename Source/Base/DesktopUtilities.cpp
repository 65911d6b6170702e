// The utilities that need the drawing context or the desktop: extension
// checks, key translation, the caret and the selection colour.
#include "Utilities.h"

#include "Keyboard.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdarg>

bool checkGLExtensions(const char *name, ...)
{
    const GLubyte *extensions = glGetString(GL_EXTENSIONS);
    if (!extensions)
        return false;
    va_list names;
    va_start(names, name);
    bool found = true;
    for (const char *n = name; n != nullptr; n = va_arg(names, const char *)) {
        if (!gluCheckExtension(reinterpret_cast<const GLubyte *>(n), extensions)) {
            found = false;
            break;
        }
    }
    va_end(names);
    return found;
}

int32_t keyCodeToCharCode(int32_t keyCode)
{
    return PlatformKeyCodeToCharCode(keyCode, 0);
}

double getCaretBlinkInterval()
{
    // The desktop's customary caret: half a second on, half a second off.
    static const double interval = 0.5;
    return interval;
}

void getTextHighlightColor(float *r, float *g, float *b, float *a)
{
    // The desktop's customary selection colour, a light blue.
    static const uint16_t highlight[3] = {0xB5B5, 0xD5D5, 0xFFFF};
    if (r)
        *r = highlight[0] / 65535.0f;
    if (g)
        *g = highlight[1] / 65535.0f;
    if (b)
        *b = highlight[2] / 65535.0f;
    if (a)
        *a = 1.0f;
}
