#include "Progress.h"

#include "Controller.h"
#include "Folders.h"
#include "GameController.h"
#include "LevelSet.h"
#include "Player.h"
#include "Random.h"
#include "Replay.h"
#include "Utilities.h"
#include "WorldStep.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

namespace fs = std::filesystem;

namespace {

const char kMagic[8] = {'B', 'R', 'M', 'H', 'P', 'r', 'o', 'g'};
// Limits that keep a hostile file from asking for much memory.
constexpr uint32_t kMaxLevels = 32767;
constexpr uint32_t kMaxReplayBytes = 16u << 20;
constexpr size_t kMaxFileBytes = 256u << 20;
// The longest run kept as a best run: ten minutes of steps.
constexpr int64_t kMaxCheckedSteps = 120 * 60 * 10;

// ---- Reading and writing bytes ----

struct Reader {
    const uint8_t *data;
    size_t size;
    size_t at;
    bool ok;

    bool Take(void *out, size_t n)
    {
        if (!ok || size - at < n) {
            ok = false;
            return false;
        }
        if (n)
            std::memcpy(out, data + at, n);
        at += n;
        return true;
    }
    uint64_t Number(size_t n)
    {
        uint8_t bytes[8] = {};
        if (!Take(bytes, n))
            return 0;
        uint64_t value = 0;
        for (size_t i = 0; i < n; i++)
            value = (value << 8) | bytes[i];
        return value;
    }
    std::string Text(size_t lengthBytes, uint32_t limit)
    {
        uint64_t length = Number(lengthBytes);
        if (!ok || length > limit || length > size - at) {
            ok = false;
            return {};
        }
        std::string text(reinterpret_cast<const char *>(data + at), size_t(length));
        at += size_t(length);
        return text;
    }
};

void PutNumber(std::vector<uint8_t> *out, uint64_t value, size_t n)
{
    for (size_t i = n; i-- > 0;)
        out->push_back(uint8_t(value >> (8 * i)));
}

void PutText(std::vector<uint8_t> *out, const std::string &text, size_t lengthBytes)
{
    PutNumber(out, text.size(), lengthBytes);
    out->insert(out->end(), text.begin(), text.end());
}

bool ReadSet(Reader *in, ProgressSet *set)
{
    set->key = in->Number(8);
    set->name = in->Text(2, 0xFFFF);
    set->highestReached = int32_t(uint32_t(in->Number(4)));
    uint32_t levelCount = uint32_t(in->Number(4));
    if (!in->ok || set->highestReached < 0 || levelCount > kMaxLevels || set->highestReached > int32_t(kMaxLevels))
        return false;
    // Each level takes at least 16 bytes: a count cannot promise more.
    if (levelCount > (in->size - in->at) / 16)
        return false;
    set->levels.resize(levelCount);
    for (ProgressLevel &level : set->levels) {
        level.bestPoints = int32_t(uint32_t(in->Number(4)));
        level.fastestSteps = int64_t(in->Number(8));
        level.replay = in->Text(4, kMaxReplayBytes);
        if (!in->ok || level.bestPoints < -1 || level.fastestSteps < 0)
            return false;
        if ((level.bestPoints < 0) != (level.fastestSteps == 0))
            return false;
        if (!level.replay.empty()) {
            Replay replay{};
            std::string error;
            if (level.fastestSteps == 0 || !ReplayLoadFromText(&replay, level.replay, &error))
                return false;
        }
    }
    uint32_t scoreCount = uint32_t(in->Number(1));
    if (!in->ok || scoreCount > uint32_t(kHighScoresMax))
        return false;
    for (uint32_t i = 0; i < scoreCount; i++) {
        HighScore score;
        score.score = int32_t(uint32_t(in->Number(4)));
        score.date = int64_t(in->Number(8));
        score.name = in->Text(2, uint32_t(kHighScoresNameMax));
        if (!in->ok || score.score <= 0)
            return false;
        // Best first, as the list keeps them.
        if (!set->scores.entries.empty() && set->scores.entries.back().score < score.score)
            return false;
        set->scores.entries.push_back(score);
    }
    return true;
}

// ---- The user's store ----

bool enabled = false;
std::unique_ptr<ProgressStore> store;

// The attempt at the current level being recorded, to keep as the level's
// best run when it is the fastest completion.
struct Attempt {
    GameController *game = nullptr;
    int32_t level = -1;
    int64_t startStep = 0;
    Replay replay{};
};
Attempt attempt;

// The best run being watched, played back by the game.
Replay watching{};

void ReportDamaged(const fs::path &file, const char *why)
{
    fs::path aside = file;
    aside += ".damaged";
    std::error_code error;
    fs::rename(file, aside, error);
    alertf("Your progress file \"%s\" could not be read (%s). It was kept aside as \"%s\", and play goes on with "
           "no recorded progress.",
           file.c_str(), why, aside.filename().c_str());
}

void Load()
{
    store = std::make_unique<ProgressStore>();
    fs::path file = ProgressGetFilePath();
    std::error_code error;
    if (!fs::exists(fs::symlink_status(file, error)))
        return;
    if (!fs::is_regular_file(file, error)) {
        ReportDamaged(file, "it is not a file");
        return;
    }
    uintmax_t size = fs::file_size(file, error);
    if (error || size > kMaxFileBytes) {
        ReportDamaged(file, error ? "it cannot be measured" : "it is far too large");
        return;
    }
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        ReportDamaged(file, "it cannot be read");
        return;
    }
    if (!ProgressReadFromBytes(store.get(), bytes.data(), bytes.size()))
        ReportDamaged(file, "it is damaged or from another version");
}

