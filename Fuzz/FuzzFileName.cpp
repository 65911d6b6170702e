// Any bytes typed as a file name into the save dialog: the check answers
// without a crash, and what it lets through can name a file in a folder.
#include "Dialogs.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string name(reinterpret_cast<const char *>(data), size);
    const char *problem = DialogsCheckFileName(name);
    if (problem) {
        if (*problem == '\0')
            __builtin_trap(); // a refusal always says why
        return 0;
    }
    // Accepted: one non-empty path component that is neither "." nor "..",
    // short enough for the file system, with no byte that ends a C string.
    if (name.empty() || name.size() > 255 || name.find('/') != std::string::npos ||
        name.find('\0') != std::string::npos || name.find_first_not_of('.') == std::string::npos)
        __builtin_trap();
    return 0;
}
