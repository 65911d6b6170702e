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
#include "Preferences.h"
#include "Replay.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path &file, const std::string &bytes)
{
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

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

// A full disk: files cannot grow past a few bytes while it lives (SIGXFSZ is
// ignored, so writes fail with EFBIG instead of ending the process).
class FullDisk {
public:
    explicit FullDisk(rlim_t bytes)
    {
        oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit limit = old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FullDisk()
    {
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
    }

private:
    rlimit old{};
    void (*oldHandler)(int) = nullptr;
};

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

// Sets or unsets an environment variable while it lives.
class Environment {
public:
    Environment(const char *name, const char *value) : name(name)
    {
        if (const char *old = std::getenv(name))
            previous = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~Environment()
    {
        if (previous)
            setenv(name.c_str(), previous->c_str(), 1);
        else
            unsetenv(name.c_str());
    }

private:
    std::string name;
    std::optional<std::string> previous;
};

class FaultInjection : public ::testing::Test {
protected:
    fs::path root;

    void SetUp() override
    {
        root = fs::temp_directory_path() / ("brimhold-faults-" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "folder");
    }
    void TearDown() override
    {
        fs::permissions(root / "folder", fs::perms::owner_all);
        fs::remove_all(root);
    }
    fs::path Folder() const { return root / "folder"; }
    // A path whose parent is a plain file, so no folder can be made there.
    fs::path Unmakeable() const
    {
        WriteAll(root / "plain file", "not a folder");
        return root / "plain file" / "sub";
    }
    void MakeReadOnly() { fs::permissions(Folder(), fs::perms::owner_read | fs::perms::owner_exec); }
};

// ---- Preferences --------------------------------------------------------------

class PreferencesFaults : public FaultInjection {
protected:
    std::string oldBytes;
    fs::path file;

    void SetUp() override
    {
        FaultInjection::SetUp();
        file = Folder() / "Brimhold" / "Brimhold Preferences";
        fs::create_directories(file.parent_path());
        oldBytes = std::string(kPrefsFileSize, '\1');
        WriteAll(file, oldBytes);
    }
    // Starts the store from the old file, changes a setting and shuts down
    // with the configuration folder at config; returns what was reported.
    std::string SaveWith(const fs::path &config, const std::function<void()> &fault)
    {
        Environment xdg("XDG_CONFIG_HOME", Folder().c_str());
        PrefsStartUp();
        PrefsSetValue(kPrefsKeySound, 0);
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        testing::internal::CaptureStderr();
        fault();
        return testing::internal::GetCapturedStderr();
    }
    void ExpectOldFileKept()
    {
        EXPECT_EQ(ReadAll(file), oldBytes);
        EXPECT_EQ(Listing(file.parent_path()), std::vector<std::string>{"Brimhold Preferences"});
    }
};

TEST_F(PreferencesFaults, FullDiskReportsTheFileAndKeepsTheOldOne)
{
    std::string said = SaveWith(Folder(), [] {
        // Room for the report (captured in a file), not for the 283 bytes.
        FullDisk full(250);
        PrefsShutDown();
    });
    EXPECT_NE(said.find(file.string()), std::string::npos) << said;
    ExpectOldFileKept();
}

TEST_F(PreferencesFaults, ReadOnlyFolderReportsTheFileAndKeepsTheOldOne)
{
    std::string said = SaveWith(Folder(), [&] {
        fs::permissions(file.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
        PermissionsCount permissions;
        PrefsShutDown();
    });
    fs::permissions(file.parent_path(), fs::perms::owner_all);
    EXPECT_NE(said.find(file.string()), std::string::npos) << said;
    ExpectOldFileKept();
}

TEST_F(PreferencesFaults, UnmakeableFolderAndNoHomeAreReported)
{
    fs::path nowhere = Unmakeable();
    std::string said = SaveWith(nowhere, [] {
        Environment home("HOME", nullptr);
        PrefsShutDown();
    });
    EXPECT_NE(said.find((nowhere / "Brimhold" / "Brimhold Preferences").string()), std::string::npos) << said;
    ExpectOldFileKept();
}

// ---- Level sets and replays ---------------------------------------------------

class SavedFileFaults : public FaultInjection {
protected:
    // Saves into folder under the fault; true when the save claimed success.
    virtual bool Save(const fs::path &folder) = 0;
    virtual std::string Name() const = 0;

    void ExpectRefusedAndKept(const std::function<void()> &fault)
    {
        ASSERT_TRUE(Save(Folder()));
        std::string old = ReadAll(Folder() / Name());
        ASSERT_FALSE(old.empty());
        Change();
        fault();
        EXPECT_EQ(ReadAll(Folder() / Name()), old);
        EXPECT_EQ(Listing(Folder()), std::vector<std::string>{Name()});
    }
    virtual void Change() = 0;
};

class LevelSetFaults : public SavedFileFaults {
protected:
    LevelSet *set = nullptr;
    void SetUp() override
    {
        SavedFileFaults::SetUp();
        set = LevelSetAllocate();
        LevelSetInit(set);
    }
    void TearDown() override
    {
        LevelSetDispose(set);
        SavedFileFaults::TearDown();
    }
    bool Save(const fs::path &folder) override { return LevelSetSaveToFile(set, folder, Name()); }
    std::string Name() const override { return "My levels"; }
    void Change() override { ASSERT_NE(LevelSetAppendLevel(set), nullptr); }
};

TEST_F(LevelSetFaults, FullDiskReadOnlyAndUnmakeableFoldersFailAndKeepTheOldFile)
{
    ExpectRefusedAndKept([&] {
        FullDisk full(64);
        EXPECT_FALSE(Save(Folder()));
    });
    ExpectRefusedAndKept([&] {
        MakeReadOnly();
        PermissionsCount permissions;
        EXPECT_FALSE(Save(Folder()));
    });
    fs::permissions(Folder(), fs::perms::owner_all);
    EXPECT_FALSE(Save(Unmakeable()));
}

class ReplayFaults : public SavedFileFaults {
protected:
    Replay *replay = nullptr;
    void SetUp() override
    {
        SavedFileFaults::SetUp();
        replay = ReplayAllocate();
        for (int step = 0; step < 40; step++)
            ReplayRecordEvent(replay, step * 10, kReplayKeyDown, 126);
    }
    void TearDown() override
    {
        ReplayDispose(replay);
        SavedFileFaults::TearDown();
    }
    bool Save(const fs::path &folder) override { return ReplaySaveToFile(replay, (folder / Name()).string()); }
    std::string Name() const override { return "walk.txt"; }
    void Change() override { ReplayRecordEvent(replay, 1000, kReplayKeyUp, 126); }
};

TEST_F(ReplayFaults, FullDiskReadOnlyAndUnmakeableFoldersFailAndKeepTheOldFile)
{
    ExpectRefusedAndKept([&] {
        FullDisk full(64);
        EXPECT_FALSE(Save(Folder()));
    });
    ExpectRefusedAndKept([&] {
        MakeReadOnly();
        PermissionsCount permissions;
        EXPECT_FALSE(Save(Folder()));
    });
    fs::permissions(Folder(), fs::perms::owner_all);
    EXPECT_FALSE(Save(Unmakeable()));
}

// ---- Snapshots ----------------------------------------------------------------

TEST_F(FaultInjection, PictureWriterLeavesNoHalfPicture)
{
    std::vector<uint8_t> rgb(size_t(64) * 64 * 3, 0x5A);
    for (size_t i = 0; i < rgb.size(); i++)
        rgb[i] = uint8_t(i * 7919 % 251); // hardly compressible
    WriteAll(Folder() / "Picture 1.png", "an older picture");
    {
        FullDisk full(200);
        EXPECT_FALSE(PlatformWritePNG(Folder() / "Picture 2.png", 64, 64, rgb.data()));
    }
    MakeReadOnly();
    {
        PermissionsCount permissions;
        EXPECT_FALSE(PlatformWritePNG(Folder() / "Picture 2.png", 64, 64, rgb.data()));
    }
    EXPECT_EQ(Listing(Folder()), std::vector<std::string>{"Picture 1.png"});
    EXPECT_EQ(ReadAll(Folder() / "Picture 1.png"), "an older picture");
}

TEST_F(FaultInjection, SnapshotOnAFullDiskBeepsAndNamesThePicture)
{
    HeadlessPlatformStartUp();
    Environment home("HOME", root.c_str());
    Environment config("XDG_CONFIG_HOME", (root / "no config").c_str());
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