bool WriteAll(int fd, const std::vector<uint8_t> &bytes, int *failure)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *failure = n < 0 ? errno : ENOSPC;
            return false;
        }
        done += size_t(n);
    }
    return true;
}

bool InLevelEditor()
{
    Controller *controller = ControllerGetMainController();
    return controller && ControllerHasModeInStack(controller, ModeLevelEditor);
}

// Progress is kept for the real games of the program only: not while the
// editor tests a level, nor for a replay played back.
bool Counts(GameController *game)
{
    return enabled && game && game->levelSet && !game->playback && !InLevelEditor() &&
           (!game->recording || game->recording == &attempt.replay);
}

} // namespace

uint64_t ProgressKeyOfBytes(const uint8_t *data, size_t size)
{
    uint64_t hash = 14695981039346656037ull;
    for (size_t i = 0; i < size; i++) {
        hash ^= data[i];
        hash *= 1099511628211ull;
    }
    return hash;
}

bool ProgressKeyOfFile(const fs::path &file, uint64_t *key)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    uint64_t hash = 14695981039346656037ull;
    char buffer[65536];
    while (in) {
        in.read(buffer, sizeof buffer);
        for (std::streamsize i = 0; i < in.gcount(); i++) {
            hash ^= uint8_t(buffer[i]);
            hash *= 1099511628211ull;
        }
    }
    if (in.bad())
        return false;
    *key = hash;
    return true;
}

bool ProgressReadFromBytes(ProgressStore *out, const uint8_t *data, size_t size)
{
    *out = ProgressStore{};
    Reader in{data, size, 0, true};
    char magic[8];
    if (!in.Take(magic, 8) || std::memcmp(magic, kMagic, 8) != 0 || in.Number(2) != kProgressVersion)
        return false;
    ProgressStore read;
    read.lastPlayed = in.Text(2, 0xFFFF);
    uint32_t setCount = uint32_t(in.Number(4));
    // Each set takes at least 27 bytes.
    if (!in.ok || setCount > (size - in.at) / 27)
        return false;
    for (uint32_t i = 0; i < setCount; i++) {
        ProgressSet set;
        if (!ReadSet(&in, &set) || ProgressFindSet(&read, set.key))
            return false;
        read.sets.push_back(std::move(set));
    }
    if (!in.ok || in.at != size)
        return false;
    *out = std::move(read);
    return true;
}

std::vector<uint8_t> ProgressWriteToBytes(const ProgressStore *in)
{
    std::vector<uint8_t> out(kMagic, kMagic + 8);
    PutNumber(&out, kProgressVersion, 2);
    PutText(&out, in->lastPlayed.substr(0, 0xFFFF), 2);
    PutNumber(&out, in->sets.size(), 4);
    for (const ProgressSet &set : in->sets) {
        PutNumber(&out, set.key, 8);
        PutText(&out, set.name.substr(0, 0xFFFF), 2);
        PutNumber(&out, uint32_t(set.highestReached), 4);
        PutNumber(&out, set.levels.size(), 4);
        for (const ProgressLevel &level : set.levels) {
            PutNumber(&out, uint32_t(level.bestPoints), 4);
            PutNumber(&out, uint64_t(level.fastestSteps), 8);
            PutText(&out, level.replay.size() <= kMaxReplayBytes ? level.replay : std::string(), 4);
        }
        size_t count = std::min(set.scores.entries.size(), size_t(kHighScoresMax));
        PutNumber(&out, count, 1);
        for (size_t i = 0; i < count; i++) {
            const HighScore &score = set.scores.entries[i];
            PutNumber(&out, uint32_t(score.score), 4);
            PutNumber(&out, uint64_t(score.date), 8);
            PutText(&out, score.name.substr(0, kHighScoresNameMax), 2);
        }
    }
    return out;
}

