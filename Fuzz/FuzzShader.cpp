// Shader files: sections, keys and the texture image named by Filename (a
// small image in a temporary Textures folder).
#include "Folders.h"
#include "Image.h"
#include "Shader.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

// The temporary resources folder, removed when the program ends.
struct TemporaryFolder {
    std::filesystem::path root;
    ~TemporaryFolder()
    {
        std::error_code error;
        if (!root.empty())
            std::filesystem::remove_all(root, error);
    }
};
static TemporaryFolder temporary;

static void PrepareTextures()
{
    std::filesystem::path root =
        std::filesystem::temp_directory_path() / ("brimhold-fuzz-shader-" + std::to_string(::getpid()));
    temporary.root = root;
    std::filesystem::create_directories(root / "Textures");
    uint8_t rgb[4 * 4 * 3] = {255, 0, 0, 0, 255, 0};
    PlatformWritePNG(root / "Textures" / "t.png", 4, 4, rgb);
    PlatformWritePNG(root / "Textures" / "odd.png", 3, 4, rgb);
    PlatformSetResourcesFolder(root);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool prepared = false;
    if (!prepared) {
        PrepareTextures();
        prepared = true;
    }
    Shader *shader = ShaderAllocate();
    ShaderParse(shader, reinterpret_cast<const char *>(data), int32_t(size), 0);
    ShaderDispose(shader);
    return 0;
}
