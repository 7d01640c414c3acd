// Any file, however broken, is refused or gives a sound whose samples are whole frames of a format
// the player takes; nothing is read outside the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "win32/sound.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    win32::WaveSound sound;
    std::string error;
    win32::DWORD code = 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (!win32::ParseWave(bytes, sound, error, code)) {
        if (error.empty() || code == 0) std::abort();
        return 0;
    }
    if ((sound.channels != 1 && sound.channels != 2) ||
        (sound.bitsPerSample != 8 && sound.bitsPerSample != 16) || sound.samplesPerSecond == 0 ||
        sound.samples.size() % sound.BlockAlign() != 0 || sound.samples.size() > size)
        std::abort();
    return 0;
}