ProgressSet *ProgressFindSet(ProgressStore *in, uint64_t key)
{
    for (ProgressSet &set : in->sets)
        if (set.key == key)
            return &set;
    return nullptr;
}

ProgressSet *ProgressFindOrAddSet(ProgressStore *in, uint64_t key, const std::string &name)
{
    if (ProgressSet *set = ProgressFindSet(in, key))
        return set;
    ProgressSet set;
    set.key = key;
    set.name = name;
    in->sets.push_back(set);
    return &in->sets.back();
}

bool ProgressNoteReached(ProgressSet *set, int32_t index)
{
    if (index <= set->highestReached || index < 0 || index > int32_t(kMaxLevels))
        return false;
    set->highestReached = index;
    return true;
}

bool ProgressRecordLevel(ProgressSet *set, int32_t index, int32_t points, int64_t steps, const Replay *replay)
{
    if (index < 0 || index >= int32_t(kMaxLevels) || steps <= 0)
        return false;
    if (set->levels.size() <= size_t(index))
        set->levels.resize(size_t(index) + 1);
    ProgressLevel &level = set->levels[size_t(index)];
    bool improved = ProgressNoteReached(set, index + 1);
    points = std::max(points, 0);
    if (points > level.bestPoints) {
        level.bestPoints = points;
        improved = true;
    }
    if (level.fastestSteps == 0 || steps < level.fastestSteps) {
        level.fastestSteps = steps;
        // Only a replay that reads back is kept: the file must always read.
        std::string text = replay ? ReplaySaveToText(replay) : std::string();
        Replay check{};
        std::string error;
        if (text.size() > kMaxReplayBytes || (!text.empty() && !ReplayLoadFromText(&check, text, &error)))
            text.clear();
        level.replay = text;
        improved = true;
    }
    return improved;
}

int32_t ProgressCountCompleted(const ProgressSet *set)
{
    int32_t count = 0;
    for (const ProgressLevel &level : set->levels)
        count += level.bestPoints >= 0 ? 1 : 0;
    return count;
}

int32_t ProgressBestScore(const ProgressSet *set)
{
    return set->scores.entries.empty() ? 0 : set->scores.entries.front().score;
}

// ---- The user's store ------------------------------------------------------------

fs::path ProgressGetFilePath()
{
    return PlatformUserDataFolder() / "Progress";
}

void ProgressStartUp()
{
    enabled = true;
}

void ProgressShutDown()
{
    enabled = false;
    attempt = Attempt{};
    store.reset();
}

bool ProgressIsEnabled()
{
    return enabled;
}

ProgressStore *ProgressGetStore()
{
    if (!store)
        Load();
    return store.get();
}

void ProgressForget()
{
    store.reset();
}

bool ProgressSave()
{
    ProgressStore *current = ProgressGetStore();
    std::vector<uint8_t> bytes = ProgressWriteToBytes(current);
    fs::path file = ProgressGetFilePath();
    std::error_code error;
    fs::create_directories(file.parent_path(), error);
    fs::path temporary = file;
    temporary += ".new";
    int failure = 0;
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        failure = errno;
    } else {
        WriteAll(fd, bytes, &failure);
        if (!failure && ::fsync(fd) != 0)
            failure = errno;
        if (::close(fd) != 0 && !failure)
            failure = errno;
        if (!failure && ::rename(temporary.c_str(), file.c_str()) != 0)
            failure = errno;
        if (failure)
            ::unlink(temporary.c_str());
    }
    if (failure) {
        std::fprintf(stderr, "brimhold: the progress could not be saved to \"%s\": %s\n", file.c_str(),
                     std::strerror(failure));
        return false;
    }
    return true;
}

ProgressSet *ProgressForFile(const fs::path &file, bool create)
{
    uint64_t key = 0;
    if (file.empty() || !ProgressKeyOfFile(file, &key))
        return nullptr;
    ProgressStore *current = ProgressGetStore();
    return create ? ProgressFindOrAddSet(current, key, file.filename().string()) : ProgressFindSet(current, key);
}

ProgressSet *ProgressForLevelSet(const LevelSet *set, bool create)
{
    if (!set || !set->file)
        return nullptr;
    return ProgressForFile(*set->file, create);
}

