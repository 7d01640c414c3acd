// Wave sounds: RIFF/WAVE files of 8- or 16-bit PCM, mono or stereo, played through ALSA. Every play
// is recorded, whether a device took it or not, so that tests can tell what a program played.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "win32/types.h"

namespace win32 {

inline constexpr UINT SND_SYNC = 0x0000;
inline constexpr UINT SND_ASYNC = 0x0001;
inline constexpr UINT SND_NODEFAULT = 0x0002;
inline constexpr UINT SND_MEMORY = 0x0004;
inline constexpr UINT SND_LOOP = 0x0008;
inline constexpr UINT SND_NOSTOP = 0x0010;
inline constexpr UINT SND_PURGE = 0x0040;
inline constexpr UINT SND_ALIAS = 0x00010000;
inline constexpr UINT SND_FILENAME = 0x00020000;

inline constexpr DWORD MMSYSERR_NODRIVER = 6;

// Plays a wave file (a drive path or a real path); nullptr stops the sound playing now. A sound
// already playing is stopped first, unless SND_NOSTOP asks to leave it, which then fails. SND_SYNC
// returns when the sound has been played, SND_ASYNC at once. A file that is missing or no playable
// wave plays the default beep instead unless SND_NODEFAULT; either way the call fails, with the last
// error ERROR_FILE_NOT_FOUND, ERROR_BAD_FORMAT (not PCM of 8/16 bits in 1/2 channels) or
// ERROR_INVALID_DATA (truncated or inconsistent). No sound device: MMSYSERR_NODRIVER.
BOOL sndPlaySound(const char* sound, UINT flags);
// The same with SND_FILENAME (SND_ALIAS, SND_MEMORY and resources are not served: ERROR_NOT_SUPPORTED).
BOOL PlaySound(const char* sound, HMODULE module, DWORD flags);

// The format and samples of a parsed wave file.
struct WaveSound {
    WORD channels = 0;
    DWORD samplesPerSecond = 0;
    WORD bitsPerSample = 0;
    // Little-endian samples as stored, whole frames only.
    std::vector<uint8_t> samples;

    WORD BlockAlign() const { return static_cast<WORD>(channels * (bitsPerSample / 8)); }
    size_t Frames() const { return BlockAlign() ? samples.size() / BlockAlign() : 0; }
};

// Parses a RIFF/WAVE image. False with a sentence in `error` and the Win32 error in `code`
// (ERROR_BAD_FORMAT or ERROR_INVALID_DATA) for anything that is not a sound it can play; never
// reads outside `bytes`.
bool ParseWave(std::string_view bytes, WaveSound& sound, std::string& error, DWORD& code);

namespace testing {

struct PlayedSound {
    std::string file;  // as the caller named it
    UINT flags = 0;
    WORD channels = 0;
    DWORD samplesPerSecond = 0;
    WORD bitsPerSample = 0;
    size_t frames = 0;
    bool reachedDevice = false;  // false when no device could be opened
};

// Every wave handed to a device or refused by the lack of one since the last reset, in order.
std::vector<PlayedSound> PlayedSounds();
// The ALSA device the platform opens ("default" unless set) and, when not empty, a configuration
// text that replaces the system's own for that device (for example a `file` plugin that captures).
void SetSoundDevice(const std::string& pcmName, const std::string& configuration = {});
// Blocks until an asynchronous sound has finished playing.
void WaitForSound();

}  // namespace testing

}  // namespace win32
