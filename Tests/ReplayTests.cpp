#include "Replay.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

TEST(Replay, RoundTripsThroughTextAndFilesAndAcceptsCommentsAndCarriageReturns)
{
    Replay *r = ReplayAllocate();
    r->setName = "Test levels";
    r->levelIndex = 3;
    r->seed = -42;
    ASSERT_TRUE(ReplayRecordEvent(r, 0, kReplayKeyDown, 30));
    ASSERT_TRUE(ReplayRecordEvent(r, 0, kReplayModifiers, 0x0200));
    ASSERT_TRUE(ReplayRecordEvent(r, 57, kReplayKeyUp, 30));
    EXPECT_FALSE(ReplayRecordEvent(r, 56, kReplayKeyDown, 32)); // steps never go back
    r->endStep = 300;
    std::string text = ReplaySaveToText(r);
    EXPECT_EQ(text, "Brimhold replay 1\nset Test levels\nlevel 3\nseed -42\n0 down 30\n0 modifiers 512\n"
                    "57 up 30\nend 300\n");
    Replay *back = ReplayAllocate();
    std::string error;
    ASSERT_TRUE(ReplayLoadFromText(back, text, &error)) << error;
    EXPECT_EQ(back->seed, -42);
    EXPECT_EQ(ReplaySaveToText(back), text);

    testfiles::TemporaryFolder folder;
    std::filesystem::path file = folder.path() / "replay";
    ASSERT_TRUE(ReplaySaveToFile(r, file.string()));
    Replay *fromFile = ReplayAllocate();
    ASSERT_TRUE(ReplayLoadFromFile(fromFile, file.string(), &error)) << error;
    EXPECT_EQ(ReplaySaveToText(fromFile), text);
    // Comments, blank lines and carriage returns are accepted.
    text = "# made by hand\r\nBrimhold replay 1\r\n\r\n  10 down 32\r\nend 20\r\n";
    ASSERT_TRUE(ReplayLoadFromText(back, text, &error)) << error;
    ASSERT_EQ(back->events.size(), 1u);
    EXPECT_EQ(back->events[0].value, 32);
    ReplayDispose(fromFile);
    ReplayDispose(back);
    ReplayDispose(r);
}

TEST(Replay, MalformedFilesAreRefusedWholeNamingTheLine)
{
    struct Case {
        const char *text;
        const char *error;
    } cases[] = {
        {"", "Replay line 0: expected \"Brimhold replay 1\""},
        {"Brimhold replay 2\n", "Replay line 1: expected \"Brimhold replay 1\""},
        {"Brimhold replay 1\n5 down 30\n", "Replay line 2: missing \"end <step>\" line"},
        {"Brimhold replay 1\n5 down 30\n4 up 30\nend 9\n", "Replay line 3: steps must not go back"},
        {"Brimhold replay 1\n5 press 30\nend 9\n", "Replay line 2: unknown event \"press\""},
        {"Brimhold replay 1\n5 down 300\nend 9\n", "Replay line 2: bad value \"300\""},
        {"Brimhold replay 1\n5 down\nend 9\n", "Replay line 2: expected \"<step> down|up|modifiers <value>\""},
        {"Brimhold replay 1\n-5 down 30\nend 9\n", "Replay line 2: unknown line \"-5 down 30\""},
        {"Brimhold replay 1\nlevel x\nend 9\n", "Replay line 2: bad level index \"x\""},
        {"Brimhold replay 1\nseed 99999999999\nend 9\n", "Replay line 2: bad seed \"99999999999\""},
        {"Brimhold replay 1\n8 up 30\nend 7\n", "Replay line 3: bad end step \"7\""},
        {"Brimhold replay 1\nend 7\n8 up 30\n", "Replay line 3: nothing may follow the end line"},
        {"Brimhold replay 1\nset\nend 7\n", "Replay line 2: the set line needs a name"},
    };
    for (const Case &c : cases) {
        Replay *r = ReplayAllocate();
        r->setName = "kept";
        ReplayRecordEvent(r, 1, kReplayKeyDown, 30);
        std::string error;
        EXPECT_FALSE(ReplayLoadFromText(r, c.text, &error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
        // Never half-applied.
        EXPECT_EQ(std::make_pair(r->setName, r->events.size()), std::make_pair(std::string("kept"), size_t(1)));
        ReplayDispose(r);
    }
    Replay *r = ReplayAllocate();
    std::string error;
    EXPECT_FALSE(ReplayLoadFromFile(r, "/nonexistent/replay", &error));
    EXPECT_EQ(error, "Cannot open replay \"/nonexistent/replay\"");
    ReplayDispose(r);
}

// What a loaded replay saves reads back as the same replay, and saving it
// again gives the same text: without a set line, and with a set name followed
// by several carriage returns.
TEST(Replay, SavedTextOfALoadedReplayIsStable)
{
    for (auto [text, setName] : {std::pair{"Brimhold replay 1\n5 down 30\nend 9\n", ""},
                                 {"Brimhold replay 1\r\nset My set\r\r\r\nend 0\r\n", "My set"}}) {
        Replay *first = ReplayAllocate();
        Replay *second = ReplayAllocate();
        std::string error;
        ASSERT_TRUE(ReplayLoadFromText(first, text, &error)) << error;
        EXPECT_EQ(first->setName, setName);
        std::string saved = ReplaySaveToText(first);
        ASSERT_TRUE(ReplayLoadFromText(second, saved, &error)) << text << ": " << error;
        EXPECT_EQ(second->setName, setName);
        EXPECT_EQ(ReplaySaveToText(second), saved);
        ReplayDispose(second);
        ReplayDispose(first);
    }
}
