#include "Replay.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

// Replays are small text files; anything larger is not one of ours.
static const size_t kMaxReplayBytes = 16 * 1024 * 1024;

Replay *ReplayAllocate()
{
    Replay *r = new Replay;
    r->levelIndex = 0;
    r->seed = 0;
    r->endStep = 0;
    return r;
}

void ReplayDispose(Replay *replay)
{
    delete replay;
}

bool ReplayRecordEvent(Replay *replay, int64_t step, int32_t kind, int32_t value)
{
    if (step < 0 || (!replay->events.empty() && step < replay->events.back().step))
        return false;
    replay->events.push_back(ReplayEvent{step, kind, value});
    if (step > replay->endStep)
        replay->endStep = step;
    return true;
}

// A whole decimal number within [low, high].
static bool ParseNumber(const std::string &word, int64_t low, int64_t high, int64_t *out)
{
    if (word.empty())
        return false;
    errno = 0;
    char *end = nullptr;
    long long v = std::strtoll(word.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < low || v > high)
        return false;
    *out = v;
    return true;
}

static bool Fail(std::string *error, int line, const std::string &what)
{
    if (error)
        *error = "Replay line " + std::to_string(line) + ": " + what;
    return false;
}

bool ReplayLoadFromText(Replay *replay, const std::string &text, std::string *error)
{
    if (text.size() > kMaxReplayBytes)
        return Fail(error, 0, "the file is too large to be a replay");
    Replay parsed;
    parsed.levelIndex = 0;
    parsed.seed = 0;
    parsed.endStep = -1;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    bool sawHeader = false;
    while (std::getline(in, line)) {
        number++;
        // Lines may end in any number of carriage returns: none of them is
        // part of the line, so a name read back is the name that was saved.
        while (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#')
            continue;
        line = line.substr(first);
        if (!sawHeader) {
            if (line != "Brimhold replay 1")
                return Fail(error, number, "expected \"Brimhold replay 1\"");
            sawHeader = true;
            continue;
        }
        if (parsed.endStep >= 0)
            return Fail(error, number, "nothing may follow the end line");
        std::istringstream words(line);
        std::string a, b, c, extra;
        words >> a;
        if (a == "set") {
            size_t at = line.find_first_not_of(" \t", 3);
            if (at == std::string::npos)
                return Fail(error, number, "the set line needs a name");
            parsed.setName = line.substr(at);
            continue;
        }
        words >> b >> extra;
        int64_t v = 0;
        if (a == "level" || a == "seed" || a == "end") {
            if (b.empty() || !extra.empty())
                return Fail(error, number, "expected \"" + a + " <number>\"");
            if (a == "level") {
                if (!ParseNumber(b, 0, INT32_MAX, &v))
                    return Fail(error, number, "bad level index \"" + b + "\"");
                parsed.levelIndex = int32_t(v);
            } else if (a == "seed") {
                if (!ParseNumber(b, INT32_MIN, INT32_MAX, &v))
                    return Fail(error, number, "bad seed \"" + b + "\"");
                parsed.seed = int32_t(v);
            } else {
                int64_t last = parsed.events.empty() ? 0 : parsed.events.back().step;
                if (!ParseNumber(b, last, INT64_MAX / 2, &v))
                    return Fail(error, number, "bad end step \"" + b + "\"");
                parsed.endStep = v;
            }
            continue;
        }
        // An event: <step> <kind> <value>.
        c = extra;
        std::string more;
        words >> more;
        int64_t step = 0;
        if (!ParseNumber(a, 0, INT64_MAX / 2, &step))
            return Fail(error, number, "unknown line \"" + line + "\"");
        if (c.empty() || !more.empty())
            return Fail(error, number, "expected \"<step> down|up|modifiers <value>\"");
        if (!parsed.events.empty() && step < parsed.events.back().step)
            return Fail(error, number, "steps must not go back");
        int32_t kind = b == "down" ? kReplayKeyDown : b == "up" ? kReplayKeyUp : b == "modifiers" ? kReplayModifiers : 0;
        if (kind == 0)
            return Fail(error, number, "unknown event \"" + b + "\"");
        int64_t high = kind == kReplayModifiers ? 0xFFFF : 255;
        if (!ParseNumber(c, 0, high, &v))
            return Fail(error, number, "bad value \"" + c + "\"");
        parsed.events.push_back(ReplayEvent{step, kind, int32_t(v)});
    }
    if (!sawHeader)
        return Fail(error, number, "expected \"Brimhold replay 1\"");
    if (parsed.endStep < 0)
        return Fail(error, number, "missing \"end <step>\" line");
    *replay = parsed;
    return true;
}

bool ReplayLoadFromFile(Replay *replay, const std::string &path, std::string *error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error)
            *error = "Cannot open replay \"" + path + "\"";
        return false;
    }
    std::string text;
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        text.append(chunk, size_t(in.gcount()));
        if (text.size() > kMaxReplayBytes)
            return Fail(error, 0, "the file is too large to be a replay");
    }
    return ReplayLoadFromText(replay, text, error);
}

std::string ReplaySaveToText(const Replay *replay)
{
    std::ostringstream out;
    out << "Brimhold replay 1\n";
    // A replay without a set name has no set line ("set" needs a name).
    if (!replay->setName.empty())
        out << "set " << replay->setName << "\n";
    out << "level " << replay->levelIndex << "\n";
    out << "seed " << replay->seed << "\n";
    for (const ReplayEvent &e : replay->events) {
        const char *kind = e.kind == kReplayKeyDown ? "down" : e.kind == kReplayKeyUp ? "up" : "modifiers";
        out << e.step << " " << kind << " " << e.value << "\n";
    }
    out << "end " << replay->endStep << "\n";
    return out.str();
}

bool ReplaySaveToFile(const Replay *replay, const std::string &path)
{
    std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out << ReplaySaveToText(replay);
        out.close();
        if (!out) {
            std::remove(tmp.c_str());
            return false;
        }
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}
