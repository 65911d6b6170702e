#include "SetChooser.h"

#include "Controller.h"
#include "Dialogs.h"
#include "Events.h"
#include "LevelSet.h"
#include "ListPanel.h"
#include "Progress.h"
#include "Utilities.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace fs = std::filesystem;

namespace {

constexpr FourCharCode kPlayButton = 'Play';
constexpr FourCharCode kStartAtButton = 'Strt';
constexpr FourCharCode kWatchButton = 'Wtch';
constexpr FourCharCode kCancelButton = 'Cncl';
constexpr FourCharCode kBackButton = 'Back';


std::string Duration(int64_t steps)
{
    int64_t hundredths = steps * 100 / 120;
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d.%02d", int(hundredths / 6000), int(hundredths / 100 % 60),
                  int(hundredths % 100));
    return text;
}

// Makes the set in file the current set; false (with the loading alert)
// when it cannot be loaded.
bool MakeCurrent(const fs::path &file)
{
    LevelSet *set = ControllerGetCurrentLevelSet();
    if (!set || !LevelSetReInitWithFile(set, file)) {
        alertf("There was a problem loading the specified level file.");
        return false;
    }
    return true;
}

bool StartGame(int32_t level)
{
    Controller *controller = ControllerGetMainController();
    if (!controller || ControllerGetTopMode(controller) != ModeSplashScreen)
        return false;
    ControllerSetStartingLevel(controller, level);
    ControllerPushMode(controller, ModeGame);
    return true;
}

// The levels of the current set that can be started: those reached.  0
// answers Back, 1 a game started.
int32_t ChooseLevel(const SetChooserEntry &entry)
{
    LevelSet *set = ControllerGetCurrentLevelSet();
    ProgressSet *progress = ProgressForFile(entry.file, false);
    int32_t count = set ? LevelSetGetLevelCount(set) : 0;
    int32_t reachable = std::clamp(progress ? progress->highestReached + 1 : 1, 1, std::max(count, 1));
    ListPanelSpec spec;
    spec.title = "Start \"" + entry.name + "\" at level:";
    spec.columns = {0.0f, 0.3f, 0.55f, 0.8f};
    for (int32_t i = 0; i < reachable; i++) {
        std::vector<std::string> row{"Level " + std::to_string(i + 1), "", "", ""};
        if (progress && size_t(i) < progress->levels.size() && progress->levels[size_t(i)].bestPoints >= 0) {
            const ProgressLevel &level = progress->levels[size_t(i)];
            row[1] = "best " + std::to_string(level.bestPoints) + " points";
            row[2] = "fastest " + Duration(level.fastestSteps);
            row[3] = level.replay.empty() ? "" : "best run";
        }
        spec.rows.push_back(row);
    }
    spec.selected = reachable - 1;
    spec.buttons = {{kPlayButton, "Play"}, {kWatchButton, "Watch best run"}, {kBackButton, "Back"}};
    for (;;) {
        ListPanelAnswer answer = ListPanelRun(spec);
        if (answer.button == kPlayButton && answer.row >= 0 && answer.row < reachable)
            return StartGame(answer.row) ? 1 : 0;
        if (answer.button == kWatchButton && answer.row >= 0) {
            if (ProgressWatchBestRun(answer.row))
                return 1;
            PlatformBeep();
            spec.selected = answer.row;
            continue;
        }
        return 0;
    }
}

void RunSoon(PlatformTimerRef timer, void *)
{
    PlatformRemoveTimer(timer);
    SetChooserRun();
}

} // namespace

