#include "Folders.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

static fs::path resourcesOverride;

static fs::path HomeFolder()
{
    const char *home = std::getenv("HOME");
    return (home && *home) ? fs::path(home) : fs::path("/tmp");
}

// An XDG base folder: the variable when it holds an absolute path, else the
// fallback under the home folder.
static fs::path XdgFolder(const char *variable, const char *fallback)
{
    const char *value = std::getenv(variable);
    if (value && value[0] == '/')
        return fs::path(value);
    return HomeFolder() / fallback;
}

static fs::path ExecutableFolder()
{
    std::error_code error;
    fs::path exe = fs::read_symlink("/proc/self/exe", error);
    if (error)
        return fs::current_path(error);
    return exe.parent_path();
}

fs::path PlatformResourcesFolder()
{
    if (!resourcesOverride.empty())
        return resourcesOverride;
    // An explicit data folder, for a game installed somewhere unusual.
    const char *dataFolder = std::getenv("BRIMHOLD_DATA_DIR");
    if (dataFolder && *dataFolder)
        return fs::path(dataFolder);
    std::error_code error;
    fs::path folder = ExecutableFolder();
    fs::path beside = folder / "Resources";
    if (fs::is_directory(beside, error))
        return beside;
    fs::path installed = folder / ".." / "share" / "brimhold";
    if (fs::is_directory(installed, error))
        return installed;
    return beside;
}

void PlatformSetResourcesFolder(const fs::path &folder)
{
    resourcesOverride = folder;
}

fs::path PlatformResourceSubfolder(const char *name)
{
    return PlatformResourcesFolder() / name;
}

fs::path PlatformUserDataFolder()
{
    return XdgFolder("XDG_DATA_HOME", ".local/share") / "Brimhold";
}

fs::path PlatformStateFolder()
{
    return XdgFolder("XDG_STATE_HOME", ".local/state") / "Brimhold";
}

fs::path PlatformPreferencesFolder()
{
    return XdgFolder("XDG_CONFIG_HOME", ".config") / "Brimhold";
}

fs::path PlatformDesktopFolder()
{
    // user-dirs.dirs holds lines such as XDG_DESKTOP_DIR="$HOME/Desktop".
    fs::path home = HomeFolder();
    std::ifstream in(XdgFolder("XDG_CONFIG_HOME", ".config") / "user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        const std::string key = "XDG_DESKTOP_DIR=\"";
        if (line.compare(0, key.size(), key) != 0)
            continue;
        size_t end = line.find('"', key.size());
        if (end == std::string::npos)
            break;
        std::string value = line.substr(key.size(), end - key.size());
        if (value.compare(0, 5, "$HOME") == 0)
            return home / value.substr(value.size() > 5 && value[5] == '/' ? 6 : 5);
        if (!value.empty() && value[0] == '/')
            return fs::path(value);
        break;
    }
    return home / "Desktop";
}
