#include "Recovery.h"

#include "Controller.h"
#include "Dialogs.h"
#include "Folders.h"
#include "LevelSet.h"
#include "Utilities.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char *kRecoveryName = "Unsaved level set";
constexpr const char *kOriginName = "Unsaved level set.origin";
// The origin file holds a path; anything longer is not one of ours.
constexpr std::uintmax_t kMaxOriginSize = 4096;

bool WriteAll(int fd, const uint8_t *data, size_t length)
{
    while (length > 0) {
        ssize_t written = ::write(fd, data, length);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        length -= size_t(written);
    }
    return true;
}

// Writes a new file beside the target and renames it into place only when
// it is complete and on disk.
bool WriteAtomically(const fs::path &target, const uint8_t *data, size_t length)
{
    std::string temporary = (target.parent_path() / ".brimhold-recovery-XXXXXX").string();
    int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, 0600) == 0 && WriteAll(fd, data, length) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok)
        ok = ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    int folderFd = ::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return true;
}

fs::path OriginFile()
{
    return RecoveryFolder() / kOriginName;
}

// The original file named beside the recovery file, or empty.
fs::path ReadOrigin()
{
    std::error_code error;
    fs::path file = OriginFile();
    if (!fs::is_regular_file(file, error) || fs::file_size(file, error) > kMaxOriginSize || error)
        return {};
    FILE *stream = std::fopen(file.c_str(), "rb");
    if (!stream)
        return {};
    std::string text(size_t(kMaxOriginSize), '\0');
    size_t got = std::fread(text.data(), 1, text.size(), stream);
    std::fclose(stream);
    text.resize(got);
    if (text.empty() || text[0] != '/' || text.find('\0') != std::string::npos)
        return {};
    // Saving writes to this path without asking: only a level set, or a
    // file that no longer exists in a folder that does, is taken.
    fs::path origin(text);
    bool usable = fs::exists(origin, error) ? LevelSetValidateFile(origin)
                                            : fs::is_directory(origin.parent_path(), error);
    return usable ? origin : fs::path();
}

} // namespace

fs::path RecoveryFolder()
{
    return PlatformStateFolder() / "Recovery";
}

fs::path RecoveryFile()
{
    return RecoveryFolder() / kRecoveryName;
}

bool RecoveryExists()
{
    std::error_code error;
    return fs::exists(RecoveryFile(), error);
}

bool RecoveryWrite(const std::vector<uint8_t> &bytes, const fs::path *originalFile)
{
    std::error_code error;
    fs::create_directories(RecoveryFolder(), error);
    if (!fs::is_directory(RecoveryFolder(), error))
        return false;
    std::string origin = originalFile ? fs::absolute(*originalFile, error).string() : std::string();
    if (origin.size() > kMaxOriginSize)
        origin.clear();
    // The origin first: a recovery file is never paired with another set's.
    if (origin.empty()) {
        fs::remove(OriginFile(), error);
        if (error)
            return false;
    } else if (!WriteAtomically(OriginFile(), reinterpret_cast<const uint8_t *>(origin.data()), origin.size())) {
        return false;
    }
    return WriteAtomically(RecoveryFile(), bytes.data(), bytes.size());
}

void RecoveryRemove()
{
    std::error_code error;
    fs::remove(RecoveryFile(), error);
    fs::remove(OriginFile(), error);
}

bool RecoveryRestore(LevelSet *set)
{
    fs::path file = RecoveryFile();
    if (!LevelSetReInitWithFile(set, file)) {
        std::error_code error;
        fs::path aside = file;
        aside += ".damaged";
        fs::rename(file, aside, error);
        fs::remove(OriginFile(), error);
        alertf("The unsaved changes found from the last time Brimhold ran could not be read. The file was kept "
               "as \"%s\".",
               aside.c_str());
        return false;
    }
    fs::path origin = ReadOrigin();
    delete set->file;
    set->file = origin.empty() ? nullptr : new fs::path(origin);
    LevelSetMakeDirty(set);
    return true;
}

bool RecoveryOfferAtStart(Controller *controller)
{
    LevelSet *set = ControllerGetCurrentLevelSet();
    if (!controller || !set || !RecoveryExists())
        return false;
    fs::path origin = ReadOrigin();
    LevelSet untitled{};
    std::string name = origin.empty() ? LevelSetGetLevelSetName(&untitled) : origin.filename().string();
    std::string message = "Brimhold found unsaved changes to \"" + name + "\" from the last time it ran.";
    // The mode on screen stays still (and does not draw over the question).
    ControllerSuspend(controller);
    int answer = displayQuestionDialog(message, "Restore", "Discard");
    ControllerResume(controller);
    if (answer == -1)
        RecoveryRemove();
    if (answer != 1 || !RecoveryRestore(set))
        return false;
    ControllerPushMode(controller, ModeLevelEditor);
    return true;
}
