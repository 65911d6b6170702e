// Sound effects: a fixed table of 36 Ogg Vorbis files decoded at start-up
// into 16-bit PCM buffers, played on eight voices in rotation.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

// The indices of the effects, kSoundGem (0) to kSoundBlockToggle (35).  The
// step sounds come in six files each: even numbers one foot, odd the other.
enum SoundIndex : int32_t {
#define SOUND(name, file) name,
#include "SoundFiles.inc"
#undef SOUND
    kSoundCount
};
static_assert(kSoundCount == 36, "the table has 36 sound effects");
constexpr int32_t kSoundVoices = 8;
// Longest decoded sound accepted (bytes of PCM); a longer file stays silent.
constexpr int32_t kSoundMaxDecodedBytes = 32 << 20;

void SoundStartUp();
void SoundShutDown();
void SoundPlay(int32_t index);
// The alert beep, a short tone on the next voice (silent with sound off).
void SoundBeep();
void SoundSetEnabled(bool enabled);
bool SoundIsEnabled();

// The table's file name of an index ("Gem.ogg" ...), null outside the table.
const char *SoundFileName(int32_t index);
// How many times SoundPlay asked for the effect since the last reset,
// whether or not sound was on.
uint32_t SoundGetRequestCount(int32_t index);
void SoundResetRequestCounts();
// The voice that plays next (0 to 7).
int32_t SoundGetSourceCycle();
// The audio buffer of a table entry and the audio source of a voice (0 when
// there is none).
uint32_t SoundGetBuffer(int32_t index);
uint32_t SoundGetSource(int32_t voice);

struct SoundPCM {
    std::vector<uint8_t> data; // 16-bit signed little-endian samples
    int32_t channels;
    int32_t rate;
};
// Decodes a whole Ogg Vorbis file, printing the failure messages; false when
// it cannot be opened, is not Ogg Vorbis, fails to decode or is too long.
bool SoundDecodeFile(const std::filesystem::path &file, SoundPCM *out);
