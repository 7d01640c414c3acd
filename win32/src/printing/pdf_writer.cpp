// The PDF writer of printed documents.
#include "printing/pdf_writer.h"

#include <cstdio>
#include <stdexcept>

#ifdef ZYL_HAVE_ZLIB
#include <zlib.h>
#endif

namespace win32::printing {

namespace {

// The catalogue and the page tree get the first two numbers; their bodies are written last, when
// every page is known.
constexpr int kCatalogObject = 1;
constexpr int kPagesObject = 2;

std::string PdfNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    std::string result = text;
    while (!result.empty() && result.back() == '0')
        result.pop_back();
    if (!result.empty() && result.back() == '.') result.pop_back();
    return result == "-0" ? "0" : result;
}

std::string RgbRows(const uint32_t* pixels, int width, int height, ptrdiff_t stride) {
    std::string rgb;
    rgb.resize(static_cast<size_t>(width) * height * 3);
    char* out = rgb.data();
    for (int y = 0; y < height; ++y) {
        const auto* row =
            reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(pixels) + y * stride);
        for (int x = 0; x < width; ++x) {
            const uint32_t pixel = row[x];
            *out++ = static_cast<char>((pixel >> 16) & 0xFF);
            *out++ = static_cast<char>((pixel >> 8) & 0xFF);
            *out++ = static_cast<char>(pixel & 0xFF);
        }
    }
    return rgb;
}

#ifdef ZYL_HAVE_ZLIB
// Pages are mostly flat colour: the fastest level compresses them nearly as well as the best.
std::string Deflate(const std::string& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string packed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                  static_cast<uLong>(data.size()), Z_BEST_SPEED) != Z_OK)
        throw std::runtime_error("Flate compression failed");
    packed.resize(size);
    return packed;
}
#endif

}  // namespace

std::string PdfTextString(const std::string& utf8) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out = "<FEFF";
    auto unit = [&](uint32_t value) {
        for (int shift = 12; shift >= 0; shift -= 4)
            out += kHex[(value >> shift) & 0xF];
    };
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        uint32_t code = 0xFFFD;
        size_t length = 1;
        if (lead < 0x80) {
            code = lead;
        } else if ((lead >> 5) == 0x6 || (lead >> 4) == 0xE || (lead >> 3) == 0x1E) {
            length = (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : 4;
            code = lead & (0x7F >> length);
            bool valid = i + length <= utf8.size();
            for (size_t k = 1; valid && k < length; ++k) {
                const auto next = static_cast<unsigned char>(utf8[i + k]);
                valid = (next & 0xC0) == 0x80;
                code = (code << 6) | (next & 0x3F);
            }
            if (!valid || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) {
                code = 0xFFFD;
                length = 1;
            }
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            unit(0xD800 + (code >> 10));
            unit(0xDC00 + (code & 0x3FF));
        } else {
            unit(code);
        }
        i += length;
    }
    return out + ">";
}

bool PdfWriter::Compresses() {
#ifdef ZYL_HAVE_ZLIB
    return true;
#else
    return false;
#endif
}

PdfWriter::PdfWriter(std::string title) : title_(std::move(title)) {
    // The binary comment tells transfer programs that the file is not text.
    out_ = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    offsets_.resize(2, 0);
}

int PdfWriter::BeginObject() {
    offsets_.push_back(out_.size());
    const int number = static_cast<int>(offsets_.size());
    out_ += std::to_string(number) + " 0 obj\n";
    return number;
}

void PdfWriter::WriteStream(const std::string& dictionary, const std::string& data) {
    out_ += "<<" + dictionary + " /Length " + std::to_string(data.size()) + ">>\nstream\n";
    out_ += data;
    out_ += "\nendstream\nendobj\n";
}

void PdfWriter::AddPage(const PdfPage& page, const uint32_t* pixels, int width, int height,
                        ptrdiff_t stride) {
    const int image = BeginObject();
    std::string data = RgbRows(pixels, width, height, stride);
    std::string dictionary = "/Type /XObject /Subtype /Image /Width " + std::to_string(width) + " /Height " +
                             std::to_string(height) + " /ColorSpace /DeviceRGB /BitsPerComponent 8";
#ifdef ZYL_HAVE_ZLIB
    data = Deflate(data);
    dictionary += " /Filter /FlateDecode";
#endif
    WriteStream(dictionary, data);

    // PDF's y axis points up from the page's bottom.
    const double bottom = page.heightPoints - page.imageTop - page.imageHeight;
    const int contents = BeginObject();
    WriteStream("", "q " + PdfNumber(page.imageWidth) + " 0 0 " + PdfNumber(page.imageHeight) + " " +
                        PdfNumber(page.imageLeft) + " " + PdfNumber(bottom) + " cm /Page Do Q");

    const int pageObject = BeginObject();
    out_ += "<</Type /Page /Parent " + std::to_string(kPagesObject) + " 0 R /MediaBox [0 0 " +
            PdfNumber(page.widthPoints) + " " + PdfNumber(page.heightPoints) +
            "] /Resources <</XObject <</Page " + std::to_string(image) + " 0 R>>>> /Contents " +
            std::to_string(contents) + " 0 R>>\nendobj\n";
    pageObjects_.push_back(pageObject);
}

std::string PdfWriter::Finish() {
    offsets_[kPagesObject - 1] = out_.size();
    out_ += std::to_string(kPagesObject) + " 0 obj\n<</Type /Pages /Kids [";
    for (size_t i = 0; i < pageObjects_.size(); ++i)
        out_ += (i ? " " : "") + std::to_string(pageObjects_[i]) + " 0 R";
    out_ += "] /Count " + std::to_string(pageObjects_.size()) + ">>\nendobj\n";
    offsets_[kCatalogObject - 1] = out_.size();
    out_ += std::to_string(kCatalogObject) + " 0 obj\n<</Type /Catalog /Pages " +
            std::to_string(kPagesObject) + " 0 R>>\nendobj\n";
    const int info = BeginObject();
    out_ += "<</Title " + PdfTextString(title_) + " /Producer (Zyl)>>\nendobj\n";

    const size_t xref = out_.size();
    out_ += "xref\n0 " + std::to_string(offsets_.size() + 1) + "\n0000000000 65535 f \n";
    for (size_t offset : offsets_) {
        char entry[24];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        out_ += entry;
    }
    out_ += "trailer\n<</Size " + std::to_string(offsets_.size() + 1) + " /Root " +
            std::to_string(kCatalogObject) + " 0 R /Info " + std::to_string(info) + " 0 R>>\nstartxref\n" +
            std::to_string(xref) + "\n%%EOF\n";
    return std::move(out_);
}

}  // namespace win32::printing
