// Any bytes as a key bindings file: either refused with the bindings left
// as they were, or taken with every action on a bindable key, no two actions
// of one context sharing a key, and the text written back reading back the
// same.
#include "Bindings.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    BindingsLoadDefaults();
    std::string before = BindingsWriteToText();
    std::string error;
    std::string text(reinterpret_cast<const char *>(data), size);
    if (!BindingsReadFromText(text, &error)) {
        if (error.empty() || BindingsWriteToText() != before)
            std::abort();
        return 0;
    }
    for (int32_t a = 0; a < kBindingsActionCount; a++) {
        if (!BindingsKeyIsBindable(BindingsGetKey(a)))
            std::abort();
        if (BindingsActionForKey(BindingsActionContext(a), BindingsGetKey(a)) != a)
            std::abort();
    }
    std::string written = BindingsWriteToText();
    BindingsLoadDefaults();
    if (!BindingsReadFromText(written, &error) || BindingsWriteToText() != written)
        std::abort();
    return 0;
}
