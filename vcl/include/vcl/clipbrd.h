// The clipboard object: text and bitmaps on the platform clipboard.
#pragma once

#include <string>

#include "vcl/graphics.h"

namespace vcl {

class TClipboard : public TPersistent {
    VCL_DECLARE_CLASS(TClipboard, TPersistent)
public:
    TClipboard() = default;
    ~TClipboard() override;

    // Nested: only the outermost Open and Close reach the platform. Open raises Exception
    // "Cannot open clipboard" when another window holds it.
    void Open();
    void Close();
    void Clear();
    bool HasFormat(win32::UINT format) const;
    Integer FormatCount() const;
    // Raises EListError for an index out of range.
    win32::UINT Formats(Integer index) const;

    // CF_TEXT (UTF-8). Text written here comes back whole, NUL bytes included.
    std::string AsText() const;
    void SetAsText(const std::string& value);
    // Copies at most bufSize - 1 bytes and a NUL; returns the count copied.
    Integer GetTextBuf(char* buffer, Integer bufSize) const;
    void SetTextBuf(const char* buffer);

    // Places a bitmap (TBitmap, or a TPicture holding one) on the clipboard as CF_BITMAP.
    void Assign(const TPersistent* source) override;

private:
    void SetBuffer(win32::UINT format, const void* data, size_t size);

    Integer openCount_ = 0;
    bool emptied_ = false;
};

// The application's clipboard object.
TClipboard* Clipboard();

}  // namespace vcl
