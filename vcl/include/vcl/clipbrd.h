// The clipboard object: text and bitmaps on the platform clipboard.
#pragma once

#include <memory>
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
    // A copy of the CF_BITMAP on the clipboard, nullptr when there is none.
    std::unique_ptr<TBitmap> GetBitmap() const;

    // Components travel in the framework's own format (registered as "Zyl Component"): the
    // component and its children as form text.
    static win32::UINT ComponentFormat();
    void SetComponent(TComponent* component);
    // Makes the component on the clipboard, owned by `owner`, when its class is registered and
    // derives from `base`; EReadError for damaged data, EClassNotFound for any other class.
    // nullptr when the clipboard holds no component.
    TComponent* GetComponent(TComponent* owner, TClass base) const;

private:
    void SetBuffer(win32::UINT format, const void* data, size_t size);

    Integer openCount_ = 0;
    bool emptied_ = false;
};

// The application's clipboard object.
TClipboard* Clipboard();

}  // namespace vcl
