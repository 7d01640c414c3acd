// RIFF AVI clips: the headers, the video stream's frames found in the movie list, and their decoding
// through the DIB decoder (the stream format is a bitmap header with its colour table).
#include "win32/avi.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "gdi/dc_internal.h"
#include "gdi/dib.h"

namespace win32 {

namespace avi {
namespace {

constexpr uint32_t kKeyFrameFlag = 0x10;  // AVIIF_KEYFRAME in the index
constexpr uint32_t kDefaultMicroseconds = 66667;
constexpr uint32_t kMinMicroseconds = 1000;
constexpr uint32_t kMaxMicroseconds = 10'000'000;
constexpr int kMaxListDepth = 8;
// Animation clips are small; a larger frame is a lying header rather than a clip.
constexpr long long kMaxFramePixels = 1 << 22;

uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

std::string_view Tag(const uint8_t* p) {
    return {reinterpret_cast<const char*>(p), 4};
}

// What the walk over the chunks gathers.
struct Reading {
    uint32_t mainMicroseconds = 0;
    int videoStreams = 0;
    int videoStream = -1;  // the number of the first video stream
    int streams = 0;
    bool inVideoStream = false;
    uint64_t scale = 0, rate = 0;
    std::vector<uint8_t> format;
    struct Chunk {
        size_t offset, size;
    };
    std::vector<Chunk> frames;
    std::vector<uint32_t> indexFlags;  // the index's flags of the video frames, in order
    std::string error;
};

bool Fail(Reading& r, const char* message) {
    if (r.error.empty()) r.error = message;
    return false;
}

// A frame chunk of the video stream: "00db" (uncompressed) or "00dc" (compressed), numbered by stream.
bool IsFrameChunk(const Reading& r, std::string_view tag) {
    if (r.videoStream < 0 || r.videoStream > 99) return false;
    const char digits[2] = {static_cast<char>('0' + r.videoStream / 10),
                            static_cast<char>('0' + r.videoStream % 10)};
    return tag[0] == digits[0] && tag[1] == digits[1] && tag[2] == 'd' && (tag[3] == 'b' || tag[3] == 'c');
}

bool Walk(const std::vector<uint8_t>& data, size_t begin, size_t end, int depth, Reading& r) {
    if (depth > kMaxListDepth) return Fail(r, "the clip's lists nest too deep");
    size_t pos = begin;
    while (end - pos >= 8) {
        const uint8_t* chunk = data.data() + pos;
        const std::string_view tag = Tag(chunk);
        const size_t size = Le32(chunk + 4);
        const size_t body = pos + 8;
        if (size > end - body) return Fail(r, "a chunk of the clip runs past its end");
        if (tag == "LIST" || tag == "RIFF") {
            if (size < 4) return Fail(r, "a list of the clip has no type");
            const std::string_view type = Tag(chunk + 8);
            if (type == "strl") {
                ++r.streams;
                r.inVideoStream = false;
            }
            if (!Walk(data, body + 4, body + size, depth + 1, r)) return false;
        } else if (tag == "avih") {
            if (size < 56) return Fail(r, "the clip's main header is truncated");
            r.mainMicroseconds = Le32(chunk + 8);
        } else if (tag == "strh") {
            if (size < 32) return Fail(r, "a stream header of the clip is truncated");
            const std::string_view type = Tag(chunk + 8);
            if (type == "auds") return Fail(r, "the clip has sound");
            if (type == "vids") {
                ++r.videoStreams;
                r.inVideoStream = r.videoStreams == 1;
                if (r.inVideoStream) {
                    r.videoStream = r.streams - 1;
                    r.scale = Le32(chunk + 8 + 20);
                    r.rate = Le32(chunk + 8 + 24);
                }
            }
        } else if (tag == "strf") {
            if (r.inVideoStream && r.format.empty()) r.format.assign(chunk + 8, chunk + 8 + size);
        } else if (tag == "idx1") {
            for (size_t entry = body; entry + 16 <= body + size; entry += 16)
                if (IsFrameChunk(r, Tag(data.data() + entry)))
                    r.indexFlags.push_back(Le32(data.data() + entry + 4));
        } else if (IsFrameChunk(r, tag)) {
            r.frames.push_back({body, size});
        }
        // Chunks are padded to an even size; the pad may be missing at the very end.
        pos = body + size + (size & 1);
        if (pos > end) break;
    }
    return true;
}

}  // namespace
}  // namespace avi

std::unique_ptr<AviClip> AviClip::Parse(std::vector<uint8_t> data, std::string* error) {
    avi::Reading r;
    auto fail = [&](const std::string& message) -> std::unique_ptr<AviClip> {
        if (error) *error = message;
        return nullptr;
    };
    if (data.size() < 12 || avi::Tag(data.data()) != "RIFF" || avi::Tag(data.data() + 8) != "AVI ")
        return fail("not an AVI clip");
    // A RIFF size beyond the file is read as far as the file goes.
    const size_t end = std::min<size_t>(data.size(), size_t{8} + avi::Le32(data.data() + 4));
    if (!avi::Walk(data, 12, end, 0, r)) return fail(r.error);
    if (r.videoStreams == 0 || r.format.empty()) return fail("the clip has no video stream");
    gdi::DibFormat format;
    size_t used = 0;
    std::string dibError;
    if (!gdi::ParseDibHeader(r.format.data(), r.format.size(), format, used, &dibError))
        return fail("the clip's frame format is unreadable: " + dibError);
    if (format.compression != BI_RGB && format.compression != BI_RLE8 && format.compression != BI_BITFIELDS)
        return fail("the clip is compressed with a codec other than RLE8");
    if (format.bitsPerPixel < 8) return fail("the clip's frames have fewer than 8 bits per pixel");
    if (static_cast<long long>(format.width) * format.height > avi::kMaxFramePixels)
        return fail("the clip's frames are too large");
    if (r.frames.empty()) return fail("the clip has no frames");

    std::unique_ptr<AviClip> clip(new AviClip());
    clip->data_ = std::move(data);
    clip->format_ = std::move(r.format);
    clip->width_ = format.width;
    clip->height_ = format.height;
    const bool delta = format.compression == BI_RLE8;
    const bool indexed = r.indexFlags.size() == r.frames.size();
    for (size_t i = 0; i < r.frames.size(); ++i) {
        const bool key = i == 0 || !delta || (indexed && (r.indexFlags[i] & avi::kKeyFrameFlag));
        clip->frames_.push_back({r.frames[i].offset, r.frames[i].size, key});
    }
    uint64_t microseconds = r.rate && r.scale ? r.scale * 1'000'000 / r.rate : r.mainMicroseconds;
    if (microseconds == 0) microseconds = avi::kDefaultMicroseconds;
    clip->microsecondsPerFrame_ = static_cast<uint32_t>(
        std::clamp<uint64_t>(microseconds, avi::kMinMicroseconds, avi::kMaxMicroseconds));
    clip->pixels_.assign(static_cast<size_t>(clip->width_) * static_cast<size_t>(clip->height_), 0);
    return clip;
}

bool AviClip::Seek(int index) {
    if (index < 0 || index >= FrameCount()) return false;
    if (index == current_) return true;
    // Decoding goes on from the current frame unless a key frame lies between, or the wanted
    // frame lies before it.
    int start = index;
    while (!frames_[static_cast<size_t>(start)].key)
        --start;
    if (current_ < start || current_ > index) {
        std::fill(pixels_.begin(), pixels_.end(), 0);
        current_ = start - 1;
    }
    while (current_ < index)
        DecodeNext();
    return true;
}

bool AviClip::DecodeNext() {
    const Frame& frame = frames_[static_cast<size_t>(++current_)];
    // An empty chunk repeats the frame before.
    if (frame.size == 0) return true;
    gdi::DibFormat format;
    size_t used = 0;
    gdi::ParseDibHeader(format_.data(), format_.size(), format, used, nullptr);
    // A delta is decoded into a copy, so that a frame cut short leaves the frame before whole.
    std::vector<uint32_t> target = pixels_;
    gdi::Surface surface;
    surface.width = width_;
    surface.height = height_;
    surface.origin = reinterpret_cast<uint8_t*>(target.data());
    surface.stride = static_cast<ptrdiff_t>(width_) * 4;
    if (!gdi::DecodeDibPixels(format, data_.data() + frame.offset, frame.size, surface, nullptr, !frame.key))
        return false;
    pixels_.swap(target);
    return true;
}

}  // namespace win32
