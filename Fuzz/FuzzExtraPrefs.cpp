// Any bytes as the extra preferences file: the values read are written back
// as text that reads back the same.
#include "ExtraPrefs.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ExtraPrefsValues values = ExtraPrefsParse(data, size);
    std::string text = ExtraPrefsFormat(values);
    ExtraPrefsValues again = ExtraPrefsParse(reinterpret_cast<const uint8_t *>(text.data()), text.size());
    if (again.showFrameRate != values.showFrameRate || again.helpShown != values.helpShown ||
        ExtraPrefsFormat(again) != text)
        std::abort();
    return 0;
}
