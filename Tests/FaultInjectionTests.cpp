// Every file the game writes, written when the writing fails: a full disk
// (a file-size limit), a read-only folder, a folder that cannot be made, and
// no home with the XDG folders somewhere unwritable.  Each failure is
// reported naming the file, nothing crashes, no temporary file is left, and
// the old file keeps its bytes.
#include "Folders.h"
#include "Headless.h"
#include "Image.h"
#include "Level.h"
#include "LevelSet.h"
#include "OpenGLWindow.h"
#include "LevelWorldSupport.h"
#include "Preferences.h"
#include "Replay.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace fs = std::filesystem;
using levelworld::FullDisk;
using levelworld::ReadBytes;
using levelworld::ScopedEnv;
using levelworld::WriteBytes;

namespace {

// The files of a folder, by name.
std::vector<std::string> Listing(const fs::path &folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto &entry : fs::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Makes permissions count while it lives, also for root: the capabilities
// that override file permissions leave the effective set (they stay
// permitted, so they come back afterwards).
class PermissionsCount {
public:
    PermissionsCount()
    {
        header.version = _LINUX_CAPABILITY_VERSION_3;
        header.pid = 0;
        if (syscall(SYS_capget, &header, saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {saved[0], saved[1]};
        for (int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            reduced[capability / 32].effective &= ~(1u << (capability % 32));
        changed = syscall(SYS_capset, &header, reduced) == 0;
    }
    ~PermissionsCount()
    {
        if (changed)
            syscall(SYS_capset, &header, saved);
    }

private:
    __user_cap_header_struct header{};
    __user_cap_data_struct saved[2]{};
    bool changed = false;
};

class FaultInjection : public ::testing::Test {
protected:
    levelworld::TemporaryFolder temporary;
    const fs::path &root = temporary.path();

    void SetUp() override { fs::create_directories(root / "folder"); }
    void TearDown() override { fs::permissions(root / "folder", fs::perms::owner_all); }
    fs::path Folder() const { return root / "folder"; }
    // A path whose parent is a plain file, so no folder can be made there.
    fs::path Unmakeable() const
    {
        WriteBytes(root / "plain file", {1});
        return root / "plain file" / "sub";
    }
    void MakeReadOnly(const fs::path &folder)
    {
        fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    }

    // Saves with save(Folder()), changes what is saved, and saves again under
    // a full disk, then in a read-only folder: both fail and leave the old
    // file alone; a folder that cannot be made fails too.
    void ExpectFaultsKeepTheOldFile(const std::function<bool(const fs::path &)> &save,
                                    const std::function<void()> &change, const std::string &name)
    {
        ASSERT_TRUE(save(Folder()));
        std::vector<uint8_t> old = ReadBytes(Folder() / name);
        ASSERT_FALSE(old.empty());
        for (int fault = 0; fault < 2; fault++) {
            SCOPED_TRACE(fault ? "read-only folder" : "full disk");
            change();
            if (fault == 0) {
                FullDisk full(64);
                EXPECT_FALSE(save(Folder()));
            } else {
                MakeReadOnly(Folder());
                PermissionsCount permissions;
                EXPECT_FALSE(save(Folder()));
            }
            EXPECT_EQ(ReadBytes(Folder() / name), old);
            EXPECT_EQ(Listing(Folder()), std::vector<std::string>{name});
        }
        fs::permissions(Folder(), fs::perms::owner_all);
        EXPECT_FALSE(save(Unmakeable()));
    }
};

TEST_F(FaultInjection, PreferencesFaultsReportTheFileAndKeepTheOldOne)
{
    const fs::path file = Folder() / "Brimhold" / "Brimhold Preferences";
    const fs::path nowhere = Unmakeable();
    const std::vector<uint8_t> oldBytes(kPrefsFileSize, 1);
    const struct {
        const char *what;
        fs::path config;
        std::function<void()> shutDown;
    } cases[] = {
        // Room for the report (captured in a file), not for the 283 bytes.
        {"full disk", Folder(), [] {
             FullDisk full(250);
             PrefsShutDown();
         }},
        {"read-only folder", Folder(), [&] {
             MakeReadOnly(file.parent_path());
             PermissionsCount permissions;
             PrefsShutDown();
         }},
        {"unmakeable folder and no home", nowhere, [] {
             ScopedEnv home("HOME", nullptr);
             PrefsShutDown();
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        fs::create_directories(file.parent_path());
        WriteBytes(file, oldBytes);
        ScopedEnv xdg("XDG_CONFIG_HOME", Folder().c_str());
        PrefsStartUp();
        PrefsSetValue(kPrefsKeySound, 0);
        xdg.Set(c.config.c_str());
        testing::internal::CaptureStderr();
        c.shutDown();
        std::string said = testing::internal::GetCapturedStderr();
        fs::permissions(file.parent_path(), fs::perms::owner_all);
        EXPECT_NE(said.find((c.config / "Brimhold" / "Brimhold Preferences").string()), std::string::npos) << said;
        EXPECT_EQ(ReadBytes(file), oldBytes);
        EXPECT_EQ(Listing(file.parent_path()), std::vector<std::string>{"Brimhold Preferences"});
    }
}

TEST_F(FaultInjection, LevelSetSaveFaultsKeepTheOldFile)
{
    LevelSet *set = LevelSetAllocate();
    LevelSetInit(set);
    auto change = [&] {
        ASSERT_NE(LevelSetAppendLevel(set), nullptr);
        LevelSetMakeDirty(set);
    };
    ExpectFaultsKeepTheOldFile([&](const fs::path &folder) { return LevelSetSaveToFile(set, folder, "My levels"); },
                               change, "My levels");
    EXPECT_TRUE(LevelSetIsDirty(set)) << "a failed save leaves the set dirty";
    LevelSetDispose(set);
}

TEST_F(FaultInjection, ReplaySaveFaultsKeepTheOldFile)
{
    Replay *replay = ReplayAllocate();
    for (int step = 0; step < 40; step++)
        ReplayRecordEvent(replay, step * 10, kReplayKeyDown, 126);
    int32_t time = 1000;
    ExpectFaultsKeepTheOldFile(
        [&](const fs::path &folder) { return ReplaySaveToFile(replay, (folder / "walk.txt").string()); },
        [&] { ReplayRecordEvent(replay, time++, kReplayKeyUp, 126); }, "walk.txt");
    ReplayDispose(replay);
}

TEST_F(FaultInjection, PictureWriterLeavesNoHalfPicture)
{
    std::vector<uint8_t> rgb(size_t(64) * 64 * 3);
    for (size_t i = 0; i < rgb.size(); i++)
        rgb[i] = uint8_t(i * 7919 % 251); // hardly compressible
    // A full disk is met through the snapshot below.
    WriteBytes(Folder() / "Picture 1.png", {1, 2, 3});
    MakeReadOnly(Folder());
    {
        PermissionsCount permissions;
        EXPECT_FALSE(PlatformWritePNG(Folder() / "Picture 2.png", 64, 64, rgb.data()));
    }
    EXPECT_EQ(Listing(Folder()), std::vector<std::string>{"Picture 1.png"});
    EXPECT_EQ(ReadBytes(Folder() / "Picture 1.png"), (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(FaultInjection, SnapshotOnAFullDiskBeepsAndNamesThePicture)
{
    HeadlessPlatformStartUp();
    ScopedEnv home("HOME", root.c_str());
    ScopedEnv config("XDG_CONFIG_HOME", (root / "no config").c_str());
    fs::create_directories(root / "Desktop");
    OpenGLWindow *window = OpenGLWindowAllocate("Brimhold", 800, 600, false, false, kProjectionPerspective);
    ASSERT_NE(window, nullptr);
    glClearColor(0.3f, 0.6f, 0.9f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    testing::internal::CaptureStderr();
    {
        FullDisk full(100);
        OpenGLWindowTakeSnapshot(window, false);
    }
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(HeadlessBeepCount(), 1);
    EXPECT_NE(said.find((root / "Desktop" / "Picture 1.png").string()), std::string::npos) << said;
    EXPECT_TRUE(Listing(root / "Desktop").empty());
    OpenGLWindowDispose(window);
    HeadlessPlatformShutDown();
}

} // namespace
