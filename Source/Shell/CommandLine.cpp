#include "CommandLine.h"

#include "LevelSet.h"
#include "Utilities.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#ifndef BRIMHOLD_VERSION
#define BRIMHOLD_VERSION "unknown"
#endif

namespace {

CommandLine UsageError(const std::string &problem)
{
    return CommandLine{CommandLineUsageError, {}, 0, problem};
}

// A level number: decimal digits only, 1 to 32767 (a set holds at most that
// many levels).
bool ParseLevel(const char *text, int32_t *level)
{
    if (!text || !*text)
        return false;
    for (const char *c = text; *c; c++)
        if (*c < '0' || *c > '9')
            return false;
    errno = 0;
    long value = std::strtol(text, nullptr, 10);
    if (errno != 0 || value < 1 || value > 32767)
        return false;
    *level = int32_t(value);
    return true;
}

} // namespace

CommandLine CommandLineParse(int argc, const char *const *argv)
{
    CommandLine line{CommandLineRun, {}, 0, {}};
    bool optionsEnded = false;
    bool haveFile = false;
    for (int i = 1; i < argc; i++) {
        const char *argument = argv[i] ? argv[i] : "";
        if (!optionsEnded && argument[0] == '-' && argument[1] != '\0') {
            if (std::strcmp(argument, "--") == 0) {
                optionsEnded = true;
            } else if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
                return CommandLine{CommandLineHelp, {}, 0, {}};
            } else if (std::strcmp(argument, "--version") == 0) {
                return CommandLine{CommandLineVersion, {}, 0, {}};
            } else if (std::strcmp(argument, "--level") == 0) {
                if (i + 1 >= argc)
                    return UsageError("--level needs a level number");
                if (!ParseLevel(argv[++i], &line.level))
                    return UsageError(std::string("not a level number: ") + (argv[i] ? argv[i] : ""));
            } else if (std::strncmp(argument, "--level=", 8) == 0) {
                if (!ParseLevel(argument + 8, &line.level))
                    return UsageError(std::string("not a level number: ") + (argument + 8));
            } else {
                return UsageError(std::string("unknown option: ") + argument);
            }
            continue;
        }
        if (haveFile)
            return UsageError("only one level-set file can be given");
        line.file = argument;
        haveFile = true;
    }
    return line;
}

const char *CommandLineGetUsage()
{
    return "Usage: brimhold [--level N] [FILE]\n"
           "       brimhold --help | --version\n"
           "\n"
           "Plays Brimhold, a 3D action-puzzle game with rising water, and edits its levels.\n"
           "\n"
           "  FILE         a level-set file to play and edit instead of \"Test levels\"\n"
           "  --level N    start playing at once at level N (counted from 1)\n"
           "  --help       show this text and exit\n"
           "  --version    show the version and exit\n";
}

std::string CommandLineGetVersionText()
{
    return std::string("Brimhold ") + BRIMHOLD_VERSION + "\n";
}

bool CommandLineLoadStartingSet(LevelSet *set, const std::filesystem::path &file)
{
    if (!file.empty()) {
        if (LevelSetReInitWithFile(set, file))
            return true;
        alertf("There was a problem loading the specified level file.");
    }
    LevelSetLoadDefaultFile(set);
    return false;
}
