// The clip reader behind the animation control: RIFF AVI files with one video stream, stored
// uncompressed (8 bits with a palette, 16, 24 or 32 bits) or run-length encoded (RLE8, whose frames
// may draw only what changed since the frame before). Clips with sound, other codecs, or frames of
// more than four million pixels are refused.
// Every size and offset in the file is checked against the data: a truncated or lying file is refused
// when it is opened, or leaves the frame it cannot decode as the frame before.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace win32 {

class AviClip {
public:
    // nullptr with `error` set when the data is not a clip this reader plays.
    static std::unique_ptr<AviClip> Parse(std::vector<uint8_t> data, std::string* error = nullptr);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int FrameCount() const { return static_cast<int>(frames_.size()); }
    // The time one frame shows, from the stream's rate (or the main header when it has none).
    uint32_t MicrosecondsPerFrame() const { return microsecondsPerFrame_; }

    // Makes `index` (0 to FrameCount() - 1) the current frame; delta frames are decoded from the
    // last key frame before it. False when the index is out of range.
    bool Seek(int index);
    int CurrentFrame() const { return current_; }
    // The current frame's pixels, 0x00RRGGBB, top row first, Width() x Height().
    const std::vector<uint32_t>& Pixels() const { return pixels_; }

private:
    AviClip() = default;
    bool DecodeNext();

    struct Frame {
        size_t offset = 0, size = 0;
        bool key = false;
    };
    std::vector<uint8_t> data_;
    std::vector<uint8_t> format_;  // the stream's bitmap header and colour table
    std::vector<Frame> frames_;
    int width_ = 0, height_ = 0;
    uint32_t microsecondsPerFrame_ = 0;
    int current_ = -1;
    std::vector<uint32_t> pixels_;
};

}  // namespace win32
