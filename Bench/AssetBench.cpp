// Loading the Models folder into the registry and decoding the 36 sound
// effects.  When the resources hold no models yet, a representative folder is
// generated: block models of every drawing path, textured and plain shaders,
// a skeleton, an animation and a skinned body.
#include "Folders.h"
#include "Image.h"
#include "ModelParser.h"
#include "Sound.h"

#include "../Tests/OggTestEncoder.h"

#include <GL/gl.h>
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool MakeContext()
{
    static int state = 0;
    if (state == 0) {
        state = -1;
        for (const char *driver : {static_cast<const char *>(nullptr), "offscreen"}) {
            if (driver)
                SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
            if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
                continue;
            SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
            SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
            SDL_Window *window = SDL_CreateWindow("Brimhold bench", 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
            if (window && SDL_GL_CreateContext(window)) {
                state = 1;
                break;
            }
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        }
    }
    return state == 1;
}

void WriteText(const fs::path &file, const std::string &text)
{
    std::ofstream(file, std::ios::binary) << text;
}

std::string Header(const std::string &type, const std::string &identifier, const std::string &requires_ = "")
{
    return "Header\n\tType: " + type + "\n\tIdentifier: '" + identifier + "'\n" +
           (requires_.empty() ? "" : "\tRequires: \"" + requires_ + "\"\n") + "End\n";
}

// A cube of quads subdivided n x n per face: 24 n^2 vertices.
std::string CubeModel(int n, const std::string &shader, bool billboard)
{
    std::string text = "StaticModel\n\tNumSegments: 6\n";
    char line[160];
    for (int face = 0; face < 6; face++) {
        text += "\tSegment\n\t\tShader: '" + shader + "'\n\t\tPrimitiveType: GL_QUADS\n";
        if (billboard && face == 0)
            text += "\t\tBillboard: 1\n";
        text += "\t\tNumVertices: " + std::to_string(4 * n * n) + "\n\t\tVertices\n\t\t\tNormal: 0, 1, 0\n";
        for (int i = 0; i < n; i++)
            for (int j = 0; j < n; j++) {
                const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
                for (const auto &c : corners) {
                    float u = (float(i) + c[0]) / float(n), v = (float(j) + c[1]) / float(n);
                    std::snprintf(line, sizeof line, "\t\t\tTexCoord: %g, %g\n\t\t\tVertex: %g, %g, %g\n", u, v,
                                  6 * u - 3, 3.0, 6 * v - 3 + face);
                    text += line;
                }
            }
        text += "\t\tEnd\n\tEnd\n";
    }
    return text + "End\n";
}

// The generated folder, removed when the program ends.
struct GeneratedFolder {
    fs::path root;
    ~GeneratedFolder()
    {
        std::error_code error;
        if (!root.empty())
            fs::remove_all(root, error);
    }
};
GeneratedFolder generated;

fs::path GenerateModels()
{
    fs::path root = fs::temp_directory_path() / ("brimhold-bench-" + std::to_string(::getpid()));
    generated.root = root;
    fs::remove_all(root);
    fs::create_directories(root / "Models");
    fs::create_directories(root / "Textures");
    fs::create_directories(root / "Sounds");
    std::vector<uint8_t> rgb(256 * 256 * 3);
    for (size_t i = 0; i < rgb.size(); i++)
        rgb[i] = uint8_t(i * 31 / 7);
    for (int t = 0; t < 12; t++) {
        std::string id = "Tx" + std::string(t < 10 ? "0" : "") + std::to_string(t);
        PlatformWritePNG(root / "Textures" / (id + ".png"), 256, 256, rgb.data());
        WriteText(root / "Models" / (id + ".shdr"),
                  Header("Shader", id) + "Shader\n\tTexture\n\t\tFilename: \"" + id +
                      ".png\"\n\t\tMinFilter: GL_LINEAR_MIPMAP_LINEAR\n\t\tMipmaps: " + (t % 2 ? "1" : "0") +
                      "\n\tEnd\n\tMaterial\n\t\tDiffuse: 1, 1, 1, 1\n\tEnd\nEnd\n");
    }
    for (int m = 0; m < 8; m++) {
        std::string id = "Mt0" + std::to_string(m);
        WriteText(root / "Models" / (id + ".shdr"),
                  Header("Shader", id) + "Shader\n\tMaterial\n\t\tDiffuse: 0.5, 0.5, 1, 1\n\t\tShininess: 8\n\tEnd\nEnd\n");
    }
    // 30 block models: small (immediate), medium (arrays), large (lists).
    for (int b = 0; b < 30; b++) {
        int n = b % 3 == 0 ? 1 : (b % 3 == 1 ? 2 : 4);
        std::string id = "Bk" + std::string(b < 10 ? "0" : "") + std::to_string(b);
        std::string shader = "Tx" + std::string(b % 12 < 10 ? "0" : "") + std::to_string(b % 12);
        WriteText(root / "Models" / (id + ".modl"),
                  Header("Static", id, shader + ".shdr") + CubeModel(n, shader, b == 7));
    }
    std::string skeleton = "Bone\n\tIdentifier: 'Hips'\n\tOffset: 0, 3, 0\n";
    const char *bones[] = {"Spin", "Head", "ArmL", "ArmR", "LegL", "LegR", "FotL", "FotR"};
    for (const char *b : bones)
        skeleton += std::string("\tBone\n\t\tIdentifier: '") + b + "'\n\t\tLength: 1\n\tEnd\n";
    WriteText(root / "Models" / "Humn.skel", Header("Skeleton", "Humn") + skeleton + "End\n");
    std::string animation = "Animation\n\tSkeleton: 'Humn'\n\tKeyframes\n\t\tNumKeyframes: 24\n";
    for (int k = 0; k < 24; k++) {
        animation += "\t\tKeyframe\n\t\t\tIdentifier: 'K0" + std::string(k < 10 ? "0" : "") + std::to_string(k) +
                     "'\n\t\t\tInterval: 0.1\n\t\t\tNumBones: 8\n\t\t\tBones\n";
        for (const char *b : bones)
            animation += "\t\t\t\tOrientation: 1, 0, 0; " + std::to_string(k * 3) + "\n\t\t\t\tBone: '" + b + "'\n";
        animation += "\t\t\tEnd\n\t\tEnd\n";
    }
    animation += "\tEnd\n\tActions\n\t\tNumActions: 4\n";
    for (int a = 0; a < 4; a++) {
        animation += "\t\tAction\n\t\t\tIdentifier: 'Act" + std::to_string(a) + "'\n\t\t\tNumKeyframes: 6\n";
        for (int k = 0; k < 6; k++)
            animation += "\t\t\tKeyframe: 'K0" + std::string(a * 6 + k < 10 ? "0" : "") +
                         std::to_string(a * 6 + k) + "'\n";
        animation += "\t\tEnd\n";
    }
    WriteText(root / "Models" / "Humn.anim", Header("Animation", "Humn", "Humn.skel") + animation + "\tEnd\nEnd\n");
    std::string body = "Body\n\tAnimation: 'Humn'\n\tNumSegments: 8\n";
    for (const char *b : bones) {
        body += "\tSegment\n\t\tShader: 'Mt00'\n\t\tPrimitiveType: GL_TRIANGLES\n\t\tNumVertices: 120\n\t\tVertices\n"
                "\t\t\tBone1: '" + std::string(b) + "'\n\t\t\tBone2: 'Hips'\n\t\t\tWeight1: 0.7\n\t\t\tWeight2: 0.3\n";
        for (int v = 0; v < 120; v++)
            body += "\t\t\tNormal: 0, 0, 1\n\t\t\tVertex: " + std::to_string(v % 7) + ", " + std::to_string(v % 5) +
                    ", 0.5\n";
        body += "\t\tEnd\n\tEnd\n";
    }
    WriteText(root / "Models" / "Humn.body", Header("Body", "Humn", "Humn.anim") + body + "End\n");
    for (int i = 0; i < kSoundCount; i++)
        oggtest::WriteTone(root / "Sounds" / SoundFileName(i), i % 5 == 0 ? 2 : 1, 44100, 11025 + 1000 * (i % 10));
    return root;
}

// The folder the benchmarks read: the real resources once they hold models,
// else a generated one.
fs::path Resources()
{
    static fs::path chosen;
    if (chosen.empty()) {
        fs::path real = PlatformResourcesFolder();
        std::error_code error;
        bool hasModels = fs::is_directory(real / "Models", error) && !fs::is_empty(real / "Models", error) &&
                         fs::is_directory(real / "Sounds", error) && !fs::is_empty(real / "Sounds", error);
        chosen = hasModels ? real : GenerateModels();
        std::printf("Assets from %s\n", chosen.c_str());
    }
    return chosen;
}

void LoadAllModels(benchmark::State &state)
{
    if (!MakeContext()) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    PlatformSetResourcesFolder(Resources());
    for (auto _ : state) {
        ModelLoadAllModels();
        state.PauseTiming();
        state.counters["models"] = double(ModelGetNumberOfModels());
        ModelDisposeAllModels();
        state.ResumeTiming();
    }
}
BENCHMARK(LoadAllModels)->Unit(benchmark::kMillisecond);

void DecodeAllSounds(benchmark::State &state)
{
    fs::path sounds = Resources() / "Sounds";
    for (auto _ : state) {
        size_t bytes = 0;
        for (int i = 0; i < kSoundCount; i++) {
            SoundPCM pcm;
            if (SoundDecodeFile(sounds / SoundFileName(i), &pcm))
                bytes += pcm.data.size();
        }
        state.counters["PCM bytes"] = double(bytes);
    }
}
BENCHMARK(DecodeAllSounds)->Unit(benchmark::kMillisecond);

void SoundStartUpAndShutDown(benchmark::State &state)
{
    PlatformSetResourcesFolder(Resources());
    for (auto _ : state) {
        SoundStartUp();
        SoundShutDown();
    }
}
BENCHMARK(SoundStartUpAndShutDown)->Unit(benchmark::kMillisecond);

} // namespace
