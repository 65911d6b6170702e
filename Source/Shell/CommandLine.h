// The program's command line:
//
//     brimhold [--level N] [FILE]
//     brimhold --help | --version
//
// FILE is a level-set file that becomes the current set; --level N starts
// play at once at level N (counted from 1) of that set (or of the default
// set without FILE).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

struct LevelSet;

enum CommandLineAction : int32_t {
    CommandLineRun = 0,
    CommandLineHelp,
    CommandLineVersion,
    CommandLineUsageError,
};

struct CommandLine {
    CommandLineAction action;
    std::string file;    // empty: the default set
    int32_t level;       // 1-based level to play at once; 0: the title screen
    std::string problem; // what was wrong, for CommandLineUsageError
};

CommandLine CommandLineParse(int argc, const char *const *argv);
// The usage text, ending in a newline.
const char *CommandLineGetUsage();
// "Brimhold <version>", ending in a newline.
std::string CommandLineGetVersionText();
// Loads the set the program starts with into set: file when one is given
// and it loads (true); otherwise, after the loading alert when a file was
// given, the default set "Test levels" (false).
bool CommandLineLoadStartingSet(LevelSet *set, const std::filesystem::path &file);
