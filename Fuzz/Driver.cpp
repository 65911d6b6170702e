// A small deterministic fuzzing driver for targets written against the
// libFuzzer interface (LLVMFuzzerTestOneInput).  It runs every seed file given
// on the command line (or every file in a seed folder), then a bounded number
// of mutations of them: bit flips, byte changes, interesting values, cuts,
// duplicated and inserted runs.  The same arguments always run the same
// inputs, so a failure found here is reproducible.
//
//   FuzzX [--runs N] [--max-size BYTES] SEED_FILE_OR_FOLDER...
//   FuzzX --one FILE          run a single input
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

std::vector<uint8_t> ReadFile(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Mutator {
    uint64_t state;
    uint32_t Next()
    {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return uint32_t(state >> 33);
    }
    size_t Below(size_t n) { return n == 0 ? 0 : Next() % n; }

    void Mutate(std::vector<uint8_t> &d, size_t maxSize)
    {
        static const uint32_t interesting[] = {0, 1, 0x7F, 0x80, 0xFF, 0x7FFF, 0x8000, 0xFFFF,
                                               0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu, 1000, 32768};
        int edits = 1 + int(Below(4));
        for (int e = 0; e < edits; e++) {
            switch (Below(7)) {
            case 0: // flip a bit
                if (!d.empty())
                    d[Below(d.size())] ^= uint8_t(1u << Below(8));
                break;
            case 1: // random byte
                if (!d.empty())
                    d[Below(d.size())] = uint8_t(Next());
                break;
            case 2: { // interesting 32-bit big-endian value
                if (d.size() >= 4) {
                    uint32_t v = interesting[Below(sizeof interesting / sizeof interesting[0])];
                    size_t at = Below(d.size() - 3);
                    d[at] = uint8_t(v >> 24);
                    d[at + 1] = uint8_t(v >> 16);
                    d[at + 2] = uint8_t(v >> 8);
                    d[at + 3] = uint8_t(v);
                }
                break;
            }
            case 3: // cut the tail
                if (!d.empty())
                    d.resize(Below(d.size()));
                break;
            case 4: { // erase a run
                if (d.size() > 1) {
                    size_t at = Below(d.size());
                    size_t n = 1 + Below(std::min<size_t>(16, d.size() - at));
                    d.erase(d.begin() + long(at), d.begin() + long(at + n));
                }
                break;
            }
            case 5: { // duplicate a run
                if (!d.empty() && d.size() < maxSize) {
                    size_t at = Below(d.size());
                    size_t n = 1 + Below(std::min<size_t>(64, d.size() - at));
                    std::vector<uint8_t> run(d.begin() + long(at), d.begin() + long(at + n));
                    d.insert(d.begin() + long(Below(d.size() + 1)), run.begin(), run.end());
                }
                break;
            }
            default: { // insert a text-ish byte (digits, signs, line breaks)
                static const char text[] = "0123456789-+. \n\r\tEe";
                d.insert(d.begin() + long(Below(d.size() + 1)), uint8_t(text[Below(sizeof text - 1)]));
                break;
            }
            }
        }
        if (d.size() > maxSize)
            d.resize(maxSize);
    }
};

} // namespace

int main(int argc, char **argv)
{
    long runs = 1000;
    size_t maxSize = 1 << 16;
    std::vector<std::vector<uint8_t>> seeds;
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::strtol(argv[++i], nullptr, 10);
        } else if (arg == "--max-size" && i + 1 < argc) {
            maxSize = size_t(std::strtoul(argv[++i], nullptr, 10));
        } else if (arg == "--one" && i + 1 < argc) {
            std::vector<uint8_t> d = ReadFile(argv[++i]);
            LLVMFuzzerTestOneInput(d.data(), d.size());
            return 0;
        } else if (std::filesystem::is_directory(arg)) {
            std::vector<std::filesystem::path> files;
            for (const auto &entry : std::filesystem::directory_iterator(arg))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
            std::sort(files.begin(), files.end());
            for (const auto &f : files)
                seeds.push_back(ReadFile(f));
        } else if (std::filesystem::is_regular_file(arg)) {
            seeds.push_back(ReadFile(arg));
        }
    }
    if (seeds.empty())
        seeds.push_back({});
    // Seeds as they are, then every seed's mutations in turn.
    for (const auto &s : seeds)
        LLVMFuzzerTestOneInput(s.data(), s.size());
    Mutator m{0x9E3779B97F4A7C15ull};
    for (long r = 0; r < runs; r++) {
        std::vector<uint8_t> d = seeds[size_t(r) % seeds.size()];
        m.Mutate(d, maxSize);
        LLVMFuzzerTestOneInput(d.data(), d.size());
    }
    std::printf("%ld inputs ran without a crash\n", runs + long(seeds.size()));
    return 0;
}
