// Font lookup through fontconfig.
#pragma once

#include <string>

// The file of the system's sans-serif face; empty when there is none.
std::string PlatformSansSerifFontFile();
// The file of the named family's regular face, or the sans-serif file when
// the family is not installed.
std::string PlatformFontFileForFamily(const char *family);
