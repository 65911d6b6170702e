// Link-time placeholders until the preference store is merged; deleted at merge.
#include "Preferences.h"

#include <cstring>

static int32_t pendingFlags[7] = {1, 0, 0, 0, 0, 0, 0};
static char pendingText[255];

void PrefsStartUp() {}
void PrefsLoadDefaults() {}
void PrefsShutDown() {}

void PrefsGetValue(int32_t key, void *out)
{
    if (key >= 0 && key < 7)
        *static_cast<int32_t *>(out) = pendingFlags[key];
    else if (key == 7)
        std::memcpy(out, pendingText, sizeof pendingText);
}

void PrefsSetValue(int32_t key, int32_t value)
{
    if (key >= 0 && key < 7)
        pendingFlags[key] = value;
}

void PrefsSetText(int32_t key, const char *text)
{
    if (key == 7) {
        std::strncpy(pendingText, text, sizeof pendingText - 1);
        pendingText[sizeof pendingText - 1] = 0;
    }
}
