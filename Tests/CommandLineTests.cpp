#include "CommandLine.h"

#include "AssetTestFolder.h"
#include "LevelSet.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <tuple>
#include <vector>

namespace {

CommandLine Parse(std::initializer_list<const char *> arguments)
{
    std::vector<const char *> argv = {"brimhold"};
    argv.insert(argv.end(), arguments);
    return CommandLineParse(int(argv.size()), argv.data());
}

// The action, file and level of the arguments.
std::tuple<int32_t, std::string, int32_t> Parsed(std::initializer_list<const char *> arguments)
{
    CommandLine line = Parse(arguments);
    return {line.action, line.file, line.level};
}

TEST(CommandLine, FileAndLevelInAnyOrder)
{
    EXPECT_EQ(Parsed({}), std::tuple(CommandLineRun, "", 0));
    EXPECT_EQ(Parsed({"My levels"}), std::tuple(CommandLineRun, "My levels", 0));
    EXPECT_EQ(Parsed({"--level", "3", "/tmp/set"}), std::tuple(CommandLineRun, "/tmp/set", 3));
    EXPECT_EQ(Parsed({"/tmp/set", "--level=3"}), std::tuple(CommandLineRun, "/tmp/set", 3));
    // After "--" a name that starts with a dash is a file; a lone "-" is one too.
    EXPECT_EQ(Parsed({"--", "--level"}), std::tuple(CommandLineRun, "--level", 0));
    EXPECT_EQ(Parsed({"-"}), std::tuple(CommandLineRun, "-", 0));
}

TEST(CommandLine, HelpAndVersionWinOverEverythingBeforeThem)
{
    EXPECT_EQ(Parse({"--help"}).action, CommandLineHelp);
    EXPECT_EQ(Parse({"-h"}).action, CommandLineHelp);
    EXPECT_EQ(Parse({"set", "--version"}).action, CommandLineVersion);
    EXPECT_EQ(CommandLineGetVersionText().rfind("Brimhold ", 0), 0u);
    EXPECT_NE(std::string(CommandLineGetUsage()).find("--level N"), std::string::npos);
}

TEST(CommandLine, BadArgumentsAreUsageErrorsNamingTheProblem)
{
    struct Case {
        std::initializer_list<const char *> arguments;
        const char *problem;
    };
    for (const Case &c : {Case{{"--fast"}, "unknown option: --fast"},
                          Case{{"--level"}, "--level needs a level number"},
                          Case{{"--level", "0", "set"}, "not a level number: 0"},
                          Case{{"--level", "-2"}, "not a level number: -2"},
                          Case{{"--level=3x"}, "not a level number: 3x"},
                          Case{{"--level", "99999999999999999999"}, "not a level number: 99999999999999999999"},
                          Case{{"one", "two"}, "only one level-set file can be given"}}) {
        CommandLine line = Parse(c.arguments);
        EXPECT_EQ(line.action, CommandLineUsageError) << c.problem;
        EXPECT_EQ(line.problem, c.problem);
    }
}

// A file named on the command line that is missing or hostile is reported
// and the game opens with "Test levels"; a good one becomes the set.
TEST(CommandLine, AFileThatCannotBeLoadedLeavesTheDefaultSet)
{
    assettest::Folder folder;
    std::filesystem::create_directories(folder.root / "Levels");
    LevelSet *made = LevelSetAllocate();
    LevelSetInit(made);
    LevelSetAppendLevel(made);
    ASSERT_TRUE(LevelSetSaveToFile(made, folder.root / "Levels", "Test levels"));
    ASSERT_TRUE(LevelSetSaveToFile(made, folder.root, "Mine"));
    LevelSetDispose(made);
    // The magic, a count of 32767 levels and a first level claiming to be huge.
    folder.Write("", "hostile", "BRMHLevl" + std::string(64, '\0') + "\x7f\xff\x7f\xff\xff\xff" + "garbage");

    for (const char *name : {"missing", "hostile", "Mine"}) {
        const bool good = name == std::string("Mine");
        assettest::Alerts().clear();
        LevelSet *set = LevelSetAllocate();
        LevelSetInit(set);
        EXPECT_EQ(CommandLineLoadStartingSet(set, folder.root / name), good) << name;
        EXPECT_EQ(assettest::Alerts(), good ? std::vector<std::string>()
                                            : std::vector<std::string>{"There was a problem loading the specified "
                                                                       "level file."});
        EXPECT_EQ(std::make_pair(LevelSetGetLevelSetName(set), int(LevelSetGetLevelCount(set))),
                  std::make_pair(std::string(good ? "Mine" : "Test levels"), 2));
        LevelSetDispose(set);
    }
}

} // namespace
