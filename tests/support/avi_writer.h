// Writes small AVI clips for the animation tests: the headers, one video stream of 8-bit frames
// (uncompressed or RLE8 as given), the movie list and the index, with the key frame flags.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zyltest {

struct AviLayout {
    int width = 4, height = 2;
    uint32_t compression = 1;  // 0: uncompressed rows, 1: RLE8
    std::vector<uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};  // 0x00RRGGBB
    std::vector<std::vector<uint8_t>> frames;
    std::vector<bool> keys;  // per frame; missing entries are delta frames (the first is a key frame)
    uint32_t microsecondsPerFrame = 100'000;
    std::string streamType = "vids";
};

namespace avi_writer {

inline void Put32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
inline void PutTag(std::vector<uint8_t>& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}
inline std::vector<uint8_t> Chunk(const char* tag, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> out;
    PutTag(out, tag);
    Put32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() & 1) out.push_back(0);
    return out;
}
inline std::vector<uint8_t> List(const char* tag, const char* type, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> inner;
    PutTag(inner, type);
    inner.insert(inner.end(), body.begin(), body.end());
    return Chunk(tag, inner);
}

}  // namespace avi_writer

inline std::vector<uint8_t> MakeAvi(const AviLayout& layout) {
    using namespace avi_writer;
    std::vector<uint8_t> avih;
    Put32(avih, layout.microsecondsPerFrame);
    for (int i = 0; i < 3; ++i)
        Put32(avih, 0);
    Put32(avih, static_cast<uint32_t>(layout.frames.size()));
    Put32(avih, 0);
    Put32(avih, 1);
    Put32(avih, 0);
    Put32(avih, static_cast<uint32_t>(layout.width));
    Put32(avih, static_cast<uint32_t>(layout.height));
    for (int i = 0; i < 4; ++i)
        Put32(avih, 0);

    std::vector<uint8_t> strh;
    PutTag(strh, layout.streamType.c_str());
    PutTag(strh, layout.compression == 1 ? "mrle" : "DIB ");
    for (int i = 0; i < 3; ++i)
        Put32(strh, 0);
    Put32(strh, layout.microsecondsPerFrame);  // scale / rate: microseconds per frame
    Put32(strh, 1'000'000);
    Put32(strh, 0);
    Put32(strh, static_cast<uint32_t>(layout.frames.size()));
    for (int i = 0; i < 3; ++i)
        Put32(strh, 0);
    Put32(strh, 0);
    Put32(strh, 0);

    std::vector<uint8_t> strf;
    Put32(strf, 40);
    Put32(strf, static_cast<uint32_t>(layout.width));
    Put32(strf, static_cast<uint32_t>(layout.height));
    Put32(strf, 1 | (8u << 16));  // planes, bits per pixel
    Put32(strf, layout.compression);
    Put32(strf, 0);
    Put32(strf, 0);
    Put32(strf, 0);
    Put32(strf, static_cast<uint32_t>(layout.palette.size()));
    Put32(strf, 0);
    for (uint32_t color : layout.palette)
        Put32(strf, color);  // B G R 0 in memory

    std::vector<uint8_t> strl = Chunk("strh", strh);
    std::vector<uint8_t> format = Chunk("strf", strf);
    strl.insert(strl.end(), format.begin(), format.end());
    std::vector<uint8_t> hdrl = Chunk("avih", avih);
    std::vector<uint8_t> streams = List("LIST", "strl", strl);
    hdrl.insert(hdrl.end(), streams.begin(), streams.end());

    std::vector<uint8_t> movi, idx1;
    for (size_t i = 0; i < layout.frames.size(); ++i) {
        const bool key = i == 0 || (i < layout.keys.size() && layout.keys[i]);
        PutTag(idx1, layout.compression == 1 ? "00dc" : "00db");
        Put32(idx1, key ? 0x10 : 0);
        Put32(idx1, static_cast<uint32_t>(4 + movi.size()));
        Put32(idx1, static_cast<uint32_t>(layout.frames[i].size()));
        std::vector<uint8_t> frame = Chunk(layout.compression == 1 ? "00dc" : "00db", layout.frames[i]);
        movi.insert(movi.end(), frame.begin(), frame.end());
    }

    std::vector<uint8_t> body = List("LIST", "hdrl", hdrl);
    std::vector<uint8_t> movie = List("LIST", "movi", movi);
    body.insert(body.end(), movie.begin(), movie.end());
    std::vector<uint8_t> index = Chunk("idx1", idx1);
    body.insert(body.end(), index.begin(), index.end());
    return List("RIFF", "AVI ", body);
}

// The three-frame RLE8 clip of the tests, 4 x 2 pixels (rows bottom-up in the data):
//   frame 0: top row green, bottom row red;
//   frame 1: the top row's middle two pixels turn blue (a delta);
//   frame 2: the bottom row's last pixel turns blue (another delta).
inline AviLayout ThreeFrameRle8() {
    AviLayout layout;
    layout.frames = {
        {4, 1, 0, 0, 4, 2, 0, 1},
        {0, 2, 1, 1, 2, 3, 0, 1},
        {0, 2, 3, 0, 1, 3, 0, 1},
    };
    return layout;
}

}  // namespace zyltest
