// The menu bar description: parsing, the shipped "MainMenu", enabling items
// by command code and key equivalents.
#include "Events.h"
#include "Folders.h"
#include "MenuBar.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace {

int32_t Parse(const std::string &text, std::vector<PlatformMenu> *menus)
{
    return PlatformMenuBarParse(text.data(), text.size(), menus);
}

TEST(MenuBar, ParsesMenusItemsSeparatorsAndKeyEquivalents)
{
    std::vector<PlatformMenu> menus;
    ASSERT_EQ(Parse("# comment\n\nmenu \"File\"\r\n  item 'new ' \"New\" Ctrl+N\n"
                    "separator\nitem 'svas' \"Save As...\" Shift+Ctrl+S\nitem 'rvrt' \"Revert\"\n"
                    "menu \"Edit\"\nitem 'sall' \"Select All\" Alt+a",
                    &menus),
              0);
    ASSERT_EQ(menus.size(), 2u);
    EXPECT_EQ(menus[0].title, "File");
    ASSERT_EQ(menus[0].items.size(), 4u);
    EXPECT_EQ(menus[0].items[0].command, FourCharCode('new '));
    EXPECT_EQ(menus[0].items[0].title, "New");
    EXPECT_EQ(menus[0].items[0].keyCharacter, 'n');
    EXPECT_EQ(menus[0].items[0].keyModifiers, uint32_t(kModifierControl));
    EXPECT_EQ(menus[0].items[1].command, 0u);
    EXPECT_EQ(menus[0].items[2].keyModifiers, uint32_t(kModifierControl | kModifierShift));
    EXPECT_EQ(menus[0].items[3].keyCharacter, 0);
    EXPECT_TRUE(menus[0].items[3].enabled);
    EXPECT_EQ(menus[1].items[0].keyModifiers, uint32_t(kModifierAlt));
}

TEST(MenuBar, ReportsTheFirstMalformedLine)
{
    std::vector<PlatformMenu> menus;
    EXPECT_EQ(Parse("item 'quit' \"Quit\"\n", &menus), 1); // an item outside any menu
    EXPECT_EQ(Parse("menu \"A\"\nitem 'qui' \"Quit\"\n", &menus), 2);
    EXPECT_EQ(Parse("menu \"A\"\nitem 'quit' \"Quit\" Ctrl+\n", &menus), 2);
    EXPECT_EQ(Parse("menu \"A\"\nitem 'quit' \"Quit\" Hyper+Q\n", &menus), 2);
    EXPECT_EQ(Parse("menu \"A\"\nitem 'quit' \"Quit\" Ctrl+Ctrl+Q\n", &menus), 2);
    EXPECT_EQ(Parse("menu \"A\"\nitem 'quit' \"Quit\" Ctrl+Q extra\n", &menus), 2);
    EXPECT_EQ(Parse("menu \"A\"\n\nitem 'quit' \"Quit\n", &menus), 3);
    EXPECT_EQ(Parse("menu \"A\"\nbogus\n", &menus), 2);
    static const char withNul[] = "menu \"A\"\nitem 'q\0it' \"Q\"\n";
    EXPECT_EQ(Parse(std::string(withNul, sizeof withNul - 1), &menus), 2);
    EXPECT_TRUE(menus.empty());
    std::string tooMany;
    for (int i = 0; i <= kMenuBarMaxMenus; i++)
        tooMany += "menu \"M\"\n";
    EXPECT_EQ(Parse(tooMany, &menus), kMenuBarMaxMenus + 1);
}

class ShippedMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        PlatformSetResourcesFolder(BRIMHOLD_SOURCE_DIR "/Resources");
        ASSERT_EQ(PlatformMenuBarLoad("MainMenu"), 0);
    }
    void TearDown() override
    {
        PlatformMenuBarClear();
        PlatformSetResourcesFolder("");
    }
};

TEST_F(ShippedMenu, KeyEquivalentsUseCtrlAndFollowTheEnabledItems)
{
    FourCharCode command = 0;
    const struct {
        uint8_t key;
        uint32_t modifiers;
        FourCharCode command;
    } keys[] = {{'q', kModifierControl, 'quit'},
                {'n', kModifierControl, 'new '},
                {'o', kModifierControl, 'open'},
                {'S', kModifierControl | kModifierShift | kModifierCapsLock, 'svas'},
                {'z', kModifierControl, 'undo'}};
    for (const auto &k : keys) {
        EXPECT_TRUE(PlatformMenuCommandForKey(k.key, k.modifiers, &command)) << k.key;
        EXPECT_EQ(command, k.command) << k.key;
    }
    EXPECT_FALSE(PlatformMenuCommandForKey('q', 0, &command));
    EXPECT_FALSE(PlatformMenuCommandForKey('q', kModifierAlt, &command));

    // Enabling and disabling act on the item of the code and its key.
    EXPECT_TRUE(PlatformDisableMenuCommand('save'));
    EXPECT_FALSE(PlatformIsMenuCommandEnabled('save'));
    EXPECT_FALSE(PlatformMenuCommandForKey('s', kModifierControl, &command));
    EXPECT_TRUE(PlatformEnableMenuCommand('save'));
    EXPECT_TRUE(PlatformIsMenuCommandEnabled('save'));
    // A code without an item is skipped.
    EXPECT_FALSE(PlatformDisableMenuCommand('none'));
    EXPECT_FALSE(PlatformIsMenuCommandEnabled('none'));
}

TEST(MenuBarFile, MissingDescriptionGivesANegativeErrorCodeAndNoMenuBar)
{
    PlatformSetResourcesFolder(BRIMHOLD_BINARY_DIR "/no such folder");
    EXPECT_EQ(PlatformMenuBarLoad("MainMenu"), -ENOENT);
    EXPECT_FALSE(PlatformMenuBarIsLoaded());
    EXPECT_FALSE(PlatformDisableMenuCommand('quit'));
    PlatformSetResourcesFolder("");
}

} // namespace
