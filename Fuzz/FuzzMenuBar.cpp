// Any bytes as a menu bar description: parsed or refused with a line number,
// never more menus or items than the limits allow.
#include "MenuBar.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<PlatformMenu> menus;
    int32_t result = PlatformMenuBarParse(reinterpret_cast<const char *>(data), size, &menus);
    if (result < 0 || (result > 0 && !menus.empty()))
        std::abort();
    if (menus.size() > size_t(kMenuBarMaxMenus))
        std::abort();
    for (const PlatformMenu &menu : menus) {
        if (menu.items.size() > size_t(kMenuBarMaxItemsPerMenu) || menu.title.size() > size_t(kMenuBarMaxTitleLength))
            std::abort();
        for (const PlatformMenuItem &item : menu.items)
            if (item.title.size() > size_t(kMenuBarMaxTitleLength))
                std::abort();
    }
    return 0;
}
