// A compact PDF writer for printed documents: each page is one RGB image XObject drawn over the
// page's printable area, compressed with Flate when zlib is there. The document is built in memory;
// Finish adds the page tree, the catalogue, the information dictionary and the cross-reference table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace win32::printing {

struct PdfPage {
    // The physical page in points (1/72 inch).
    double widthPoints = 0;
    double heightPoints = 0;
    // Where the image goes: its top-left corner from the page's top-left, and its size, in points.
    double imageLeft = 0;
    double imageTop = 0;
    double imageWidth = 0;
    double imageHeight = 0;
};

class PdfWriter {
public:
    explicit PdfWriter(std::string title);

    // Pixels are 32-bit words 0x00RRGGBB, rows `stride` bytes apart.
    void AddPage(const PdfPage& page, const uint32_t* pixels, int width, int height, ptrdiff_t stride);
    int PageCount() const { return static_cast<int>(pageObjects_.size()); }
    // The whole file; the writer is spent afterwards.
    std::string Finish();

    // Whether image streams are Flate-compressed in this build.
    static bool Compresses();

private:
    int BeginObject();
    void WriteStream(const std::string& dictionary, const std::string& data);

    std::string title_;
    std::string out_;
    std::vector<size_t> offsets_;  // by object number - 1
    std::vector<int> pageObjects_;
};

// A PDF text string: UTF-16BE with a byte-order mark, hexadecimal.
std::string PdfTextString(const std::string& utf8);

}  // namespace win32::printing
