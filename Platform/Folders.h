// Where the program finds its resources and keeps the user's files.
#pragma once

#include <filesystem>

// Resources/ beside the executable in the build tree, ../share/brimhold/ when
// installed (found from the executable's own place, so a moved prefix
// works).  $BRIMHOLD_DATA_DIR, when set, names the folder instead;
// PlatformSetResourcesFolder overrides both (tests).
std::filesystem::path PlatformResourcesFolder();
void PlatformSetResourcesFolder(const std::filesystem::path &folder);
// A named folder among the resources ("Models", "Sounds", "Levels", ...).
std::filesystem::path PlatformResourceSubfolder(const char *name);
// $XDG_DATA_HOME/Brimhold (default ~/.local/share/Brimhold); not created here.
std::filesystem::path PlatformUserDataFolder();
// $XDG_STATE_HOME/Brimhold (default ~/.local/state/Brimhold); not created here.
std::filesystem::path PlatformStateFolder();
// $XDG_CONFIG_HOME/Brimhold (default ~/.config/Brimhold); not created here.
std::filesystem::path PlatformPreferencesFolder();
// The XDG desktop folder (user-dirs.dirs, default ~/Desktop); never created.
std::filesystem::path PlatformDesktopFolder();
