#include "Preferences.h"

#include "Folders.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

static uint8_t *preferences = nullptr;

static const char kDefaultText[] = "Test levels";

// The file holds seven 4-byte groups starting at record offsets 0 to 6, then
// the 255 bytes from offset 7: each flag k is the first byte of group k.
struct FilePiece {
    int32_t fileOffset;
    int32_t recordOffset;
    int32_t size;
};
static const FilePiece kFilePieces[8] = {
    {0, 0, 4}, {4, 1, 4}, {8, 2, 4}, {12, 3, 4}, {16, 4, 4}, {20, 5, 4}, {24, 6, 4}, {28, 7, 255},
};

static void Defaults(uint8_t *record)
{
    std::memset(record, 0, kPrefsRecordSize);
    record[kPrefsKeySound] = 1;
    record[kPrefsKeyReserved] = 1;
    record[kPrefsKeyFSAA] = 0;
    record[kPrefsKeyVBLSyncWindowed] = 0;
    record[kPrefsKeyVBLSyncFullScreen] = 1;
    record[kPrefsKeyStartFullScreen] = 0;
    record[kPrefsKeyAnisotropic] = 1;
    std::memcpy(record + kPrefsKeyText, kDefaultText, sizeof kDefaultText);
}

fs::path PrefsGetFilePath()
{
    return PlatformPreferencesFolder() / "Brimhold Preferences";
}

void PrefsLoadDefaults()
{
    if (preferences)
        Defaults(preferences);
}

void PrefsReadFromBytes(const uint8_t *data, size_t size)
{
    if (!preferences || (!data && size > 0))
        return;
    size = std::min(size, size_t(kPrefsFileSize));
    for (const FilePiece &piece : kFilePieces) {
        if (size_t(piece.fileOffset) >= size)
            break;
        size_t count = std::min(size_t(piece.size), size - size_t(piece.fileOffset));
        std::memcpy(preferences + piece.recordOffset, data + piece.fileOffset, count);
    }
    for (int32_t key = 0; key < kPrefsKeyText; key++)
        preferences[key] = preferences[key] ? 1 : 0;
    preferences[kPrefsRecordSize - 1] = 0;
}

void PrefsWriteToBytes(uint8_t out[kPrefsFileSize])
{
    uint8_t record[kPrefsRecordSize];
    if (preferences)
        std::memcpy(record, preferences, kPrefsRecordSize);
    else
        Defaults(record);
    for (const FilePiece &piece : kFilePieces)
        std::memcpy(out + piece.fileOffset, record + piece.recordOffset, size_t(piece.size));
}

void PrefsStartUp()
{
    if (!preferences)
        preferences = new uint8_t[kPrefsRecordSize];
    PrefsLoadDefaults();
    std::ifstream in(PrefsGetFilePath(), std::ios::binary);
    if (!in)
        return;
    uint8_t bytes[kPrefsFileSize];
    in.read(reinterpret_cast<char *>(bytes), kPrefsFileSize);
    PrefsReadFromBytes(bytes, size_t(std::max<std::streamsize>(0, in.gcount())));
}

// Writes through a temporary file that replaces the old one only when
// complete, so that a failed write never leaves a damaged file behind.
static void WriteFile()
{
    std::error_code error;
    fs::path folder = PlatformPreferencesFolder();
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder, error))
        return;
    uint8_t bytes[kPrefsFileSize];
    PrefsWriteToBytes(bytes);
    fs::path file = PrefsGetFilePath();
    fs::path temporary = file;
    temporary += ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            return;
        out.write(reinterpret_cast<const char *>(bytes), kPrefsFileSize);
        out.close();
        if (!out) {
            fs::remove(temporary, error);
            return;
        }
    }
    fs::rename(temporary, file, error);
    if (error)
        fs::remove(temporary, error);
}

void PrefsShutDown()
{
    if (!preferences)
        return;
    WriteFile();
    delete[] preferences;
    preferences = nullptr;
}

void PrefsGetValue(int32_t key, void *out)
{
    if (!out)
        return;
    uint8_t defaults[kPrefsRecordSize];
    const uint8_t *record = preferences;
    if (!record) {
        Defaults(defaults);
        record = defaults;
    }
    if (key >= 0 && key < kPrefsKeyText) {
        int32_t value = record[key] ? 1 : 0;
        std::memcpy(out, &value, sizeof value);
    } else if (key == kPrefsKeyText) {
        std::memcpy(out, record + kPrefsKeyText, kPrefsTextSize);
    }
}

void PrefsSetValue(int32_t key, int32_t value)
{
    if (preferences && key >= 0 && key < kPrefsKeyText)
        preferences[key] = value != 0 ? 1 : 0;
}

void PrefsSetText(int32_t key, const char *text)
{
    if (!preferences || key != kPrefsKeyText || !text)
        return;
    size_t length = strnlen(text, kPrefsTextSize - 1);
    std::memset(preferences + kPrefsKeyText, 0, kPrefsTextSize);
    std::memcpy(preferences + kPrefsKeyText, text, length);
}
