// Helpers for the suites that write files and read the environment: an
// environment variable set for a scope, a full disk, and a file's text.
#pragma once

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include <sys/resource.h>

namespace platformfiles {

// Sets (or, with nullptr, unsets) an environment variable while it lives.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const char *value) : name(name)
    {
        if (const char *old = std::getenv(name))
            previous = old;
        Set(value);
    }
    ~ScopedEnv() { Set(previous ? previous->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

    void Set(const char *value)
    {
        if (value)
            setenv(name.c_str(), value, 1);
        else
            unsetenv(name.c_str());
    }

private:
    std::string name;
    std::optional<std::string> previous;
};

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
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

private:
    rlimit old{};
    void (*oldHandler)(int) = nullptr;
};

inline std::string ReadText(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteText(const std::filesystem::path &file, const std::string &bytes)
{
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

} // namespace platformfiles
