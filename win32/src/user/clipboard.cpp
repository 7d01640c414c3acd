// Global memory blocks and the clipboard: formats with delayed rendering, text conversions, the
// viewer chain and format listeners.
#include <algorithm>
#include <cstring>
#include <map>

#include "display/display.h"
#include "user/user_internal.h"
#include "win32/utf8.h"

namespace win32 {

namespace user {

namespace {

struct Block {
    std::unique_ptr<uint8_t[]> data;
    size_t size = 0;
    UINT flags = 0;
    int locks = 0;
};

struct GlobalTable {
    std::mutex mutex;
    std::map<UINT_PTR, Block> blocks;  // by handle value (a fixed block's handle is its address)
    UINT_PTR nextMoveable = 0x10004;
};

GlobalTable& Globals() {
    static GlobalTable* table = new GlobalTable;
    return *table;
}

Block* FindBlock(GlobalTable& g, HGLOBAL memory) {
    auto found = g.blocks.find(reinterpret_cast<UINT_PTR>(memory));
    return found == g.blocks.end() ? nullptr : &found->second;
}

struct Clipboard {
    HWND openBy = nullptr;
    bool open = false;
    bool changed = false;
    bool emptied = false;
    HWND owner = nullptr;
    std::vector<std::pair<UINT, HANDLE>> formats;  // in the order they were set; null = delayed
    DWORD sequence = 1;
    HWND viewer = nullptr;
    std::vector<HWND> listeners;
    DWORD openThread = 0;
};

Clipboard& Board() {
    static Clipboard* board = new Clipboard;
    return *board;
}

constexpr UINT kTextFormats[] = {CF_TEXT, CF_OEMTEXT, CF_UNICODETEXT};

bool IsText(UINT format) {
    return format == CF_TEXT || format == CF_OEMTEXT || format == CF_UNICODETEXT;
}

std::pair<UINT, HANDLE>* Entry(UINT format) {
    auto& b = Board();
    for (auto& e : b.formats)
        if (e.first == format) return &e;
    return nullptr;
}

HGLOBAL MakeBlock(const void* data, size_t size) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!h) return nullptr;
    std::memcpy(GlobalLock(h), data, size);
    GlobalUnlock(h);
    return h;
}

std::string Utf16ToUtf8(const uint16_t* text, size_t count) {
    std::string out;
    for (size_t i = 0; i < count && text[i]; ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < count && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::vector<uint16_t> Utf8ToUtf16(const char* text, size_t count) {
    std::vector<uint16_t> out;
    size_t i = 0;
    while (i < count && text[i]) {
        const auto b = static_cast<unsigned char>(text[i++]);
        uint32_t c = 0xFFFD;
        int extra = b < 0x80                ? 0
                    : b >= 0xC2 && b < 0xE0 ? 1
                    : b >= 0xE0 && b < 0xF0 ? 2
                    : b >= 0xF0 && b < 0xF5 ? 3
                                            : -1;
        if (extra == 0) {
            c = b;
        } else if (extra > 0) {
            uint32_t v = b & (0x3F >> extra);
            bool ok = true;
            for (int k = 0; k < extra; ++k) {
                if (i >= count || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
                    ok = false;
                    break;
                }
                v = (v << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
            }
            static constexpr uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
            if (ok && v >= kMin[extra] && v <= 0x10FFFF && !(v >= 0xD800 && v < 0xE000)) c = v;
        }
        if (c >= 0x10000) {
            out.push_back(static_cast<uint16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<uint16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<uint16_t>(c));
        }
    }
    out.push_back(0);
    return out;
}

HANDLE Render(UINT format) {
    auto& b = Board();
    auto* entry = Entry(format);
    if (entry && !entry->second && b.owner) {
        if (Window* owner = Find(b.owner)) Send(owner, WM_RENDERFORMAT, format, 0);
        entry = Entry(format);
    }
    return entry ? entry->second : nullptr;
}

// The text formats not set are made from one that is.
HANDLE Synthesize(UINT format) {
    if (!IsText(format)) return nullptr;
    for (UINT source : kTextFormats) {
        if (source == format || !Entry(source)) continue;
        HANDLE data = Render(source);
        if (!data) continue;
        const size_t size = GlobalSize(data);
        const void* bytes = GlobalLock(data);
        if (!bytes) continue;
        HGLOBAL made = nullptr;
        if (format == CF_UNICODETEXT) {
            auto wide = Utf8ToUtf16(static_cast<const char*>(bytes), size);
            made = MakeBlock(wide.data(), wide.size() * sizeof(uint16_t));
        } else if (source == CF_UNICODETEXT) {
            auto narrow = Utf16ToUtf8(static_cast<const uint16_t*>(bytes), size / sizeof(uint16_t));
            made = MakeBlock(narrow.c_str(), narrow.size() + 1);
        } else {
            made = MakeBlock(bytes, size);
        }
        GlobalUnlock(data);
        if (made) Board().formats.emplace_back(format, made);
        return made;
    }
    return nullptr;
}

void FreeFormats() {
    auto& b = Board();
    for (auto& [format, data] : b.formats)
        if (data) GlobalFree(data);
    b.formats.clear();
}

}  // namespace

void ClipboardWindowGone(Window* w) {
    auto& b = Board();
    const HWND hwnd = w->Handle();
    if (b.openBy == hwnd) {
        b.open = false;
        b.openBy = nullptr;
    }
    if (b.owner == hwnd) {
        // Delayed formats the owner never rendered are dropped with it.
        auto& formats = b.formats;
        formats.erase(std::remove_if(formats.begin(), formats.end(), [](const auto& e) { return !e.second; }),
                      formats.end());
        b.owner = nullptr;
    }
    b.listeners.erase(std::remove(b.listeners.begin(), b.listeners.end(), hwnd), b.listeners.end());
}

bool ClipboardTextForOthers(std::string* text) {
    HANDLE data = Entry(CF_TEXT) ? Render(CF_TEXT) : Synthesize(CF_TEXT);
    if (!data) return false;
    const size_t size = GlobalSize(data);
    const auto* bytes = static_cast<const char*>(GlobalLock(data));
    if (!bytes) return false;
    text->assign(bytes, std::find(bytes, bytes + size, '\0'));
    GlobalUnlock(data);
    return true;
}

namespace {

// On a live display another program may hold the clipboard: its text takes the place of what
// this process had, as it would had that program put it on the platform's own clipboard.
void TakeForeignText() {
    display::Backend* live = display::Live();
    std::string text;
    if (!live || !live->ForeignClipboardText(&text)) return;
    auto& b = Board();
    const HGLOBAL block = MakeBlock(text.c_str(), text.size() + 1);
    if (!block) return;
    FreeFormats();
    b.formats.emplace_back(CF_TEXT, block);
    b.owner = nullptr;
    ++b.sequence;
}

}  // namespace

void ResetClipboard() {
    FreeFormats();
    Board() = Clipboard{};
    auto& g = Globals();
    std::lock_guard lock(g.mutex);
    g.blocks.clear();
}

}  // namespace user

using namespace user;

// ---------------------------------------------------------------------------------------------
// Global memory

HGLOBAL GlobalAlloc(UINT flags, size_t bytes) {
    if (bytes > GLOBAL_MEMORY_LIMIT) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    Block block;
    block.data.reset(new (std::nothrow) uint8_t[bytes ? bytes : 1]);
    if (!block.data) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (flags & GMEM_ZEROINIT) std::memset(block.data.get(), 0, bytes ? bytes : 1);
    block.size = bytes;
    block.flags = flags & (GMEM_MOVEABLE | GMEM_DISCARDABLE | GMEM_SHARE);
    auto& g = Globals();
    std::lock_guard lock(g.mutex);
    UINT_PTR handle;
    if (flags & GMEM_MOVEABLE) {
        handle = g.nextMoveable;
        g.nextMoveable += 0x10;
        if (g.nextMoveable >= 0x40000000) g.nextMoveable = 0x10004;
        while (g.blocks.count(handle))
            handle += 0x10;
    } else {
        handle = reinterpret_cast<UINT_PTR>(block.data.get());
    }
    g.blocks[handle] = std::move(block);
    return reinterpret_cast<HGLOBAL>(handle);
}

HGLOBAL GlobalReAlloc(HGLOBAL memory, size_t bytes, UINT flags) {
    auto& g = Globals();
    std::lock_guard lock(g.mutex);
    Block* b = FindBlock(g, memory);
    if (!b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (flags & GMEM_MODIFY) {
        b->flags = (b->flags & ~GMEM_DISCARDABLE) | (flags & GMEM_DISCARDABLE);
        return memory;
    }
    if (bytes > GLOBAL_MEMORY_LIMIT || (!(b->flags & GMEM_MOVEABLE) && b->locks > 0)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[bytes ? bytes : 1]);
    if (!data) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::memcpy(data.get(), b->data.get(), std::min(bytes, b->size));
    if (bytes > b->size) std::memset(data.get() + b->size, 0, bytes - b->size);
    if (b->flags & GMEM_MOVEABLE) {
        b->data = std::move(data);
        b->size = bytes;
        return memory;
    }
    // A fixed block's handle is its address, so it moves to a new handle (GMEM_MOVEABLE allows that).
    if (!(flags & GMEM_MOVEABLE)) {
        if (bytes <= b->size) {
            b->size = bytes;
            return memory;
        }
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    Block moved;
    moved.flags = b->flags;
    moved.size = bytes;
    moved.data = std::move(data);
    const auto handle = reinterpret_cast<UINT_PTR>(moved.data.get());
    g.blocks.erase(reinterpret_cast<UINT_PTR>(memory));
    g.blocks[handle] = std::move(moved);
    return reinterpret_cast<HGLOBAL>(handle);
}

LPVOID GlobalLock(HGLOBAL memory) {
    auto& g = Globals();
    std::lock_guard lock(g.mutex);
    Block* b = FindBlock(g, memory);
    if (!b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (b->flags & GMEM_MOVEABLE) ++b->locks;
    return b->data.get();
}

BOOL GlobalUnlock(HGLOBAL memory) {
    auto& g = Globals();
    std::lock_guard lock(g.mutex);
    Block* b = FindBlock(g, memory);
    if (!b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!(b->flags & GMEM_MOVEABLE)) return TRUE;
    if (b->locks == 0) {
        SetLastError(158);  // ERROR_NOT_LOCKED
        return FALSE;
    }
    --b->locks;
    if (b->locks == 0) SetLastError(ERROR_SUCCESS);
    return b->locks > 0;
}

size_t GlobalSize(HGLOBAL memory) {
    auto& g = Globals();
    std::lock_guard lock(g.mutex);
    Block* b = FindBlock(g, memory);
    if (!b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return b->size;
}

UINT GlobalFlags(HGLOBAL memory) {
    auto& g = Globals();
    std::lock_guard lock(g.mutex);
    Block* b = FindBlock(g, memory);
    if (!b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0x8000;  // GMEM_INVALID_HANDLE
    }
    return static_cast<UINT>(b->locks & 0xFF) | (b->flags & GMEM_DISCARDABLE);
}

HGLOBAL GlobalFree(HGLOBAL memory) {
    if (!memory) return nullptr;
    auto& g = Globals();
    std::lock_guard lock(g.mutex);
    if (!g.blocks.erase(reinterpret_cast<UINT_PTR>(memory))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return memory;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Clipboard

BOOL OpenClipboard(HWND owner) {
    auto& b = Board();
    if (owner && !Get(owner)) return FALSE;
    if (b.open && !(b.openBy == owner && b.openThread == CurrentThread())) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    TakeForeignText();
    b.open = true;
    b.openBy = owner;
    b.openThread = CurrentThread();
    b.changed = false;
    b.emptied = false;
    return TRUE;
}

BOOL CloseClipboard() {
    auto& b = Board();
    if (!b.open || b.openThread != CurrentThread()) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return FALSE;
    }
    b.open = false;
    b.openBy = nullptr;
    if (b.changed) {
        b.changed = false;
        if (b.viewer)
            if (Window* viewer = Find(b.viewer)) Send(viewer, WM_DRAWCLIPBOARD, 0, 0);
        for (HWND listener : std::vector<HWND>(b.listeners))
            if (Find(listener)) PostMessage(listener, WM_CLIPBOARDUPDATE, 0, 0);
        if (display::Backend* live = display::Live()) live->ClipboardChanged();
    }
    return TRUE;
}

BOOL EmptyClipboard() {
    auto& b = Board();
    if (!b.open || b.openThread != CurrentThread()) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return FALSE;
    }
    if (b.owner && b.owner != b.openBy)
        if (Window* previous = Find(b.owner)) Send(previous, WM_DESTROYCLIPBOARD, 0, 0);
    FreeFormats();
    b.owner = b.openBy;
    b.emptied = true;
    b.changed = true;
    ++b.sequence;
    return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data) {
    auto& b = Board();
    if (format == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const bool rendering = !b.open && data && Entry(format) && !Entry(format)->second;
    if ((!b.open || b.openThread != CurrentThread()) && !rendering) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return nullptr;
    }
    if (data && format != CF_BITMAP && format != CF_PALETTE && format != CF_ENHMETAFILE &&
        format != CF_DSPBITMAP && !(format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST) &&
        GlobalSize(data) == 0 && GetLastError() == ERROR_INVALID_HANDLE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (auto* entry = Entry(format)) {
        if (entry->second && entry->second != data) GlobalFree(entry->second);
        entry->second = data;
    } else {
        b.formats.emplace_back(format, data);
    }
    // A text format set anew replaces the ones made from the old text.
    if (IsText(format) && !rendering) {
        auto& formats = b.formats;
        for (auto it = formats.begin(); it != formats.end();) {
            if (IsText(it->first) && it->first != format) {
                if (it->second) GlobalFree(it->second);
                it = formats.erase(it);
            } else {
                ++it;
            }
        }
    }
    if (!rendering) {
        b.changed = true;
        ++b.sequence;
    }
    return data ? data : reinterpret_cast<HANDLE>(1);
}

HANDLE GetClipboardData(UINT format) {
    auto& b = Board();
    if (!b.open || b.openThread != CurrentThread()) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return nullptr;
    }
    if (Entry(format)) return Render(format);
    return Synthesize(format);
}

BOOL IsClipboardFormatAvailable(UINT format) {
    if (!Board().open) TakeForeignText();
    if (Entry(format)) return TRUE;
    if (IsText(format))
        for (UINT source : kTextFormats)
            if (Entry(source)) return TRUE;
    return FALSE;
}

UINT EnumClipboardFormats(UINT format) {
    auto& b = Board();
    if (!b.open || b.openThread != CurrentThread()) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return 0;
    }
    SetLastError(ERROR_SUCCESS);
    std::vector<UINT> all;
    for (auto& e : b.formats)
        all.push_back(e.first);
    for (UINT text : kTextFormats)
        if (IsClipboardFormatAvailable(text) && !std::count(all.begin(), all.end(), text))
            all.push_back(text);
    if (format == 0) return all.empty() ? 0 : all.front();
    auto at = std::find(all.begin(), all.end(), format);
    if (at == all.end() || ++at == all.end()) return 0;
    return *at;
}

int CountClipboardFormats() {
    int count = static_cast<int>(Board().formats.size());
    for (UINT text : kTextFormats)
        if (!Entry(text) && IsClipboardFormatAvailable(text)) ++count;
    return count;
}

UINT RegisterClipboardFormat(LPCSTR name) {
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return RegisteredAtom(name);
}

int GetClipboardFormatName(UINT format, LPSTR name, int maxCount) {
    std::string text;
    if (!name || maxCount <= 0 || !RegisteredAtomName(format, &text)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return CopyText(text, name, static_cast<size_t>(maxCount));
}

HWND GetClipboardOwner() {
    HWND owner = Board().owner;
    return Find(owner) ? owner : nullptr;
}

HWND GetOpenClipboardWindow() {
    return Board().open ? Board().openBy : nullptr;
}

DWORD GetClipboardSequenceNumber() {
    return Board().sequence;
}

HWND SetClipboardViewer(HWND viewer) {
    auto& b = Board();
    Window* w = Get(viewer);
    if (!w) return nullptr;
    const HWND previous = b.viewer;
    b.viewer = viewer;
    Send(w, WM_DRAWCLIPBOARD, 0, 0);
    return previous;
}

HWND GetClipboardViewer() {
    return Board().viewer;
}

BOOL ChangeClipboardChain(HWND remove, HWND next) {
    auto& b = Board();
    if (!Get(remove)) return FALSE;
    const HWND head = b.viewer;
    if (head == remove) b.viewer = next;
    if (head)
        if (Window* first = Find(head))
            return Send(first, WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(remove),
                        reinterpret_cast<LPARAM>(next)) != 0;
    return FALSE;
}

BOOL AddClipboardFormatListener(HWND hwnd) {
    if (!Get(hwnd)) return FALSE;
    auto& listeners = Board().listeners;
    if (!std::count(listeners.begin(), listeners.end(), hwnd)) listeners.push_back(hwnd);
    return TRUE;
}

BOOL RemoveClipboardFormatListener(HWND hwnd) {
    auto& listeners = Board().listeners;
    auto at = std::find(listeners.begin(), listeners.end(), hwnd);
    if (at == listeners.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    listeners.erase(at);
    return TRUE;
}

namespace testing {

size_t GlobalBlockCount() {
    auto& g = Globals();
    std::lock_guard lock(g.mutex);
    return g.blocks.size();
}

}  // namespace testing

}  // namespace win32
