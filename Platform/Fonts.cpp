#include "Fonts.h"

#include <fontconfig/fontconfig.h>

#include <cstdlib>
#include <strings.h>

// The best match for family, or empty.  With exact set, a match whose family
// is not the one asked for counts as none (fontconfig always substitutes).
static std::string MatchFamily(const char *family, bool exact)
{
    static bool started = false;
    if (!started) {
        if (!FcInit())
            return std::string();
        // fontconfig's configuration lives until the program ends.
        std::atexit(FcFini);
        started = true;
    }
    FcPattern *pattern = FcPatternCreate();
    if (!pattern)
        return std::string();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8 *>(family));
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern *match = FcFontMatch(nullptr, pattern, &result);
    std::string file;
    if (match) {
        FcChar8 *path = nullptr;
        FcChar8 *matchedFamily = nullptr;
        bool familyOk = !exact;
        for (int i = 0; exact && FcPatternGetString(match, FC_FAMILY, i, &matchedFamily) == FcResultMatch; i++)
            if (strcasecmp(reinterpret_cast<const char *>(matchedFamily), family) == 0)
                familyOk = true;
        if (familyOk && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path)
            file = reinterpret_cast<const char *>(path);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return file;
}

std::string PlatformSansSerifFontFile()
{
    static std::string cached;
    if (cached.empty())
        cached = MatchFamily("sans-serif", false);
    return cached;
}

std::string PlatformFontFileForFamily(const char *family)
{
    if (family && *family) {
        std::string file = MatchFamily(family, true);
        if (!file.empty())
            return file;
    }
    return PlatformSansSerifFontFile();
}
