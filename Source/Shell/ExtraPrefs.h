// The settings that the preferences file has no room for, kept in their own
// small file "Brimhold Extra Preferences" beside it (so the preferences file
// keeps its layout byte for byte): whether the frame counter shows, and
// whether the keys have been shown once to the first game on this machine.
//
// The file is text, one "name value" per line; lines it does not know are
// ignored, so any bytes read give the defaults where they do not say
// otherwise.  It is read when first asked (again whenever the preferences
// folder changes) and written, through a new file renamed over the old one,
// on every change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

struct ExtraPrefsValues {
    bool showFrameRate; // "Show frame rate", off by default
    bool helpShown;     // the first game showed the keys
};

std::filesystem::path ExtraPrefsGetFilePath();
// The values a file's bytes give (defaults where they say nothing).
ExtraPrefsValues ExtraPrefsParse(const uint8_t *data, size_t size);
std::string ExtraPrefsFormat(const ExtraPrefsValues &values);

bool ExtraPrefsShowFrameRate();
void ExtraPrefsSetShowFrameRate(bool show);
bool ExtraPrefsHelpShown();
void ExtraPrefsSetHelpShown(bool shown);
