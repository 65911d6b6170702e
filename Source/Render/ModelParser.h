// The model registry: every art asset of the Models resource folder (static
// models, skeletons, bodies, animations, shaders), loaded once at start-up and
// found by kind and four-character identifier.  Also the line scanning that
// every asset reader shares.
#pragma once

#include "Types.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>

enum ModelKind : int32_t {
    kModelKindNone = 0,
    kModelKindStatic = 1,
    kModelKindSkeleton = 2,
    kModelKindBody = 3,
    kModelKindAnimation = 4,
    kModelKindShader = 5
};

struct Model {
    int32_t kind;
    FourCharCode identifier;
    char fileName[256];
    void *data; // the kind's record, owned by the entry
};

// File error codes (the platform's): a missing file, and a file that cannot be
// read or is larger than any asset may be.
constexpr int32_t kModelErrorFileNotFound = -43;
constexpr int32_t kModelErrorIO = -36;
constexpr int64_t kModelMaxFileSize = 8 << 20;

// Shaders hold textures, so the drawing code tells the registry how to read
// and free them (Shader.cpp does so as the program starts).  A program
// without the drawing code keeps shader entries without data.
struct ModelShaderFunctions {
    void *(*allocate)();
    int32_t (*load)(void *shader, const char *text, int32_t length, int32_t position);
    void (*dispose)(void *shader);
};
void ModelSetShaderFunctions(const ModelShaderFunctions *functions);

// Loads every asset file of the Models folder; one alert per failing file.
void ModelLoadAllModels();
// Loads one file into a new entry; 0 on success, else the code.
int32_t ModelLoadFile(const std::filesystem::path &file);
// 0 when an entry of that file name exists, else loads the file of that name
// from the Models folder; -43 when there is none.
int32_t ModelLoadIfNecessary(const char *fileName);
Model *ModelGetModelByIdentifier(int32_t kind, FourCharCode identifier);
int32_t ModelGetNumberOfModels();
Model *ModelGetModelAtIndex(int32_t index);
// Capacity of the registry's array (64 at the first push, then doubling).
int32_t ModelGetListCapacity();
Model *ModelPush();
void ModelRemoveModelFromList(int32_t kind, FourCharCode identifier);
void ModelDispose(Model *model);
void ModelDisposeAllModels();

// Header of an asset text as read by ModelReadHeader.
struct ModelHeader {
    int32_t kind;
    FourCharCode identifier;
    int32_t bodyPosition; // the header's "End" line; -1 when the text ended first
};
// Reads the common header.  Requires lines load their files at once.  Returns
// 0, 1 (no header or no kind) or the code of a failed requirement.
int32_t ModelReadHeader(const char *text, int32_t length, ModelHeader *header);

// ---- Line scanning shared by the asset readers ----

// Longest line that a reader looks at; the rest of a longer line is ignored.
constexpr size_t kModelLineMax = 1024;

// A line of an asset text, copied out and NUL-terminated, so that scanf
// patterns never run past the line or the text.
struct ModelLine {
    char text[kModelLineMax];
};

// First non-blank character of the next non-blank line after the line at
// position; -1 at the end of the text.
int32_t ModelNextLine(const char *text, int32_t length, int32_t position);
// Copies the line starting at position (up to its line end).
void ModelCopyLine(const char *text, int32_t length, int32_t position, ModelLine *line);
// The line begins with keyword.
bool ModelLineBegins(const ModelLine *line, const char *keyword);
// From the line at position (inclusive), the first line beginning with
// keyword; -1 if none.
int32_t ModelFindLine(const char *text, int32_t length, int32_t position, const char *keyword);
// A four-character code from up to four characters (a shorter string is
// padded with zero bytes), first character most significant.
FourCharCode ModelCodeFromChars(const char *chars);
// Reads "<prefix>'%4s'" from the line into *code; false when it does not match.
bool ModelScanCode(const ModelLine *line, const char *prefix, FourCharCode *code);
