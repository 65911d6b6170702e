#include "ModelParser.h"

#include "Folders.h"
#include "Model.h"
#include "Skeleton.h"
#include "Utilities.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

static const ModelShaderFunctions *shaderFunctions = nullptr;

void ModelSetShaderFunctions(const ModelShaderFunctions *functions)
{
    shaderFunctions = functions;
}

static Model **modelList = nullptr;
static int32_t numModels = 0;
static int32_t modelListSize = 0;

// ---- Line scanning ----

int32_t ModelNextLine(const char *text, int32_t length, int32_t position)
{
    int32_t end = getNextLineIndex(text, length, position);
    if (end < 0)
        return -1;
    return skipWhitespace(text, length, end);
}

void ModelCopyLine(const char *text, int32_t length, int32_t position, ModelLine *line)
{
    size_t n = 0;
    if (position >= 0) {
        for (int32_t i = position; i < length && n + 1 < kModelLineMax; i++) {
            char c = text[i];
            if (c == '\r' || c == '\n')
                break;
            line->text[n++] = c;
        }
    }
    line->text[n] = 0;
}

bool ModelLineBegins(const ModelLine *line, const char *keyword)
{
    return std::strncmp(line->text, keyword, std::strlen(keyword)) == 0;
}

int32_t ModelFindLine(const char *text, int32_t length, int32_t position, const char *keyword)
{
    ModelLine line;
    while (position >= 0 && position < length) {
        ModelCopyLine(text, length, position, &line);
        if (ModelLineBegins(&line, keyword))
            return position;
        position = ModelNextLine(text, length, position);
    }
    return -1;
}

FourCharCode ModelCodeFromChars(const char *chars)
{
    FourCharCode code = 0;
    bool ended = false;
    for (int i = 0; i < 4; i++) {
        uint8_t c = ended ? 0 : uint8_t(chars[i]);
        if (c == 0)
            ended = true;
        code = (code << 8) | c;
    }
    return code;
}

bool ModelScanCode(const ModelLine *line, const char *prefix, FourCharCode *code)
{
    char pattern[64];
    std::snprintf(pattern, sizeof pattern, "%s'%%4s'", prefix);
    char word[5] = {0};
    if (std::sscanf(line->text, pattern, word) != 1)
        return false;
    *code = ModelCodeFromChars(word);
    return true;
}

// ---- Registry ----

Model *ModelPush()
{
    if (numModels >= modelListSize) {
        int32_t grown = modelListSize == 0 ? 64 : modelListSize * 2;
        Model **moved = static_cast<Model **>(std::realloc(modelList, sizeof(Model *) * size_t(grown)));
        if (!moved)
            throw std::bad_alloc();
        modelList = moved;
        modelListSize = grown;
    }
    Model *model = static_cast<Model *>(std::calloc(1, sizeof(Model)));
    if (!model)
        throw std::bad_alloc();
    modelList[numModels++] = model;
    return model;
}

int32_t ModelGetNumberOfModels()
{
    return numModels;
}

int32_t ModelGetListCapacity()
{
    return modelListSize;
}

Model *ModelGetModelAtIndex(int32_t index)
{
    if (index < 0 || index >= numModels)
        return nullptr;
    return modelList[index];
}

Model *ModelGetModelByIdentifier(int32_t kind, FourCharCode identifier)
{
    for (int32_t i = 0; i < numModels; i++)
        if (modelList[i]->kind == kind && modelList[i]->identifier == identifier)
            return modelList[i];
    return nullptr;
}

static void DisposeData(int32_t kind, void *data)
{
    if (!data)
        return;
    switch (kind) {
    case kModelKindStatic:
        StaticModelDispose(static_cast<StaticModel *>(data));
        break;
    case kModelKindSkeleton:
        SkeletonDispose(static_cast<Skeleton *>(data));
        break;
    case kModelKindBody:
        BodyDispose(static_cast<Body *>(data));
        break;
    case kModelKindAnimation:
        AnimationDispose(static_cast<Animation *>(data));
        break;
    case kModelKindShader:
        if (shaderFunctions)
            shaderFunctions->dispose(data);
        break;
    default:
        break;
    }
}

void ModelDispose(Model *model)
{
    if (!model)
        return;
    DisposeData(model->kind, model->data);
    std::free(model);
}

// Removes the entry at index, closing the gap; the entry is disposed.
static void RemoveAt(int32_t index)
{
    Model *model = modelList[index];
    for (int32_t i = index; i + 1 < numModels; i++)
        modelList[i] = modelList[i + 1];
    numModels--;
    ModelDispose(model);
}

void ModelRemoveModelFromList(int32_t kind, FourCharCode identifier)
{
    for (int32_t i = 0; i < numModels; i++)
        if (modelList[i]->kind == kind && modelList[i]->identifier == identifier) {
            RemoveAt(i);
            return;
        }
}

void ModelDisposeAllModels()
{
    // Last first, so that an entry never outlives what it was loaded after.
    while (numModels > 0)
        RemoveAt(numModels - 1);
    std::free(modelList);
    modelList = nullptr;
    modelListSize = 0;
}

// ---- Loading ----