// ---- Hooks of the game mode ------------------------------------------------------

void ProgressLevelStarted(GameController *game)
{
    if (!Counts(game))
        return;
    int32_t level = LevelSetGetCurrentLevelIndex(game->levelSet);
    // Each attempt starts from a seed of its own, which its replay keeps.
    int32_t seed = irand();
    sdrand(seed);
    attempt.game = game;
    attempt.level = level;
    attempt.startStep = game->stepCount;
    attempt.replay = Replay{};
    attempt.replay.setName = LevelSetGetLevelSetName(game->levelSet);
    attempt.replay.levelIndex = level;
    attempt.replay.seed = seed;
    game->recording = &attempt.replay;
    ProgressStore *current = ProgressGetStore();
    std::string path = game->levelSet->file ? game->levelSet->file->string() : std::string();
    bool changed = !path.empty() && current->lastPlayed != path;
    if (changed)
        current->lastPlayed = path;
    if (ProgressSet *progress = ProgressForLevelSet(game->levelSet, true))
        changed |= ProgressNoteReached(progress, level);
    if (changed)
        ProgressSave();
}

bool ProgressLevelCompleted(GameController *game)
{
    if (game && game->playback && game->playback == &watching) {
        GameControllerPostExitEvent(game);
        return true;
    }
    if (!Counts(game) || attempt.game != game || attempt.level != LevelSetGetCurrentLevelIndex(game->levelSet))
        return false;
    int64_t steps = game->stepCount - attempt.startStep;
    Replay run = attempt.replay;
    run.events.clear();
    for (const ReplayEvent &event : attempt.replay.events)
        if (event.step - attempt.startStep < steps)
            run.events.push_back(ReplayEvent{event.step - attempt.startStep, event.kind, event.value});
    run.endStep = steps;
    int32_t points = PlayerGetNumberOfPoints(game->player) - game->pointsAtLevelStart;
    ProgressSet *progress = ProgressForLevelSet(game->levelSet, true);
    // A run is kept only when it is the fastest and replays to this very
    // completion on the set as stored (state carried over from earlier
    // levels could make it play differently); the time counts either way.
    // Checking it replays the whole run, so runs past kMaxCheckedSteps are
    // not kept.
    const ProgressLevel *before =
        progress && size_t(attempt.level) < progress->levels.size() ? &progress->levels[size_t(attempt.level)] : nullptr;
    bool fastest = !before || before->fastestSteps == 0 || steps < before->fastestSteps;
    bool reproduced = false;
    if (fastest && steps <= kMaxCheckedSteps && game->levelSet->file) {
        LevelSet *copy = LevelSetAllocate();
        if (LevelSetInitWithFile(copy, *game->levelSet->file)) {
            WorldReplayOutcome outcome = WorldPlayReplay(copy, &run, nullptr, nullptr, 0);
            reproduced = outcome.levelsCompleted == 1 && outcome.steps == steps;
        }
        LevelSetDispose(copy);
    }
    if (progress && ProgressRecordLevel(progress, attempt.level, points, steps, reproduced ? &run : nullptr))
        ProgressSave();
    game->recording = nullptr;
    attempt = Attempt{};
    return false;
}

void ProgressGameStopped(GameController *game)
{
    if (!game)
        return;
    bool counts = Counts(game);
    if (game->recording == &attempt.replay)
        game->recording = nullptr;
    if (attempt.game == game)
        attempt = Attempt{};
    if (game->playback == &watching)
        game->playback = nullptr;
    if (counts && (game->gameOver || game->setCompleted) &&
        HighScoresRecordGame(game->levelSet, PlayerGetNumberOfPoints(game->player)) > 0)
        HighScoresAskNameSoon();
}

bool ProgressWatchBestRun(int32_t index)
{
    Controller *controller = ControllerGetMainController();
    LevelSet *set = ControllerGetCurrentLevelSet();
    ProgressSet *progress = ProgressForLevelSet(set, false);
    if (!controller || !progress || index < 0 || size_t(index) >= progress->levels.size() ||
        index >= LevelSetGetLevelCount(set))
        return false;
    Replay replay{};
    std::string error;
    if (progress->levels[size_t(index)].replay.empty() ||
        !ReplayLoadFromText(&replay, progress->levels[size_t(index)].replay, &error))
        return false;
    watching = replay;
    watching.levelIndex = index;
    ControllerSetStartingLevel(controller, index);
    ControllerPushMode(controller, ModeGame);
    GameController *game = controller->gameController;
    if (!game)
        return false;
    GameControllerPlayReplay(game, &watching);
    return true;
}
