#include "ModelParser.h"

#include "AssetTestFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using assettest::Header;

namespace {

const std::string kShaderBody = "Shader\n\tMaterial\n\t\tDiffuse: 1, 0, 0, 1\n\tEnd\nEnd\n";
const std::string kSkeletonBody = "Bone\n\tIdentifier: 'Root'\n\tLength: 1\n\tBone\n\t\tIdentifier: 'Arm1'\n"
                                  "\t\tLength: 2\n\tEnd\nEnd\n";
const std::string kAnimationBody = "Animation\n\tSkeleton: 'Skel'\nEnd\n";

class ModelRegistry : public ::testing::Test {
protected:
    assettest::Folder folder;
    void TearDown() override { ModelDisposeAllModels(); }
};

} // namespace

TEST(ModelScanning, LinesSkipBlanksAndIndentationAndShortCodesArePadded)
{
    const char text[] = "first\r\n\r\n   \t second\n\n\tthird";
    int32_t length = int32_t(sizeof text - 1);
    int32_t second = ModelNextLine(text, length, 0);
    ASSERT_GE(second, 0);
    EXPECT_EQ(0, std::strncmp(text + second, "second", 6));
    int32_t third = ModelNextLine(text, length, second);
    ASSERT_GE(third, 0);
    EXPECT_EQ(0, std::strncmp(text + third, "third", 5));
    EXPECT_EQ(-1, ModelNextLine(text, length, third));

    ModelLine line;
    ModelCopyLine(text, length, second, &line);
    EXPECT_STREQ("second", line.text);
    EXPECT_TRUE(ModelLineBegins(&line, "sec"));
    EXPECT_FALSE(ModelLineBegins(&line, "Second"));
    EXPECT_EQ(third, ModelFindLine(text, length, 0, "third"));
    EXPECT_EQ(-1, ModelFindLine(text, length, 0, "fourth"));
    // An overlong line is cut, not overrun.
    std::string overlong(5000, 'x');
    ModelCopyLine(overlong.data(), int32_t(overlong.size()), 0, &line);
    EXPECT_EQ(kModelLineMax - 1, std::strlen(line.text));

    // Codes are padded (whole codes such as 'Wall' are read by every
    // parser's tests).
    EXPECT_EQ(0x61620000u, ModelCodeFromChars("ab"));
}

TEST_F(ModelRegistry, LoadsAFileAndFindsItByKindAndIdentifier)
{
    auto file = folder.Model("Wall.shdr", Header("Shader", "Wall") + kShaderBody);
    ASSERT_EQ(0, ModelLoadFile(file));
    ASSERT_EQ(1, ModelGetNumberOfModels());
    Model *entry = ModelGetModelByIdentifier(kModelKindShader, 'Wall');
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ(kModelKindShader, entry->kind);
    EXPECT_EQ(0x57616C6Cu, entry->identifier);
    EXPECT_STREQ("Wall.shdr", entry->fileName);
    EXPECT_EQ(nullptr, ModelGetModelByIdentifier(kModelKindStatic, 'Wall'));
    EXPECT_EQ(nullptr, ModelGetModelByIdentifier(kModelKindShader, 'wall'));
    EXPECT_EQ(entry, ModelGetModelAtIndex(0));
    EXPECT_EQ(nullptr, ModelGetModelAtIndex(1));
    EXPECT_EQ(nullptr, ModelGetModelAtIndex(-1));
}

TEST_F(ModelRegistry, MissingOrIndentedFirstHeaderOrTypeFailsWithCode1AndLeavesNoEntry)
{
    // No header, no type, an unknown type, no opening line; a header on the
    // first line is tested at its very first character.
    const std::string texts[] = {kShaderBody, "Header\nIdentifier: 'Wall'\nEnd\n" + kShaderBody,
                                 "Header\nType: Sound\nIdentifier: 'Wall'\nEnd\n" + kShaderBody,
                                 Header("Shader", "Wall") + "Material\nEnd\n",
                                 "  Header\n\tType: Shader\n\tIdentifier: 'AAAA'\nEnd\n" + kShaderBody};
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(1, ModelLoadFile(folder.Model(std::to_string(i) + ".shdr", texts[i]))) << i;
    EXPECT_EQ(0, ModelGetNumberOfModels());
    // After the first line, the header may be indented.
    auto later = folder.Model("b.shdr", "# comment\n\n    Header\nType: Shader\nIdentifier: 'BBBB'\nEnd\n" + kShaderBody);
    EXPECT_EQ(0, ModelLoadFile(later));
    EXPECT_NE(nullptr, ModelGetModelByIdentifier(kModelKindShader, 'BBBB'));
}

TEST_F(ModelRegistry, MissingFileIsMinus43AndAnOversizedOneIsRefused)
{
    EXPECT_EQ(-43, ModelLoadFile(folder.root / "Models" / "nothing.shdr"));
    EXPECT_EQ(-43, ModelLoadIfNecessary("nothing.shdr"));
    EXPECT_EQ(-43, ModelLoadIfNecessary("../Textures"));
    std::string text = Header("Shader", "Huge") + kShaderBody;
    text.resize(size_t(kModelMaxFileSize) + 1, ' ');
    EXPECT_EQ(kModelErrorIO, ModelLoadFile(folder.Model("Huge.shdr", text)));
    EXPECT_EQ(0, ModelGetNumberOfModels());
}