std::vector<SetChooserEntry> SetChooserListSets(const std::vector<fs::path> &folders)
{
    std::vector<SetChooserEntry> all;
    for (const fs::path &folder : folders) {
        std::vector<SetChooserEntry> entries;
        std::error_code error;
        fs::directory_iterator it(folder, error), end;
        for (; !error && it != end; it.increment(error)) {
            const fs::path &file = it->path();
            std::string name = file.filename().string();
            if (name.empty() || name[0] == '.' || !it->is_regular_file(error) || !LevelSetValidateFile(file))
                continue;
            SetChooserEntry entry{file, name, DialogsFolderLabel(folder), 0, 0, 0, 0};
            LevelSet *set = LevelSetAllocate();
            if (LevelSetInitWithFile(set, file))
                entry.levels = LevelSetGetLevelCount(set);
            LevelSetDispose(set);
            if (entry.levels > 0)
                if (ProgressSet *progress = ProgressForFile(file, false)) {
                    entry.completed = ProgressCountCompleted(progress);
                    entry.bestScore = ProgressBestScore(progress);
                    entry.reached = std::min(progress->highestReached, entry.levels - 1);
                }
            entries.push_back(entry);
        }
        std::sort(entries.begin(), entries.end(),
                  [](const SetChooserEntry &a, const SetChooserEntry &b) { return DialogsNameBefore(a.name, b.name); });
        all.insert(all.end(), entries.begin(), entries.end());
    }
    return all;
}

std::vector<SetChooserEntry> SetChooserListAllSets()
{
    std::vector<fs::path> folders;
    fs::path folder;
    if (LevelSetGetStandardLevelsFolder(&folder))
        folders.push_back(folder);
    if (LevelSetGetUserLevelsFolder(&folder))
        folders.push_back(folder);
    if (LevelSetGetDownloadedLevelsFolder(&folder))
        folders.push_back(folder);
    return SetChooserListSets(folders);
}

int32_t SetChooserFirstSelection(const std::vector<SetChooserEntry> &entries, const std::string &lastPlayed)
{
    // Paths are compared in their canonical form: the same file may have
    // been reached through another spelling of its folder.
    std::error_code error;
    fs::path last = lastPlayed.empty() ? fs::path() : fs::weakly_canonical(lastPlayed, error);
    int32_t first = -1;
    for (size_t i = 0; i < entries.size(); i++) {
        if (entries[i].levels <= 0)
            continue;
        if (first < 0)
            first = int32_t(i);
        if (!last.empty() && fs::weakly_canonical(entries[i].file, error) == last)
            return int32_t(i);
    }
    return first;
}

std::vector<std::string> SetChooserDescribe(const SetChooserEntry &entry)
{
    std::string levels = entry.levels <= 0   ? "damaged"
                         : entry.levels == 1 ? "1 level"
                                             : std::to_string(entry.levels) + " levels";
    std::string completed = entry.levels > 0 ? std::to_string(entry.completed) + " completed" : "";
    std::string best = entry.bestScore > 0 ? "best " + std::to_string(entry.bestScore) : "";
    return {entry.name, entry.folder, levels, completed, best};
}

bool SetChooserRun()
{
    Controller *controller = ControllerGetMainController();
    if (!controller || ControllerGetTopMode(controller) != ModeSplashScreen)
        return false;
    std::vector<SetChooserEntry> entries = SetChooserListAllSets();
    ListPanelSpec spec;
    spec.title = "Choose a level set:";
    spec.columns = {0.0f, 0.36f, 0.6f, 0.74f, 0.88f};
    for (const SetChooserEntry &entry : entries) {
        spec.rows.push_back(SetChooserDescribe(entry));
        spec.rowEnabled.push_back(entry.levels > 0);
    }
    if (entries.empty())
        spec.lines = {"There are no level sets in the standard, \"User levels\" and \"Downloaded levels\" folders."};
    spec.selected = SetChooserFirstSelection(entries, ProgressGetStore()->lastPlayed);
    spec.buttons = {{kPlayButton, "Play"}, {kStartAtButton, "Start at level..."}, {kCancelButton, "Cancel"}};
    for (;;) {
        ListPanelAnswer answer = ListPanelRun(spec);
        if (answer.button != kPlayButton && answer.button != kStartAtButton)
            return false;
        if (answer.row < 0 || size_t(answer.row) >= entries.size() || entries[size_t(answer.row)].levels <= 0)
            return false;
        const SetChooserEntry &entry = entries[size_t(answer.row)];
        if (!MakeCurrent(entry.file))
            return false;
        if (answer.button == kPlayButton)
            return StartGame(0);
        int32_t chosen = ChooseLevel(entry);
        if (chosen != 0)
            return chosen > 0;
        spec.selected = answer.row;
    }
}

void SetChooserRunSoon()
{
    PlatformInstallTimer(0.0, 0.0, RunSoon, nullptr);
}
