// The RIFF/WAVE reader. Every size in the file is checked against the bytes actually there before
// it is used, so a truncated file or one whose header lies is refused rather than read past its end.
#include <cstring>

#include "win32/errors.h"
#include "win32/sound.h"

namespace win32 {

namespace wave {

constexpr WORD kFormatPcm = 1;
constexpr size_t kChunkHeader = 8;
constexpr size_t kFormatMinimum = 16;

uint32_t ReadUInt32(std::string_view bytes, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

uint16_t ReadUInt16(std::string_view bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                 static_cast<unsigned char>(bytes[at + 1]) << 8);
}

bool Refuse(std::string& error, DWORD& code, DWORD which, const char* why) {
    error = why;
    code = which;
    return false;
}

}  // namespace wave

bool ParseWave(std::string_view bytes, WaveSound& sound, std::string& error, DWORD& code) {
    using namespace wave;
    sound = WaveSound{};
    if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE")
        return Refuse(error, code, ERROR_BAD_FORMAT, "not a RIFF/WAVE file");
    const uint32_t riffSize = ReadUInt32(bytes, 4);
    if (riffSize < 4 || riffSize > bytes.size() - 8)
        return Refuse(error, code, ERROR_INVALID_DATA, "the RIFF size runs past the end of the file");
    // Bytes after the RIFF chunk are not part of the sound.
    const std::string_view body = bytes.substr(0, 8 + static_cast<size_t>(riffSize));

    bool haveFormat = false;
    size_t at = 12;
    while (at < body.size()) {
        if (body.size() - at < kChunkHeader)
            return Refuse(error, code, ERROR_INVALID_DATA, "a chunk header is cut off");
        const std::string_view id = body.substr(at, 4);
        const size_t size = ReadUInt32(body, at + 4);
        const size_t start = at + kChunkHeader;
        if (size > body.size() - start)
            return Refuse(error, code, ERROR_INVALID_DATA, "a chunk runs past the end of the file");
        if (id == "fmt ") {
            if (size < kFormatMinimum)
                return Refuse(error, code, ERROR_INVALID_DATA, "the format chunk is too short");
            const WORD tag = ReadUInt16(body, start);
            sound.channels = ReadUInt16(body, start + 2);
            sound.samplesPerSecond = ReadUInt32(body, start + 4);
            const DWORD bytesPerSecond = ReadUInt32(body, start + 8);
            const WORD blockAlign = ReadUInt16(body, start + 12);
            sound.bitsPerSample = ReadUInt16(body, start + 14);
            if (tag != kFormatPcm) return Refuse(error, code, ERROR_BAD_FORMAT, "the sound is not PCM");
            if (sound.channels != 1 && sound.channels != 2)
                return Refuse(error, code, ERROR_BAD_FORMAT, "only mono and stereo sounds are played");
            if (sound.bitsPerSample != 8 && sound.bitsPerSample != 16)
                return Refuse(error, code, ERROR_BAD_FORMAT, "only 8- and 16-bit samples are played");
            if (sound.samplesPerSecond == 0 || blockAlign != sound.BlockAlign() ||
                bytesPerSecond != uint64_t{sound.samplesPerSecond} * blockAlign)
                return Refuse(error, code, ERROR_INVALID_DATA, "the format chunk contradicts itself");
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat)
                return Refuse(error, code, ERROR_INVALID_DATA, "the samples come before their format");
            if (size % sound.BlockAlign() != 0)
                return Refuse(error, code, ERROR_INVALID_DATA, "the samples end inside a frame");
            sound.samples.assign(body.begin() + static_cast<std::ptrdiff_t>(start),
                                 body.begin() + static_cast<std::ptrdiff_t>(start + size));
            return true;
        }
        // Chunks are padded to an even size; the pad byte may be missing after the last one.
        at = start + size + (size & 1);
    }
    return Refuse(error, code, ERROR_INVALID_DATA,
                  haveFormat ? "the file holds no samples" : "the file has no format chunk");
}

}  // namespace win32
