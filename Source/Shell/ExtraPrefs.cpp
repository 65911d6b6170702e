#include "ExtraPrefs.h"

#include "Folders.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxFileSize = 4096;

struct Cache {
    fs::path path; // the file the values were read from
    ExtraPrefsValues values;
    bool loaded;
};
Cache cache;

ExtraPrefsValues &Current()
{
    fs::path path = ExtraPrefsGetFilePath();
    if (!cache.loaded || cache.path != path) {
        cache.path = path;
        cache.loaded = true;
        uint8_t bytes[kMaxFileSize];
        size_t size = 0;
        std::ifstream in(path, std::ios::binary);
        if (in) {
            in.read(reinterpret_cast<char *>(bytes), sizeof bytes);
            size = size_t(std::max<std::streamsize>(0, in.gcount()));
        }
        cache.values = ExtraPrefsParse(bytes, size);
    }
    return cache.values;
}

// Writes a new file and renames it over the old one only once it is
// complete; a failure is reported in one line and leaves the old file.
void Save()
{
    std::error_code error;
    fs::path file = cache.path;
    fs::create_directories(file.parent_path(), error);
    std::string text = ExtraPrefsFormat(cache.values);
    fs::path temporary = file;
    temporary += ".new";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool ok = fd >= 0;
    if (ok)
        ok = ::write(fd, text.data(), text.size()) == ssize_t(text.size()) && ::fsync(fd) == 0;
    if (fd >= 0 && ::close(fd) != 0)
        ok = false;
    if (ok && ::rename(temporary.c_str(), file.c_str()) != 0)
        ok = false;
    if (!ok) {
        if (fd >= 0)
            ::unlink(temporary.c_str());
        std::fprintf(stderr, "brimhold: the preferences could not be saved to \"%s\"\n", file.c_str());
    }
}

bool Flag(const std::string &line, const char *name, bool *out)
{
    size_t length = std::strlen(name);
    if (line.compare(0, length, name) != 0 || line.size() != length + 2 || line[length] != ' ')
        return false;
    if (line[length + 1] != '0' && line[length + 1] != '1')
        return false;
    *out = line[length + 1] == '1';
    return true;
}

} // namespace

fs::path ExtraPrefsGetFilePath()
{
    return PlatformPreferencesFolder() / "Brimhold Extra Preferences";
}

ExtraPrefsValues ExtraPrefsParse(const uint8_t *data, size_t size)
{
    ExtraPrefsValues values{false, false};
    std::string line;
    for (size_t i = 0; i <= size && i <= kMaxFileSize; i++) {
        if (i == size || data[i] == '\n') {
            if (!Flag(line, "show-frame-rate", &values.showFrameRate))
                Flag(line, "help-shown", &values.helpShown);
            line.clear();
        } else if (line.size() < 64) {
            line += char(data[i]);
        }
    }
    return values;
}

std::string ExtraPrefsFormat(const ExtraPrefsValues &values)
{
    return std::string("show-frame-rate ") + (values.showFrameRate ? "1" : "0") + "\nhelp-shown " +
           (values.helpShown ? "1" : "0") + "\n";
}

bool ExtraPrefsShowFrameRate()
{
    return Current().showFrameRate;
}

void ExtraPrefsSetShowFrameRate(bool show)
{
    Current().showFrameRate = show;
    Save();
}

bool ExtraPrefsHelpShown()
{
    return Current().helpShown;
}

void ExtraPrefsSetHelpShown(bool shown)
{
    Current().helpShown = shown;
    Save();
}
