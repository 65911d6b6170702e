// Files and folders of a test's own: a fresh temporary folder removed at the
// end, an environment variable set while a scope lives, whole files read and
// written, and a disk that takes no more than a few bytes.
#pragma once

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <sys/resource.h>

namespace testfiles {

// A fresh folder under the system's temporary folder, removed at the end.
class TemporaryFolder {
public:
    TemporaryFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "brimhold-test-XXXXXX").string();
        char *made = ::mkdtemp(pattern.data());
        path_ = made ? std::filesystem::path(made) : std::filesystem::path();
    }
    ~TemporaryFolder()
    {
        std::error_code error;
        if (!path_.empty())
            std::filesystem::remove_all(path_, error);
    }
    TemporaryFolder(const TemporaryFolder &) = delete;
    TemporaryFolder &operator=(const TemporaryFolder &) = delete;
    const std::filesystem::path &path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline std::vector<uint8_t> ReadBytes(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string ReadText(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::filesystem::path &file, const std::vector<uint8_t> &bytes)
{
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

inline void WriteText(const std::filesystem::path &file, std::string_view text)
{
    std::ofstream(file, std::ios::binary).write(text.data(), std::streamsize(text.size()));
}

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

} // namespace testfiles
