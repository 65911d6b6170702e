#include "Sound.h"

#include "Folders.h"
#include "Preferences.h"
#include "Utilities.h"

#include <AL/al.h>
#include <AL/alut.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

static const char *const soundFiles[kSoundCount] = {
#define SOUND(name, file) file,
#include "SoundFiles.inc"
#undef SOUND
};

static ALuint soundBuffers[kSoundCount];
static ALuint soundSources[kSoundVoices];
static int32_t sourceCycle = 0;
static bool soundEnabled = true;
static bool alutStarted = false;
// False when no sound device opened: the game then plays silently, without
// touching OpenAL at all.
static bool soundDevicePresent = false;
// The alert beep: a short tone of our own, made at start-up.
static ALuint beepBuffer = 0;

const char *SoundFileName(int32_t index)
{
    if (index < 0 || index >= kSoundCount)
        return nullptr;
    return soundFiles[index];
}

int32_t SoundGetSourceCycle()
{
    return sourceCycle;
}

uint32_t SoundGetBuffer(int32_t index)
{
    if (index < 0 || index >= kSoundCount)
        return 0;
    return soundBuffers[index];
}

uint32_t SoundGetSource(int32_t voice)
{
    if (voice < 0 || voice >= kSoundVoices)
        return 0;
    return soundSources[voice];
}

void SoundSetEnabled(bool enabled)
{
    soundEnabled = enabled;
}

bool SoundIsEnabled()
{
    return soundEnabled;
}

// The Ogg stream of an open file is decoded whole; the file is closed by
// ov_clear once ov_open has taken it, by fclose otherwise.
static bool DecodeOpenFile(FILE *file, SoundPCM *out)
{
    OggVorbis_File stream;
    int result = ov_open(file, &stream, nullptr, 0);
    if (result < 0) {
        std::printf("Error: ov_open returned %d\n", result);
        std::fclose(file);
        return false;
    }
    vorbis_info *info = ov_info(&stream, -1);
    if (!info) {
        std::printf("Error: ov_info returned NULL\n");
        ov_clear(&stream);
        return false;
    }
    out->channels = info->channels == 1 ? 1 : 2;
    out->rate = int32_t(info->rate);

    uint8_t *data = nullptr;
    int32_t capacity = 0, length = 0;
    char chunk[4096];
    int bitstream = 0;
    bool ok = true;
    for (;;) {
        long read = ov_read(&stream, chunk, sizeof chunk, 0, 2, 1, &bitstream);
        if (read < 0) {
            std::printf("Error: ov_read returned %ld\n", read);
            ok = false;
            break;
        }
        if (read == 0)
            break;
        if (length + read > kSoundMaxDecodedBytes) {
            std::printf("Error: decoded sound is longer than %d bytes\n", kSoundMaxDecodedBytes);
            ok = false;
            break;
        }
        if (capacity == 0) {
            data = static_cast<uint8_t *>(std::malloc(4096));
            if (!data)
                throw std::bad_alloc();
            capacity = 4096;
        }
        appendToBufferAndReallocIfNecessary(&data, &capacity, &length, int32_t(read), chunk);
    }
    ov_clear(&stream);
    if (ok)
        out->data.assign(data, data + length);
    std::free(data);
    return ok;
}

bool SoundDecodeFile(const std::filesystem::path &file, SoundPCM *out)
{
    FILE *f = std::fopen(file.c_str(), "rb");
    if (!f) {
        std::printf("Couldn't fopen %s\n", file.c_str());
        return false;
    }
    return DecodeOpenFile(f, out);
}

// A 0.12 s tone at 880 Hz with a soft start and end, 16-bit mono.
static void MakeBeep()
{
    const int rate = 22050;
    const int samples = rate * 12 / 100;
    std::vector<int16_t> pcm(size_t(samples), 0);
    for (int i = 0; i < samples; i++) {
        float t = float(i) / float(rate);
        float edge = std::min(1.0f, std::min(float(i), float(samples - i)) / (0.01f * float(rate)));
        pcm[size_t(i)] = int16_t(9000.0f * edge * std::sin(2.0f * float(M_PI) * 880.0f * t));
    }
    alGetError();
    alGenBuffers(1, &beepBuffer);
    if (alGetError() != AL_NO_ERROR) {
        beepBuffer = 0;
        return;
    }
    alBufferData(beepBuffer, AL_FORMAT_MONO16, pcm.data(), ALsizei(pcm.size() * sizeof(int16_t)), rate);
    alGetError();
}

