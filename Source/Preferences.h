// The preference store: seven flags and one text field kept in the
// preferences file.
#pragma once

#include <cstdint>

void PrefsStartUp();
void PrefsLoadDefaults();
void PrefsShutDown();
// keys 0-6: writes an int32_t 0/1; key 7: the text (char[255])
void PrefsGetValue(int32_t key, void *out);
// keys 0-6
void PrefsSetValue(int32_t key, int32_t value);
// key 7
void PrefsSetText(int32_t key, const char *text);
