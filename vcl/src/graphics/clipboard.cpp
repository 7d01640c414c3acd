// The clipboard object over the platform clipboard.
#include "vcl/clipbrd.h"

#include <algorithm>
#include <cstring>

#include "win32/user.h"

namespace vcl {

using namespace win32;

VCL_DEFINE_CLASS(TClipboard, TPersistent)

TClipboard::~TClipboard() {
    if (openCount_ > 0) CloseClipboard();
}

void TClipboard::Open() {
    if (openCount_ == 0) {
        if (!OpenClipboard(nullptr)) throw Exception("Cannot open clipboard");
        emptied_ = false;
    }
    ++openCount_;
}

void TClipboard::Close() {
    if (openCount_ == 0) return;
    if (--openCount_ == 0) CloseClipboard();
}

void TClipboard::Clear() {
    Open();
    EmptyClipboard();
    emptied_ = true;
    Close();
}

bool TClipboard::HasFormat(UINT format) const {
    return IsClipboardFormatAvailable(format) != FALSE;
}

Integer TClipboard::FormatCount() const {
    return CountClipboardFormats();
}

UINT TClipboard::Formats(Integer index) const {
    const_cast<TClipboard*>(this)->Open();
    UINT format = 0;
    for (Integer i = 0; i <= index; ++i) {
        format = EnumClipboardFormats(format);
        if (format == 0) break;
    }
    const_cast<TClipboard*>(this)->Close();
    if (index < 0 || format == 0) throw EListError(Format("List index out of bounds (%d)", {index}));
    return format;
}

void TClipboard::SetBuffer(UINT format, const void* data, size_t size) {
    Open();
    const ScopeExit close([this] { Close(); });
    // Several formats placed while open stay together; the first one empties the clipboard.
    if (!emptied_) {
        EmptyClipboard();
        emptied_ = true;
    }
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory) throw EOutOfMemory("Out of memory");
    void* target = GlobalLock(memory);
    if (target && size) std::memcpy(target, data, size);
    GlobalUnlock(memory);
    if (!SetClipboardData(format, memory)) {
        GlobalFree(memory);
        throw Exception("Cannot open clipboard");
    }
}

std::string TClipboard::AsText() const {
    std::string text;
    if (!HasFormat(CF_TEXT)) return text;
    auto* self = const_cast<TClipboard*>(this);
    self->Open();
    if (const HANDLE data = GetClipboardData(CF_TEXT)) {
        const auto memory = static_cast<HGLOBAL>(data);
        const size_t size = GlobalSize(memory);
        if (const auto* bytes = static_cast<const char*>(GlobalLock(memory))) {
            text.assign(bytes, size);
            GlobalUnlock(memory);
        }
    }
    self->Close();
    // The terminating NUL (and any padding after it) is not part of the text.
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

void TClipboard::SetAsText(const std::string& value) {
    std::string buffer = value;
    buffer.push_back('\0');
    SetBuffer(CF_TEXT, buffer.data(), buffer.size());
}

Integer TClipboard::GetTextBuf(char* buffer, Integer bufSize) const {
    if (!buffer || bufSize <= 0) return 0;
    const std::string text = AsText();
    const size_t count = std::min(text.size(), static_cast<size_t>(bufSize - 1));
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return static_cast<Integer>(count);
}

void TClipboard::SetTextBuf(const char* buffer) {
    SetAsText(buffer ? std::string(buffer) : std::string());
}

void TClipboard::Assign(const TPersistent* source) {
    const TBitmap* bitmap = dynamic_cast<const TBitmap*>(source);
    if (const auto* picture = dynamic_cast<const TPicture*>(source))
        bitmap = dynamic_cast<const TBitmap*>(picture->Graphic());
    if (!bitmap) {
        TPersistent::Assign(source);
        return;
    }
    TBitmap copy;
    copy.Assign(bitmap);
    Open();
    const ScopeExit close([this] { Close(); });
    if (!emptied_) {
        EmptyClipboard();
        emptied_ = true;
    }
    const HBITMAP handle = copy.ReleaseHandle();
    if (handle && !SetClipboardData(CF_BITMAP, handle)) DeleteObject(handle);
}

TClipboard* Clipboard() {
    static TClipboard clipboard;
    return &clipboard;
}

}  // namespace vcl