int32_t ModelReadHeader(const char *text, int32_t length, ModelHeader *header)
{
    header->kind = kModelKindNone;
    header->identifier = 0;
    header->bodyPosition = -1;
    if (length <= 0)
        return 1;
    // The very first character of the text first, then each line's first
    // non-blank character.
    ModelLine line;
    int32_t position = 0;
    ModelCopyLine(text, length, 0, &line);
    if (!ModelLineBegins(&line, "Header")) {
        position = ModelNextLine(text, length, 0);
        position = ModelFindLine(text, length, position, "Header");
        if (position < 0)
            return 1;
    }
    position = ModelNextLine(text, length, position);
    while (position >= 0) {
        ModelCopyLine(text, length, position, &line);
        char word[16] = {0};
        char quoted[256] = {0};
        if (std::sscanf(line.text, "Type: %15s", word) == 1) {
            if (std::strcmp(word, "Static") == 0)
                header->kind = kModelKindStatic;
            else if (std::strcmp(word, "Skeleton") == 0)
                header->kind = kModelKindSkeleton;
            else if (std::strcmp(word, "Body") == 0)
                header->kind = kModelKindBody;
            else if (std::strcmp(word, "Animation") == 0)
                header->kind = kModelKindAnimation;
            else if (std::strcmp(word, "Shader") == 0)
                header->kind = kModelKindShader;
        } else if (std::sscanf(line.text, "Identifier: '%255[^']'", quoted) == 1) {
            header->identifier = ModelCodeFromChars(quoted);
        } else if (std::sscanf(line.text, "Requires: \"%255[^\"]\"", quoted) == 1) {
            int32_t code = ModelLoadIfNecessary(quoted);
            if (code != 0)
                return code;
        } else if (ModelLineBegins(&line, "End")) {
            header->bodyPosition = position;
            break;
        }
        position = ModelNextLine(text, length, position);
    }
    if (header->kind == kModelKindNone)
        return 1;
    return 0;
}

// Reads a whole file, at most kModelMaxFileSize bytes, with a NUL after it.
static int32_t ReadWholeFile(const fs::path &file, std::vector<char> *out)
{
    std::error_code error;
    fs::file_status status = fs::status(file, error);
    if (error || !fs::exists(status))
        return kModelErrorFileNotFound;
    if (!fs::is_regular_file(status))
        return kModelErrorIO;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return kModelErrorIO;
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size < 0 || size > kModelMaxFileSize)
        return kModelErrorIO;
    in.seekg(0, std::ios::beg);
    out->assign(size_t(size) + 1, 0);
    if (size > 0 && !in.read(out->data(), size))
        return kModelErrorIO;
    return 0;
}

// Allocates the kind's record and reads its body.
static int32_t LoadBody(Model *model, const char *text, int32_t length, int32_t position)
{
    switch (model->kind) {
    case kModelKindStatic: {
        StaticModel *m = StaticModelAllocate();
        model->data = m;
        return StaticModelLoad(m, text, length, position);
    }
    case kModelKindSkeleton: {
        Skeleton *s = SkeletonAllocate();
        model->data = s;
        return SkeletonLoad(s, text, length, position);
    }
    case kModelKindBody: {
        Body *b = BodyAllocate();
        model->data = b;
        return BodyLoad(b, text, length, position);
    }
    case kModelKindAnimation: {
        Animation *a = AnimationAllocate();
        model->data = a;
        return AnimationLoad(a, text, length, position);
    }
    case kModelKindShader: {
        if (!shaderFunctions)
            return 0; // an entry without data: nothing here draws
        void *s = shaderFunctions->allocate();
        model->data = s;
        return shaderFunctions->load(s, text, length, position);
    }
    default:
        return 1;
    }
}

int32_t ModelLoadFile(const fs::path &file)
{
    std::vector<char> buffer;
    int32_t code = ReadWholeFile(file, &buffer);
    if (code != 0)
        return code;
    const char *text = buffer.data();
    int32_t length = int32_t(buffer.size() - 1);

    Model *model = ModelPush();
    std::string name = file.filename().string();
    std::snprintf(model->fileName, sizeof model->fileName, "%s", name.c_str());

    ModelHeader header;
    code = ModelReadHeader(text, length, &header);
    // Requires lines may have pushed entries after this one; it is found again
    // by address.
    model->kind = header.kind;
    model->identifier = header.identifier;
    if (code == 0)
        code = LoadBody(model, text, length, header.bodyPosition);
    if (code != 0) {
        for (int32_t i = numModels - 1; i >= 0; i--)
            if (modelList[i] == model) {
                RemoveAt(i);
                break;
            }
    }
    return code;
}

// A name that stays inside the folder it is looked up in.
static bool IsPlainFileName(const char *name)
{
    size_t n = std::strlen(name);
    if (n == 0 || n > 255 || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
        return false;
    return std::strchr(name, '/') == nullptr;
}

int32_t ModelLoadIfNecessary(const char *fileName)
{
    for (int32_t i = 0; i < numModels; i++)
        if (std::strcmp(modelList[i]->fileName, fileName) == 0)
            return 0;
    if (!IsPlainFileName(fileName))
        return kModelErrorFileNotFound;
    fs::path file = PlatformResourceSubfolder("Models") / fileName;
    std::error_code error;
    if (!fs::is_regular_file(file, error))
        return kModelErrorFileNotFound;
    return ModelLoadFile(file);
}

void ModelLoadAllModels()
{
    fs::path folder = PlatformResourceSubfolder("Models");
    std::optional<std::vector<fs::path>> files = listFilesInFolder(folder);
    if (!files) {
        // Nothing can be drawn without them: say where they were looked for.
        std::fprintf(stderr, "brimhold: the models folder \"%s\" cannot be read\n", folder.c_str());
        return;
    }
    static const char *const suffixes[] = {"modl", "skel", "anim", "shdr", "body"};
    for (const fs::path &file : *files) {
        std::string location = file.string();
        if (location.size() <= 3)
            continue;
        std::string suffix = location.substr(location.size() - 4);
        bool wanted = false;
        for (const char *s : suffixes)
            if (suffix == s)
                wanted = true;
        if (!wanted)
            continue;
        int32_t code = ModelLoadFile(file);
        if (code != 0)
            alertf("Error loading file \"%s\": %d", location.c_str(), code);
    }
}