void SoundStartUp()
{
    int32_t enabled = 1;
    PrefsGetValue(0, &enabled);
    soundEnabled = enabled != 0;
    sourceCycle = 0;
    // Without a sound device the audio libraries print a screenful of their
    // own complaints; they are held back and one line says sound is off.
    std::fflush(stderr);
    int savedStderr = ::dup(2);
    int quiet = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (savedStderr >= 0 && quiet >= 0)
        ::dup2(quiet, 2);
    bool opened = alutInit(nullptr, nullptr);
    if (savedStderr >= 0) {
        ::dup2(savedStderr, 2);
        ::close(savedStderr);
    }
    if (quiet >= 0)
        ::close(quiet);
    if (!opened) {
        std::fprintf(stderr, "brimhold: sound is off: no sound device could be opened (%s)\n",
                     alutGetErrorString(alutGetError()));
        soundDevicePresent = false;
        return;
    }
    alutStarted = true;
    soundDevicePresent = true;
    alGetError();
    alGenBuffers(kSoundCount, soundBuffers);
    ALenum error = alGetError();
    if (error != AL_NO_ERROR)
        std::printf("alGenBuffers: 0x%X\n", unsigned(error));

    std::filesystem::path folder = PlatformResourceSubfolder("Sounds");
    for (int32_t i = 0; i < kSoundCount; i++) {
        std::filesystem::path file = folder / soundFiles[i];
        std::error_code exists;
        if (!std::filesystem::is_regular_file(file, exists)) {
            std::printf("Error: Could not find sound file %s\n", soundFiles[i]);
            continue;
        }
        SoundPCM pcm;
        if (!SoundDecodeFile(file, &pcm)) {
            std::printf("Error: the sound file %s is damaged; it stays silent\n", file.c_str());
            continue;
        }
        alGetError();
        alBufferData(soundBuffers[i], pcm.channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16,
                     pcm.data.data(), ALsizei(pcm.data.size()), ALsizei(pcm.rate));
        error = alGetError();
        if (error != AL_NO_ERROR)
            std::printf("alBufferData: 0x%X\n", unsigned(error));
    }

    alGetError();
    alGenSources(kSoundVoices, soundSources);
    error = alGetError();
    if (error != AL_NO_ERROR)
        std::printf("alGenSources: 0x%X\n", unsigned(error));

    const ALfloat zero[3] = {0, 0, 0};
    const ALfloat orientation[6] = {0, 0, -1, 0, 1, 0};
    alListenerfv(AL_POSITION, zero);
    if ((error = alGetError()) != AL_NO_ERROR)
        std::printf("alListenerfv: 0x%X\n", unsigned(error));
    alListenerfv(AL_VELOCITY, zero);
    if ((error = alGetError()) != AL_NO_ERROR)
        std::printf("alListenerfv: 0x%X\n", unsigned(error));
    alListenerfv(AL_ORIENTATION, orientation);
    if ((error = alGetError()) != AL_NO_ERROR)
        std::printf("alListenerfv: 0x%X\n", unsigned(error));

    MakeBeep();
}

// Plays a buffer on the next voice of the rotation.
static void PlayBuffer(ALuint buffer, int32_t index)
{
    ALuint source = soundSources[sourceCycle];
    alGetError();
    alSourceStop(source);
    ALenum error = alGetError();
    if (error != AL_NO_ERROR)
        std::printf("alSourceStop(%d): 0x%X\n", sourceCycle, unsigned(error));
    alSourcei(source, AL_BUFFER, ALint(buffer));
    error = alGetError();
    if (error != AL_NO_ERROR)
        std::printf("alSourcei(%d): 0x%X\n", index, unsigned(error));
    alSourcePlay(source);
    error = alGetError();
    if (error != AL_NO_ERROR)
        std::printf("alSourcePlay: 0x%X\n", unsigned(error));
    sourceCycle = (sourceCycle + 1) % kSoundVoices;
}

// How often each effect was asked for, played or not (tests read it).
static uint32_t requestCounts[kSoundCount];

uint32_t SoundGetRequestCount(int32_t index)
{
    return index >= 0 && index < kSoundCount ? requestCounts[index] : 0;
}

void SoundResetRequestCounts()
{
    for (uint32_t &count : requestCounts)
        count = 0;
}

void SoundPlay(int32_t index)
{
    if (index >= 0 && index < kSoundCount)
        requestCounts[index]++;
    if (!soundEnabled || !soundDevicePresent)
        return;
    if (index < 0 || index >= kSoundCount) {
        std::printf("Error: SoundPlay index %d is not a sound\n", index);
        return;
    }
    PlayBuffer(soundBuffers[index], index);
}

void SoundBeep()
{
    if (!soundEnabled || !soundDevicePresent || beepBuffer == 0)
        return;
    PlayBuffer(beepBuffer, -1);
}

void SoundShutDown()
{
    if (alutStarted) {
        // Sources and buffers go with the context; freeing them first keeps
        // OpenAL from reporting them as leaked.
        alDeleteSources(kSoundVoices, soundSources);
        alDeleteBuffers(kSoundCount, soundBuffers);
        if (beepBuffer != 0)
            alDeleteBuffers(1, &beepBuffer);
        alGetError();
        if (!alutExit())
            std::printf("alutExit: 0x%X\n", unsigned(alutGetError()));
        alutStarted = false;
    }
    soundDevicePresent = false;
    for (ALuint &b : soundBuffers)
        b = 0;
    beepBuffer = 0;
    for (ALuint &s : soundSources)
        s = 0;
    PrefsSetValue(0, soundEnabled ? 1 : 0);
}
