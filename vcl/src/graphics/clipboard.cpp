// The clipboard object over the platform clipboard.
#include "vcl/clipbrd.h"

#include <algorithm>
#include <cstring>

#include "vcl/streaming.h"
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

std::unique_ptr<TBitmap> TClipboard::GetBitmap() const {
    if (!HasFormat(CF_BITMAP)) return nullptr;
    auto* self = const_cast<TClipboard*>(this);
    self->Open();
    const ScopeExit close([self] { self->Close(); });
    const auto handle = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    BITMAP info{};
    if (!handle || !GetObject(handle, sizeof info, &info)) return nullptr;
    // The clipboard keeps its bitmap: the copy is drawn from it.
    auto copy = std::make_unique<TBitmap>();
    copy->SetSize(info.bmWidth, info.bmHeight);
    const HDC source = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(source, handle);
    BitBlt(copy->Canvas()->Handle(), 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
    return copy;
}

UINT TClipboard::ComponentFormat() {
    static const UINT format = RegisterClipboardFormat("Zyl Component");
    return format;
}

void TClipboard::SetComponent(TComponent* component) {
    const std::string text = ComponentToText(component);
    SetBuffer(ComponentFormat(), text.data(), text.size());
}

namespace {
// The class named by the first line of form text ("object Name: TClass"), empty when unreadable.
std::string_view RootClassName(std::string_view text) {
    const size_t colon = text.find(':');
    const size_t end = text.find_first_of("\r\n");
    if (colon == std::string_view::npos || (end != std::string_view::npos && end < colon)) return {};
    std::string_view name = text.substr(colon + 1, end == std::string_view::npos ? end : end - colon - 1);
    while (!name.empty() && name.front() == ' ')
        name.remove_prefix(1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\r'))
        name.remove_suffix(1);
    return name;
}
}  // namespace

TComponent* TClipboard::GetComponent(TComponent* owner, TClass base) const {
    const UINT format = ComponentFormat();
    if (!HasFormat(format)) return nullptr;
    std::string text;
    {
        auto* self = const_cast<TClipboard*>(this);
        self->Open();
        const ScopeExit close([self] { self->Close(); });
        const auto memory = static_cast<HGLOBAL>(GetClipboardData(format));
        if (const auto* bytes = memory ? static_cast<const char*>(GlobalLock(memory)) : nullptr) {
            text.assign(bytes, GlobalSize(memory));
            GlobalUnlock(memory);
        }
    }
    // Only a registered class of the kind asked for is ever made from what another program put there.
    const std::string_view className = RootClassName(text);
    if (className.empty()) throw EReadError("The clipboard's component data is damaged");
    const TClass cls = GetClass(className);
    if (!cls || (base && !cls->InheritsFrom(base)))
        throw EClassNotFound(Format("Class %s cannot be read from the clipboard", {std::string(className)}));
    return TextToComponent(text, owner);
}

TClipboard* Clipboard() {
    static TClipboard clipboard;
    return &clipboard;
}

}  // namespace vcl
