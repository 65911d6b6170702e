// Any bytes as a preferences file: flags stay 0 or 1, the text stays
// terminated, and the file written back is 283 bytes that read back the same.
#include "Preferences.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool started = false;
    if (!started) {
        // A folder that cannot exist keeps the fuzzer from touching real files.
        setenv("XDG_CONFIG_HOME", "/nonexistent/brimhold-fuzz", 1);
        PrefsStartUp();
        started = true;
    }
    PrefsLoadDefaults();
    PrefsReadFromBytes(data, size);
    for (int32_t key = 0; key < 7; key++) {
        int32_t value = -1;
        PrefsGetValue(key, &value);
        if (value != 0 && value != 1)
            std::abort();
    }
    char text[kPrefsTextSize];
    PrefsGetValue(kPrefsKeyText, text);
    if (strnlen(text, sizeof text) >= sizeof text)
        std::abort();
    uint8_t file[kPrefsFileSize];
    PrefsWriteToBytes(file);
    PrefsReadFromBytes(file, sizeof file);
    uint8_t again[kPrefsFileSize];
    PrefsWriteToBytes(again);
    if (std::memcmp(file, again, sizeof file) != 0)
        std::abort();
    return 0;
}
