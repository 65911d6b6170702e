#include "HighScores.h"

#include "Controller.h"
#include "Events.h"
#include "LevelSet.h"
#include "ListPanel.h"
#include "Progress.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

namespace {

int32_t lastRank = 0;

// Cuts a name to the limit without splitting a UTF-8 sequence, and drops
// control characters.
std::string CleanName(const std::string &name)
{
    std::string clean;
    for (char c : name)
        if (uint8_t(c) >= 32 && c != 127)
            clean += c;
    if (clean.size() > kHighScoresNameMax) {
        size_t cut = kHighScoresNameMax;
        while (cut > 0 && (uint8_t(clean[cut]) & 0xC0) == 0x80)
            cut--;
        clean.resize(cut);
    }
    return clean;
}

LevelSet *CurrentSet()
{
    return ControllerGetCurrentLevelSet();
}

void AskName(PlatformTimerRef timer, void *)
{
    PlatformRemoveTimer(timer);
    LevelSet *set = CurrentSet();
    HighScoreList list = HighScoresGetList(set);
    if (lastRank < 1 || lastRank > int32_t(list.entries.size()))
        return;
    const HighScore &entry = list.entries[size_t(lastRank - 1)];
    ListPanelSpec spec;
    spec.title = "A new high score!";
    spec.lines = {"Your score of " + std::to_string(entry.score) + " takes place " + std::to_string(lastRank) +
                      " among the best of \"" + LevelSetGetLevelSetName(set) + "\".",
                  "Your name:"};
    spec.hasField = true;
    spec.fieldText = entry.name;
    spec.buttons = {{'OK  ', "OK"}};
    ListPanelAnswer answer = ListPanelRun(spec);
    if (answer.button == 'OK  ' && answer.text != entry.name)
        HighScoresRename(set, lastRank, answer.text);
}

} // namespace

void HighScoresAskNameSoon()
{
    PlatformInstallTimer(0.0, 0.0, AskName, nullptr);
}

int32_t HighScoresRank(const HighScoreList *list, int32_t score)
{
    if (!list || score <= 0)
        return 0;
    int32_t place = 0;
    while (place < int32_t(list->entries.size()) && list->entries[size_t(place)].score >= score)
        place++;
    return place < kHighScoresMax ? place + 1 : 0;
}

int32_t HighScoresInsert(HighScoreList *list, const HighScore &entry)
{
    int32_t rank = HighScoresRank(list, entry.score);
    if (rank == 0)
        return 0;
    HighScore clean = entry;
    clean.name = CleanName(entry.name);
    list->entries.insert(list->entries.begin() + (rank - 1), clean);
    if (list->entries.size() > size_t(kHighScoresMax))
        list->entries.resize(size_t(kHighScoresMax));
    return rank;
}

std::string HighScoresDefaultName()
{
    std::string name;
    if (const passwd *account = getpwuid(getuid())) {
        if (account->pw_gecos) {
            name = account->pw_gecos;
            name = name.substr(0, name.find(','));
        }
        name = CleanName(name);
        if (name.find_first_not_of(' ') == std::string::npos && account->pw_name)
            name = CleanName(account->pw_name);
    }
    if (name.find_first_not_of(' ') == std::string::npos)
        name = "Player";
    return name;
}

int32_t HighScoresRankInCurrentSet(int32_t score)
{
    LevelSet *set = CurrentSet();
    if (!set || !set->file)
        return 0;
    ProgressSet *progress = ProgressForLevelSet(set, false);
    HighScoreList empty;
    return HighScoresRank(progress ? &progress->scores : &empty, score);
}

int32_t HighScoresGetLastRank()
{
    return lastRank;
}

int32_t HighScoresRecordGame(const LevelSet *set, int32_t score)
{
    lastRank = 0;
    ProgressSet *progress = ProgressForLevelSet(set, true);
    if (!progress)
        return 0;
    lastRank = HighScoresInsert(&progress->scores, HighScore{score, int64_t(std::time(nullptr)), HighScoresDefaultName()});
    if (lastRank > 0)
        ProgressSave();
    return lastRank;
}

bool HighScoresRename(const LevelSet *set, int32_t place, const std::string &name)
{
    ProgressSet *progress = ProgressForLevelSet(set, false);
    if (!progress || place < 1 || place > int32_t(progress->scores.entries.size()))
        return false;
    std::string clean = CleanName(name);
    if (clean.find_first_not_of(' ') == std::string::npos)
        return false;
    progress->scores.entries[size_t(place - 1)].name = clean;
    ProgressSave();
    return true;
}

void HighScoresClear(const LevelSet *set)
{
    ProgressSet *progress = ProgressForLevelSet(set, false);
    if (!progress || progress->scores.entries.empty())
        return;
    progress->scores.entries.clear();
    ProgressSave();
}

HighScoreList HighScoresGetList(const LevelSet *set)
{
    ProgressSet *progress = ProgressForLevelSet(set, false);
    return progress ? progress->scores : HighScoreList{};
}

std::vector<std::string> HighScoresDescribe(const HighScoreList *list)
{
    std::vector<std::string> lines;
    if (!list || list->entries.empty()) {
        lines.push_back("No high scores yet.");
        return lines;
    }
    for (size_t i = 0; i < list->entries.size(); i++) {
        const HighScore &entry = list->entries[i];
        char date[32] = "";
        time_t when = time_t(entry.date);
        tm parts{};
        if (gmtime_r(&when, &parts))
            std::strftime(date, sizeof date, "%Y-%m-%d", &parts);
        char line[256];
        std::snprintf(line, sizeof line, "%d. %s  %d  %s", int(i + 1), entry.name.c_str(), int(entry.score), date);
        lines.push_back(line);
    }
    return lines;
}

void HighScoresShowCommand()
{
    LevelSet *set = CurrentSet();
    HighScoreList list = HighScoresGetList(set);
    ListPanelSpec spec;
    spec.title = "High scores of \"" + LevelSetGetLevelSetName(set) + "\"";
    if (list.entries.empty()) {
        spec.lines = HighScoresDescribe(&list);
    } else {
        spec.columns = {0.0f, 0.08f, 0.6f, 0.78f};
        for (size_t i = 0; i < list.entries.size(); i++) {
            const HighScore &entry = list.entries[i];
            std::string line = HighScoresDescribe(&list)[i];
            std::string date = line.substr(line.rfind(' ') + 1);
            spec.rows.push_back({std::to_string(i + 1) + ".", entry.name, std::to_string(entry.score), date});
        }
    }
    spec.selectable = false;
    spec.buttons = {{'OK  ', "OK"}};
    ListPanelRun(spec);
}

void HighScoresClearCommand()
{
    LevelSet *set = CurrentSet();
    ListPanelSpec spec;
    spec.title = "Clear the high scores of \"" + LevelSetGetLevelSetName(set) + "\"?";
    spec.lines = {"The ten best scores of this level set will be gone for good."};
    spec.buttons = {{'Cler', "Clear"}, {'Cncl', "Cancel"}};
    if (ListPanelRun(spec).button == 'Cler')
        HighScoresClear(set);
}