TEST_F(ModelRegistry, RequiresLoadsFirstOnceAndMissingRequirementFails)
{
    folder.Model("Skel.skel", Header("Skeleton", "Skel") + kSkeletonBody);
    auto animation = folder.Model("Humn.anim", Header("Animation", "Humn", {"Skel.skel"}) + kAnimationBody);
    ASSERT_EQ(0, ModelLoadFile(animation));
    ASSERT_EQ(2, ModelGetNumberOfModels());
    // The animation's entry was pushed first; its requirement follows it.
    EXPECT_EQ(kModelKindAnimation, ModelGetModelAtIndex(0)->kind);
    EXPECT_EQ(kModelKindSkeleton, ModelGetModelAtIndex(1)->kind);

    // Already loaded: nothing more.
    EXPECT_EQ(0, ModelLoadIfNecessary("Skel.skel"));
    EXPECT_EQ(2, ModelGetNumberOfModels());

    auto needsMissing = folder.Model("x.shdr", Header("Shader", "Xxxx", {"Missing.skel"}) + kShaderBody);
    EXPECT_EQ(-43, ModelLoadFile(needsMissing));
    EXPECT_EQ(2, ModelGetNumberOfModels());

    // Cycles end.
    auto a = folder.Model("a.shdr", Header("Shader", "AAAA", {"b.shdr"}) + kShaderBody);
    folder.Model("b.shdr", Header("Shader", "BBBB", {"a.shdr"}) + kShaderBody);
    EXPECT_EQ(0, ModelLoadFile(a));
    EXPECT_EQ(4, ModelGetNumberOfModels());
}

TEST_F(ModelRegistry, AFailedFileKeepsTheFilesItRequired)
{
    folder.Model("Skel.skel", Header("Skeleton", "Skel") + kSkeletonBody);
    auto bad = folder.Model("Bad.anim", Header("Animation", "Badd", {"Skel.skel"}) +
                                            "Animation\nSkeleton: 'None'\nEnd\n");
    EXPECT_EQ(2, ModelLoadFile(bad));
    ASSERT_EQ(1, ModelGetNumberOfModels());
    EXPECT_EQ(kModelKindSkeleton, ModelGetModelAtIndex(0)->kind);
}

TEST_F(ModelRegistry, FirstEntryInLoadOrderWinsAndRemovingKeepsOrder)
{
    ASSERT_EQ(0, ModelLoadFile(folder.Model("one.shdr", Header("Shader", "Same") + kShaderBody)));
    ASSERT_EQ(0, ModelLoadFile(folder.Model("two.shdr", Header("Shader", "Same") + "Shader\nTexture\nEnd\n")));
    EXPECT_EQ(ModelGetModelAtIndex(0), ModelGetModelByIdentifier(kModelKindShader, 'Same'));
    for (const char *id : {"AAAA", "BBBB"})
        ASSERT_EQ(0, ModelLoadFile(folder.Model(std::string(id) + ".shdr", Header("Shader", id) + kShaderBody)));
    ModelRemoveModelFromList(kModelKindShader, 'AAAA');
    ModelRemoveModelFromList(kModelKindShader, 'ZZZZ');
    std::vector<FourCharCode> left;
    for (int32_t i = 0; i < ModelGetNumberOfModels(); i++)
        left.push_back(ModelGetModelAtIndex(i)->identifier);
    EXPECT_EQ(left, (std::vector<FourCharCode>{'Same', 'Same', 'BBBB'}));
}

TEST_F(ModelRegistry, LoadAllPicksSuffixesAndAlertsPerFailingFile)
{
    folder.Model("Wall.shdr", Header("Shader", "Wall") + kShaderBody);
    folder.Model("Skel.skel", Header("Skeleton", "Skel") + kSkeletonBody);
    folder.Model("Capital.Body", Header("Shader", "Capi") + kShaderBody);
    folder.Model("notes.txt", Header("Shader", "Note") + kShaderBody);
    folder.Model("Broken.modl", Header("Static", "Brok") + "nothing here\n");
    folder.Model("Worse.anim", Header("Animation", "Wors") + "Animation\nSkeleton: 'Gone'\nEnd\n");
    ModelLoadAllModels();
    EXPECT_EQ(2, ModelGetNumberOfModels());
    EXPECT_NE(nullptr, ModelGetModelByIdentifier(kModelKindShader, 'Wall'));
    EXPECT_NE(nullptr, ModelGetModelByIdentifier(kModelKindSkeleton, 'Skel'));
    EXPECT_EQ(nullptr, ModelGetModelByIdentifier(kModelKindShader, 'Capi'));
    EXPECT_EQ(nullptr, ModelGetModelByIdentifier(kModelKindShader, 'Note'));
    std::string models = (folder.root / "Models").string();
    EXPECT_EQ(assettest::Alerts(), (std::vector<std::string>{"Error loading file \"" + models + "/Broken.modl\": 1",
                                                             "Error loading file \"" + models + "/Worse.anim\": 2"}));
}

TEST_F(ModelRegistry, AFileLoadedAsARequirementGetsASecondEntryFromLoadAll)
{
    folder.Model("z.skel", Header("Skeleton", "Skel") + kSkeletonBody);
    folder.Model("b.anim", Header("Animation", "Humn", {"z.skel"}) + kAnimationBody);
    folder.Model("c.anim", Header("Animation", "Walk", {"z.skel"}) + kAnimationBody);
    ModelLoadAllModels();
    // b.anim with its requirement z.skel, c.anim, then z.skel once more.
    ASSERT_EQ(4, ModelGetNumberOfModels());
    EXPECT_STREQ("z.skel", ModelGetModelAtIndex(1)->fileName);
    EXPECT_STREQ("z.skel", ModelGetModelAtIndex(3)->fileName);
    EXPECT_EQ(ModelGetModelAtIndex(1), ModelGetModelByIdentifier(kModelKindSkeleton, 'Skel'));
    EXPECT_TRUE(assettest::Alerts().empty());
}
