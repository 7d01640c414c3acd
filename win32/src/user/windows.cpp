// Window classes, the window table, creation and destruction, the window tree, window data and
// procedure chains.
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "ascii.h"
#include "display/display.h"
#include "menu/menu_internal.h"
#include "user/user_internal.h"
#include "win32/scope.h"

namespace win32 {

namespace user {

namespace {

constexpr size_t kMaxSlots = 0x10000;
constexpr LPCSTR kDesktopClass = "#32769";
constexpr LPCSTR kMessageClass = "Message";

// The desktop repaints what closed windows and menus uncover with its background colour.
LRESULT DesktopProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        BeginPaint(hwnd, &paint);
        EndPaint(hwnd, &paint);
        return 0;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

std::shared_ptr<ClassRecord> FindClass(LPCSTR name) {
    auto& s = S();
    if (!name) return nullptr;
    if (IS_INTRESOURCE(name)) {
        const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(name));
        for (auto& [key, cls] : s.classes)
            if (cls->atom == atom) return cls;
        return nullptr;
    }
    auto found = s.classes.find(ascii::Lower(name));
    return found == s.classes.end() ? nullptr : found->second;
}

std::shared_ptr<ClassRecord> SystemClass(LPCSTR name, WNDPROC proc) {
    auto& s = S();
    auto key = ascii::Lower(name);
    if (auto found = s.classes.find(key); found != s.classes.end()) return found->second;
    auto cls = std::make_shared<ClassRecord>();
    cls->name = name;
    cls->key = key;
    cls->atom = s.nextAtom++;
    cls->proc = proc;
    cls->system = true;
    s.classes[key] = cls;
    return cls;
}

Window* NewRecord(const std::shared_ptr<ClassRecord>& cls) {
    auto& s = S();
    std::lock_guard lock(s.tableMutex);
    uint32_t index;
    // Slots are reused first in, first out, and with a new generation, so a stale handle stays
    // invalid for a long time.
    if (s.slots.size() < kMaxSlots && (s.freeSlots.size() < 1024 || s.slots.size() < 2)) {
        if (s.slots.empty()) {
            s.slots.reserve(kMaxSlots);
            s.slots.push_back(nullptr);
            s.generations.push_back(0);
        }
        index = static_cast<uint32_t>(s.slots.size());
        s.slots.push_back(nullptr);
        s.generations.push_back(0);
    } else if (!s.freeSlots.empty()) {
        index = s.freeSlots.front();
        s.freeSlots.pop_front();
    } else {
        return nullptr;
    }
    uint16_t& generation = s.generations[index];
    generation = static_cast<uint16_t>(generation % 0x7FFF + 1);
    auto* w = new Window;
    w->handle = (static_cast<UINT_PTR>(generation) << 16) | index;
    w->cls = cls;
    w->thread = CurrentThread();
    // A thread that owns a window has a message queue from then on, as in Win32: calls from other
    // threads and processes may reach the window before its thread first asks for a message.
    ThisQueue();
    w->procs.push_back(cls->proc);
    ++s.procUses[cls->proc];
    w->extra.assign(static_cast<size_t>(cls->wndExtra), 0);
    s.slots[index] = w;
    ++cls->windows;
    return w;
}

void FreeSlot(Window* w) {
    auto& s = S();
    std::lock_guard lock(s.tableMutex);
    const size_t index = w->handle & 0xFFFF;
    if (index < s.slots.size() && s.slots[index] == w) {
        s.slots[index] = nullptr;
        s.freeSlots.push_back(static_cast<uint32_t>(index));
    }
}

// Adds one use (delta 1) or takes one away (-1) for every procedure the window holds.
void CountProcs(Window* w, int delta) {
    auto& s = S();
    std::lock_guard lock(s.tableMutex);
    auto count = [&](WNDPROC proc) {
        auto found = s.procUses.find(proc);
        if (found == s.procUses.end()) {
            if (delta > 0) s.procUses.emplace(proc, delta);
        } else if ((found->second += delta) <= 0) {
            s.procUses.erase(found);
        }
    };
    for (WNDPROC proc : w->procs)
        count(proc);
    for (const auto& [removed, replaced] : w->removedProcs) {
        count(removed);
        count(replaced);
    }
}

void Unlink(Window* w) {
    if (!w->parent) return;
    AddPaintPending(w->parent, -w->paintPending);
    auto& siblings = w->parent->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), w), siblings.end());
    w->parent = nullptr;
}

bool IsTopmost(const Window* w) {
    return (w->exStyle & WS_EX_TOPMOST) != 0;
}

void SendParentNotify(Window* w, UINT event) {
    Window* child = w;
    while (child->IsChild() && !(child->exStyle & WS_EX_NOPARENTNOTIFY) && child->parent &&
           !child->parent->isDesktop) {
        Window* parent = child->parent;
        Send(parent, WM_PARENTNOTIFY, MAKEWPARAM(static_cast<WORD>(event), LOWORD(HandleValue(w->menu))),
             static_cast<LPARAM>(w->handle));
        child = parent;
    }
}

void SendDestroyMessages(Window* w) {
    Send(w, WM_DESTROY, 0, 0);
    auto children = w->children;
    for (Window* child : children)
        if (!child->destroyed && child->parent == w) SendDestroyMessages(child);
}

void FinishDestroy(Window* w) {
    auto& s = S();
    auto children = w->children;
    for (Window* child : children)
        if (!child->destroyed && child->parent == w) FinishDestroy(child);
    if (s.focus == w) s.focus = nullptr;
    if (s.active == w) s.active = nullptr;
    if (s.capture == w) s.capture = nullptr;
    Send(w, WM_NCDESTROY, 0, 0);
    KillWindowTimers(w);
    // The window's menu bar and system menu go with it.
    if (!w->IsChild() && w->menu) {
        const HMENU bar = w->menu;
        w->menu = nullptr;
        if (IsMenu(bar)) DestroyMenu(bar);
    }
    menu::WindowDestroyed(w->Handle());
    DestroyCaretOf(w);
    ClipboardWindowGone(w);
    PurgeWindowMessages(w);
    w->internalPaint = false;
    w->ncDirty = false;
    SetUpdate(w, Region());
    DiscardSavedBits(w);
    SetOwner(w, nullptr);
    if (w->ownedCount > 0)
        for (Window* other : TopLevelWindows(true))
            if (other->owner == w) SetOwner(other, nullptr);
    if (w->region) {
        DeleteObject(w->region);
        w->region = nullptr;
    }
    const bool topLevel = w->parent && w->parent->isDesktop;
    Unlink(w);
    if (topLevel) session::WindowGone(w);
    // Children created while the window was going away go with it.
    for (Window* late : std::vector<Window*>(w->children))
        FinishDestroy(late);
    CountProcs(w, -1);
    w->destroyed = true;
    --w->cls->windows;
    FreeSlot(w);
    if (w->busy == 0) delete w;
}

void DropSilently(Window* w) {
    for (Window* child : std::vector<Window*>(w->children))
        DropSilently(child);
    Unlink(w);
    CountProcs(w, -1);
    w->destroyed = true;
    if (w->cls) --w->cls->windows;
    FreeSlot(w);
    if (w->busy == 0) delete w;
}

}  // namespace

State& S() {
    static State* state = new State;
    return *state;
}

namespace {
// Initial-exec: the id is read on every message, and the general model costs a call each time.
__attribute__((tls_model("initial-exec"))) thread_local DWORD cachedThreadId = 0;
}  // namespace

DWORD CurrentThread() {
    if (!cachedThreadId) cachedThreadId = static_cast<DWORD>(::syscall(SYS_gettid));
    return cachedThreadId;
}

bool IsUiThread() {
    return S().uiThread == 0 || S().uiThread == CurrentThread();
}

Window* Find(HWND hwnd) {
    auto& s = S();
    UINT_PTR value = HandleValue(hwnd);
    if ((value >> 32) != 0) value = HandleValue(session::Local(hwnd));
    const size_t index = value & 0xFFFF;
    if (value == 0 || (value >> 32) != 0) return nullptr;
    auto lookup = [&]() -> Window* {
        if (index == 0 || index >= s.slots.size()) return nullptr;
        Window* w = s.slots[index];
        return w && w->handle == value && !w->destroyed ? w : nullptr;
    };
    if (IsUiThread()) return lookup();
    std::lock_guard lock(s.tableMutex);
    return lookup();
}

DWORD WindowThread(HWND hwnd) {
    auto& s = S();
    std::lock_guard lock(s.tableMutex);
    const UINT_PTR value = HandleValue(session::Local(hwnd));
    const size_t index = value & 0xFFFF;
    Window* w = index && index < s.slots.size() && (value >> 32) == 0 ? s.slots[index] : nullptr;
    return w && w->handle == value && !w->destroyed ? w->thread : 0;
}

Window* Get(HWND hwnd) {
    Window* w = Find(hwnd);
    if (!w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

Hold::Hold(Window* w) : w_(w) {
    if (w_) ++w_->busy;
}
Hold::~Hold() {
    if (w_) ReleaseRecord(w_);
}

void ReleaseRecord(Window* w) {
    if (--w->busy == 0 && w->destroyed) delete w;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x != y && (x >= 0x80 || y >= 0x80 || std::tolower(x) != std::tolower(y))) return false;
    }
    return true;
}

int CopyText(const std::string& text, char* buffer, size_t size) {
    if (!buffer || size == 0) return 0;
    size_t n = std::min(text.size(), size - 1);
    // Back off to the start of a UTF-8 sequence.
    if (n < text.size())
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
            --n;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

Window* CreateDesktopIfNeeded() {
    auto& s = S();
    if (s.desktop) return s.desktop;
    if (s.uiThread == 0) s.uiThread = CurrentThread();
    display::AttachFromEnvironment();
    auto desktopClass = SystemClass(kDesktopClass, DesktopProc);
    auto messageClass = SystemClass(kMessageClass, DefWindowProc);
    desktopClass->background = MakeHandle<HBRUSH>(static_cast<UINT_PTR>(COLOR_BACKGROUND + 1));
    Window* desktop = NewRecord(desktopClass);
    desktop->isDesktop = true;
    desktop->style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    desktop->rect = RECT{0, 0, width, height};
    desktop->client = desktop->rect;
    desktop->created = true;
    s.desktop = desktop;
    Window* root = NewRecord(messageClass);
    root->isMessageRoot = true;
    root->style = WS_POPUP;
    root->created = true;
    s.messageRoot = root;
    return desktop;
}

void SetDesktopSize(int width, int height) {
    auto& s = S();
    if (!s.desktop) return;
    s.desktop->rect = RECT{0, 0, width, height};
    s.desktop->client = s.desktop->rect;
}

Window* TopLevel(Window* w) {
    while (w && w->IsChild() && w->parent && !w->parent->isDesktop && !w->parent->isMessageRoot)
        w = w->parent;
    return w;
}

bool IsDescendant(const Window* ancestor, const Window* w) {
    for (; w; w = w->parent)
        if (w == ancestor) return true;
    return false;
}

void SetOwner(Window* w, Window* owner) {
    if (w->owner == owner) return;
    if (w->owner) --w->owner->ownedCount;
    w->owner = owner;
    if (owner) ++owner->ownedCount;
}

std::vector<Window*> TopLevelWindows(bool includeMessageOnly) {
    auto& s = S();
    std::vector<Window*> out;
    if (s.desktop) out = s.desktop->children;
    if (includeMessageOnly && s.messageRoot)
        out.insert(out.end(), s.messageRoot->children.begin(), s.messageRoot->children.end());
    return out;
}

// Places w among its siblings: topmost windows stay above the others.
void MoveInZOrder(Window* w, HWND insertAfter) {
    Window* parent = w->parent;
    if (!parent) return;
    auto& list = parent->children;
    list.erase(std::remove(list.begin(), list.end(), w), list.end());
    const bool topLevel = parent->isDesktop;
    auto firstNonTopmost = [&] {
        return std::find_if(list.begin(), list.end(), [](Window* x) { return !IsTopmost(x); });
    };
    if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
        if (topLevel && !IsTopmost(w))
            list.insert(firstNonTopmost(), w);
        else
            list.insert(list.begin(), w);
    } else if (insertAfter == HWND_BOTTOM) {
        if (topLevel && IsTopmost(w))
            list.insert(firstNonTopmost(), w);
        else
            list.push_back(w);
    } else {
        Window* after = Find(insertAfter);
        auto at = std::find(list.begin(), list.end(), after);
        if (!after || at == list.end()) {
            list.insert(topLevel && !IsTopmost(w) ? firstNonTopmost() : list.begin(), w);
        } else {
            ++at;
            // A non-topmost window cannot go above a topmost one, nor a topmost one below.
            if (topLevel && !IsTopmost(w)) at = std::max(at, firstNonTopmost());
            if (topLevel && IsTopmost(w) && at > firstNonTopmost()) at = firstNonTopmost();
            list.insert(at, w);
        }
    }
    // Owned windows stay above their owner.
    if (topLevel && w->ownedCount > 0) {
        std::vector<Window*> owned;
        for (Window* x : list)
            if (x != w && x->owner == w && IsTopmost(x) == IsTopmost(w)) owned.push_back(x);
        if (!owned.empty()) {
            for (Window* x : owned)
                list.erase(std::remove(list.begin(), list.end(), x), list.end());
            auto at = std::find(list.begin(), list.end(), w);
            list.insert(at, owned.begin(), owned.end());
        }
    }
    if (topLevel) {
        if (w == list.front() || (!IsTopmost(w) && w == *firstNonTopmost())) session::RaisedToTop();
        session::OrderChanged(w);
    }
}

WNDPROC ResolveRemovedProc(Window* w, WNDPROC proc) {
    for (size_t guard = 0; guard <= w->removedProcs.size(); ++guard) {
        auto found = std::find_if(w->removedProcs.begin(), w->removedProcs.end(),
                                  [&](const auto& entry) { return entry.first == proc; });
        if (found == w->removedProcs.end()) return proc;
        if (std::find(w->procs.begin(), w->procs.end(), proc) != w->procs.end()) return proc;
        proc = found->second;
    }
    return proc;
}

void DestroyAllWindows() {
    auto& s = S();
    DiscardAllSavedBits();
    if (s.desktop) {
        for (Window* w : TopLevelWindows(true))
            DropSilently(w);
        DropSilently(s.desktop);
        DropSilently(s.messageRoot);
    }
    s.desktop = nullptr;
    s.messageRoot = nullptr;
}

void ResetWindows() {
    auto& s = S();
    DestroyAllWindows();
    for (auto it = s.classes.begin(); it != s.classes.end();)
        it = it->second->system ? std::next(it) : s.classes.erase(it);
    s.active = s.focus = s.capture = nullptr;
    s.appActive = false;
    s.lockedWindow = nullptr;
    s.windowsToPaint = 0;
    s.procUses.clear();
    s.uiThread = 0;
}

}  // namespace user

using namespace user;

DWORD GetCurrentThreadId() {
    return CurrentThread();
}

// ---------------------------------------------------------------------------------------------
// Classes

ATOM RegisterClassEx(const WNDCLASSEX* wc) {
    if (!wc || wc->cbSize != sizeof(WNDCLASSEX) || !wc->lpszClassName || !wc->lpfnWndProc ||
        wc->cbWndExtra < 0 || wc->cbClsExtra < 0 || wc->cbWndExtra > 40000 || wc->cbClsExtra > 40000 ||
        (!IS_INTRESOURCE(wc->lpszClassName) && std::strlen(wc->lpszClassName) > 255) ||
        IS_INTRESOURCE(wc->lpszClassName)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto& s = S();
    auto key = ascii::Lower(wc->lpszClassName);
    if (auto found = s.classes.find(key); found != s.classes.end()) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    auto cls = std::make_shared<ClassRecord>();
    cls->name = wc->lpszClassName;
    cls->key = key;
    cls->atom = s.nextAtom++;
    cls->style = wc->style;
    cls->proc = wc->lpfnWndProc;
    cls->wndExtra = wc->cbWndExtra;
    cls->extra.assign(static_cast<size_t>(wc->cbClsExtra), 0);
    cls->instance = wc->hInstance;
    cls->icon = wc->hIcon;
    cls->iconSmall = wc->hIconSm;
    cls->cursor = wc->hCursor;
    cls->background = wc->hbrBackground;
    if (wc->lpszMenuName && !IS_INTRESOURCE(wc->lpszMenuName)) {
        cls->menuName = wc->lpszMenuName;
    } else {
        cls->menuNamePointer = wc->lpszMenuName;
    }
    s.classes[key] = cls;
    return cls->atom;
}

ATOM RegisterClass(const WNDCLASS* wc) {
    if (!wc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WNDCLASSEX ex{sizeof(WNDCLASSEX), wc->style,        wc->lpfnWndProc,   wc->cbClsExtra,
                  wc->cbWndExtra,     wc->hInstance,    wc->hIcon,         wc->hCursor,
                  wc->hbrBackground,  wc->lpszMenuName, wc->lpszClassName, nullptr};
    return RegisterClassEx(&ex);
}

BOOL UnregisterClass(LPCSTR className, HINSTANCE) {
    auto cls = FindClass(className);
    if (!cls || cls->system) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (cls->windows > 0) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    S().classes.erase(cls->key);
    return TRUE;
}

BOOL GetClassInfoEx(HINSTANCE, LPCSTR className, WNDCLASSEX* wc) {
    auto cls = FindClass(className);
    if (!cls || !wc) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    wc->style = cls->style;
    wc->lpfnWndProc = cls->proc;
    wc->cbClsExtra = static_cast<int>(cls->extra.size());
    wc->cbWndExtra = cls->wndExtra;
    wc->hInstance = cls->instance;
    wc->hIcon = cls->icon;
    wc->hIconSm = cls->iconSmall;
    wc->hCursor = cls->cursor;
    wc->hbrBackground = cls->background;
    wc->lpszMenuName = cls->menuName.empty() ? cls->menuNamePointer : cls->menuName.c_str();
    wc->lpszClassName = className;
    return cls->atom;
}

BOOL GetClassInfo(HINSTANCE instance, LPCSTR className, WNDCLASS* wc) {
    WNDCLASSEX ex{};
    ex.cbSize = sizeof ex;
    if (!wc || !GetClassInfoEx(instance, className, &ex)) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    *wc = WNDCLASS{ex.style, ex.lpfnWndProc, ex.cbClsExtra,    ex.cbWndExtra,   ex.hInstance,
                   ex.hIcon, ex.hCursor,     ex.hbrBackground, ex.lpszMenuName, ex.lpszClassName};
    return TRUE;
}

int GetClassName(HWND hwnd, LPSTR className, int maxCount) {
    if (session::IsForeign(hwnd)) {
        session::RemoteWindow remote;
        if (!session::Describe(hwnd, &remote, nullptr)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        return className && maxCount > 0
                   ? CopyText(remote.className, className, static_cast<size_t>(maxCount))
                   : 0;
    }
    Window* w = Get(hwnd);
    if (!w || !className || maxCount <= 0) return 0;
    return CopyText(w->cls->name, className, static_cast<size_t>(maxCount));
}

ULONG_PTR GetClassLongPtr(HWND hwnd, int index) {
    Window* w = Get(hwnd);
    if (!w) return 0;
    auto& cls = *w->cls;
    switch (index) {
        case GCLP_HBRBACKGROUND:
            return HandleValue(cls.background);
        case GCLP_HCURSOR:
            return HandleValue(cls.cursor);
        case GCLP_HICON:
            return HandleValue(cls.icon);
        case GCLP_HICONSM:
            return HandleValue(cls.iconSmall);
        case GCLP_HMODULE:
            return HandleValue(cls.instance);
        case GCLP_WNDPROC:
            return reinterpret_cast<ULONG_PTR>(cls.proc);
        case GCL_STYLE:
            return cls.style;
        case GCL_CBWNDEXTRA:
            return static_cast<ULONG_PTR>(cls.wndExtra);
        case GCL_CBCLSEXTRA:
            return cls.extra.size();
        case GCW_ATOM:
            return cls.atom;
        default:
            break;
    }
    if (index >= 0 && static_cast<size_t>(index) + sizeof(ULONG_PTR) <= cls.extra.size()) {
        ULONG_PTR value;
        std::memcpy(&value, cls.extra.data() + index, sizeof value);
        return value;
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}

ULONG_PTR SetClassLongPtr(HWND hwnd, int index, LONG_PTR value) {
    Window* w = Get(hwnd);
    if (!w) return 0;
    auto& cls = *w->cls;
    const ULONG_PTR old = GetClassLongPtr(hwnd, index);
    const auto bits = static_cast<ULONG_PTR>(value);
    switch (index) {
        case GCLP_HBRBACKGROUND:
            cls.background = MakeHandle<HBRUSH>(bits);
            return old;
        case GCLP_HCURSOR:
            cls.cursor = MakeHandle<HCURSOR>(bits);
            return old;
        case GCLP_HICON:
            cls.icon = MakeHandle<HICON>(bits);
            return old;
        case GCLP_HICONSM:
            cls.iconSmall = MakeHandle<HICON>(bits);
            return old;
        case GCLP_HMODULE:
            cls.instance = MakeHandle<HINSTANCE>(bits);
            return old;
        case GCLP_WNDPROC:
            cls.proc = reinterpret_cast<WNDPROC>(bits);
            return old;
        case GCL_STYLE:
            cls.style = static_cast<UINT>(bits);
            return old;
        default:
            break;
    }
    if (index >= 0 && static_cast<size_t>(index) + sizeof(ULONG_PTR) <= cls.extra.size()) {
        std::memcpy(cls.extra.data() + index, &bits, sizeof bits);
        return old;
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}

DWORD GetClassLong(HWND hwnd, int index) {
    return static_cast<DWORD>(GetClassLongPtr(hwnd, index));
}
DWORD SetClassLong(HWND hwnd, int index, LONG value) {
    return static_cast<DWORD>(SetClassLongPtr(hwnd, index, value));
}

// ---------------------------------------------------------------------------------------------
// Creation and destruction

HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parentHandle, HMENU menu, HINSTANCE instance, LPVOID param) {
    auto& s = S();
    CreateDesktopIfNeeded();
    if (s.uiThread == 0) s.uiThread = CurrentThread();
    auto cls = FindClass(className);
    if (!cls || cls->key == ascii::Lower(kDesktopClass)) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    Window* parent = nullptr;
    Window* owner = nullptr;
    if (parentHandle == HWND_MESSAGE) {
        parent = s.messageRoot;
    } else if (style & WS_CHILD) {
        if (!parentHandle) {
            SetLastError(ERROR_TLW_WITH_WSCHILD);
            return nullptr;
        }
        parent = Get(parentHandle);
        if (!parent) return nullptr;
    } else {
        if (parentHandle) {
            Window* ownerWindow = Get(parentHandle);
            if (!ownerWindow) return nullptr;
            owner = TopLevel(ownerWindow);
            if (owner && (owner->isDesktop || owner->isMessageRoot)) owner = nullptr;
        }
        parent = s.desktop;
        StartMediaWatch();
    }
    if (parent->thread != CurrentThread() && !parent->isDesktop && !parent->isMessageRoot) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }

    const bool child = (style & WS_CHILD) != 0;
    if (!child) {
        style |= WS_CLIPSIBLINGS;
        if (!(style & WS_POPUP)) style |= WS_CAPTION;
    }
    if ((style & WS_CAPTION) == WS_CAPTION || (exStyle & WS_EX_DLGMODALFRAME) || (style & WS_THICKFRAME))
        exStyle |= WS_EX_WINDOWEDGE;
    else
        exStyle &= ~WS_EX_WINDOWEDGE;

    // Default position and size for overlapped windows; 0 for the others.
    const bool overlapped = !child && !(style & WS_POPUP);
    if (x == CW_USEDEFAULT) {
        if (overlapped) {
            static int cascade = 0;
            const int step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME);
            x = y = (cascade++ % 8) * step;
        } else {
            x = y = 0;
        }
    }
    if (width == CW_USEDEFAULT) {
        if (overlapped) {
            width = GetSystemMetrics(SM_CXSCREEN) * 3 / 4;
            height = GetSystemMetrics(SM_CYSCREEN) * 3 / 4;
        } else {
            width = height = 0;
        }
    }

    Window* w = NewRecord(cls);
    if (!w) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    Hold hold(w);
    const HWND hwnd = w->Handle();
    w->style = style & ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
    w->exStyle = exStyle;
    w->parent = parent;
    SetOwner(w, owner);
    w->menu = menu;
    w->instance = instance;
    w->text = windowName ? windowName : "";
    // Children join at the bottom (so the first created comes first in tab order), others on top.
    if (child)
        parent->children.push_back(w);
    else
        MoveInZOrder(w, HWND_TOP);

    if ((style & WS_THICKFRAME) || !(style & (WS_POPUP | WS_CHILD))) {
        MINMAXINFO info{};
        DefaultMinMaxInfo(w, &info);
        Send(w, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        if (w->destroyed) return nullptr;
        width = std::clamp(
            width, static_cast<int>(info.ptMinTrackSize.x),
            std::max(static_cast<int>(info.ptMinTrackSize.x), static_cast<int>(info.ptMaxTrackSize.x)));
        height = std::clamp(
            height, static_cast<int>(info.ptMinTrackSize.y),
            std::max(static_cast<int>(info.ptMinTrackSize.y), static_cast<int>(info.ptMaxTrackSize.y)));
    }
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    w->rect = RECT{x, y, x + width, y + height};
    w->normalRect = w->rect;
    w->client = RECT{0, 0, width, height};

    CREATESTRUCT cs{
        param,      instance,  menu,   parentHandle, height, width, y, x, static_cast<LONG>(style),
        windowName, className, exStyle};
    if (!Send(w, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        if (!w->destroyed) {
            w->destroying = true;
            FinishDestroy(w);
        }
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (w->destroyed) return nullptr;
    RECT calc = w->rect;
    Send(w, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&calc));
    if (w->destroyed) return nullptr;
    if (calc.right < calc.left) calc.right = calc.left;
    if (calc.bottom < calc.top) calc.bottom = calc.top;
    w->client = RECT{calc.left - w->rect.left, calc.top - w->rect.top, calc.right - w->rect.left,
                     calc.bottom - w->rect.top};
    if (Send(w, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        if (!w->destroyed) DestroyWindow(hwnd);
        return nullptr;
    }
    if (w->destroyed) return nullptr;
    w->created = true;
    const RECT c = w->client;
    Send(w, WM_SIZE, SIZE_RESTORED,
         MAKELPARAM(static_cast<WORD>(c.right - c.left), static_cast<WORD>(c.bottom - c.top)));
    if (w->destroyed) return nullptr;
    Send(w, WM_MOVE, 0,
         MAKELPARAM(static_cast<WORD>(w->rect.left + c.left), static_cast<WORD>(w->rect.top + c.top)));
    if (w->destroyed) return nullptr;
    SendParentNotify(w, WM_CREATE);
    if (w->destroyed) return nullptr;

    if (style & (WS_MINIMIZE | WS_MAXIMIZE)) {
        const bool visible = (style & WS_VISIBLE) != 0;
        ShowWindowInternal(w, (style & WS_MINIMIZE) ? (visible ? SW_SHOWMINNOACTIVE : SW_MINIMIZE)
                                                    : (visible ? SW_SHOWMAXIMIZED : SW_MAXIMIZE));
        if (w->destroyed) return nullptr;
        if (!visible) w->style &= ~WS_VISIBLE;
    }
    if ((style & WS_VISIBLE) && !(w->style & WS_VISIBLE)) {
        ShowWindowInternal(w, SW_SHOW);
        if (w->destroyed) return nullptr;
    }
    if (parent->isDesktop) session::WindowChanged(w);
    return hwnd;
}

HWND CreateWindow(LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width, int height,
                  HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    return CreateWindowEx(0, className, windowName, style, x, y, width, height, parent, menu, instance,
                          param);
}

BOOL DestroyWindow(HWND hwnd) {
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    if (w->isDesktop || w->isMessageRoot || w->thread != CurrentThread()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (w->destroying) return TRUE;
    Hold hold(w);
    w->destroying = true;
    SendParentNotify(w, WM_DESTROY);
    if (w->destroyed) return TRUE;
    // Owned windows go first.
    if (w->ownedCount > 0)
        for (Window* other : TopLevelWindows(true))
            if (other->owner == w && !other->destroyed) DestroyWindow(other->Handle());
    if (w->destroyed) return TRUE;
    if (w->style & WS_VISIBLE) {
        // Only a child hears WM_SHOWWINDOW here, and hands the focus to its parent, as in Win32.
        if (w->IsChild())
            ShowWindowInternal(w, SW_HIDE);
        else
            SetWindowPosInternal(w, nullptr, 0, 0, 0, 0,
                                 SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
        if (w->destroyed) return TRUE;
    }
    WindowGoingAway(w, true);
    if (w->destroyed) return TRUE;
    SendDestroyMessages(w);
    if (w->destroyed) return TRUE;
    FinishDestroy(w);
    return TRUE;
}

BOOL IsWindow(HWND hwnd) {
    if (session::IsForeign(hwnd)) return session::Describe(hwnd, nullptr, nullptr);
    return Find(hwnd) != nullptr;
}

BOOL IsWindowVisible(HWND hwnd) {
    if (session::IsForeign(hwnd)) return (session::StyleOf(hwnd) & WS_VISIBLE) != 0;
    Window* w = Find(hwnd);
    return w && VisibleFlag(w);
}

BOOL IsWindowEnabled(HWND hwnd) {
    if (session::IsForeign(hwnd)) {
        session::RemoteWindow remote;
        return session::Describe(hwnd, &remote, nullptr) && !(remote.style & WS_DISABLED);
    }
    Window* w = Find(hwnd);
    return w && !(w->style & WS_DISABLED);
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    Hold hold(w);
    const BOOL wasDisabled = (w->style & WS_DISABLED) != 0;
    if (enable && wasDisabled) {
        w->style &= ~WS_DISABLED;
        Send(w, WM_ENABLE, TRUE, 0);
    } else if (!enable && !wasDisabled) {
        Send(w, WM_CANCELMODE, 0, 0);
        if (w->destroyed) return wasDisabled;
        w->style |= WS_DISABLED;
        auto& s = S();
        if (s.focus && IsDescendant(w, s.focus)) SetFocusInternal(nullptr);
        if (s.capture && IsDescendant(w, s.capture)) ReleaseCaptureInternal(nullptr);
        if (w->destroyed) return wasDisabled;
        Send(w, WM_ENABLE, FALSE, 0);
    }
    return wasDisabled;
}

BOOL IsChild(HWND parentHandle, HWND hwnd) {
    Window* parent = Find(parentHandle);
    Window* w = Find(hwnd);
    if (!parent || !w) return FALSE;
    while (w->IsChild() && w->parent) {
        w = w->parent;
        if (w == parent) return TRUE;
    }
    return FALSE;
}

DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId) {
    if (session::IsForeign(hwnd)) {
        session::RemoteWindow remote;
        if (!session::Describe(hwnd, &remote, nullptr)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (processId) *processId = static_cast<DWORD>(HandleValue(hwnd) >> 32);
        return remote.thread;
    }
    auto& s = S();
    std::lock_guard lock(s.tableMutex);
    const UINT_PTR value = HandleValue(session::Local(hwnd));
    const size_t index = value & 0xFFFF;
    if (index == 0 || index >= s.slots.size() || !s.slots[index] || s.slots[index]->handle != value ||
        s.slots[index]->destroyed) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (processId) *processId = static_cast<DWORD>(::getpid());
    return s.slots[index]->thread;
}

// ---------------------------------------------------------------------------------------------
// The tree

HWND GetDesktopWindow() {
    return CreateDesktopIfNeeded()->Handle();
}

HWND GetParent(HWND hwnd) {
    Window* w = Get(hwnd);
    if (!w) return nullptr;
    if (w->IsChild()) return w->parent && !w->parent->isDesktop ? w->parent->Handle() : nullptr;
    if ((w->style & WS_POPUP) && w->owner) return w->owner->Handle();
    return nullptr;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
    Window* w = Get(hwnd);
    if (!w || w->isDesktop) return nullptr;
    switch (flags) {
        case GA_PARENT:
            return w->parent ? w->parent->Handle() : nullptr;
        case GA_ROOT:
            return TopLevel(w)->Handle();
        case GA_ROOTOWNER: {
            Window* root = TopLevel(w);
            while (root->owner)
                root = root->owner;
            return root->Handle();
        }
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
    }
}

HWND SetParent(HWND childHandle, HWND parentHandle) {
    Window* w = Get(childHandle);
    if (!w || w->isDesktop || w->isMessageRoot) return nullptr;
    Window* parent = parentHandle == HWND_MESSAGE ? S().messageRoot
                     : parentHandle               ? Get(parentHandle)
                                                  : S().desktop;
    if (!parent) return nullptr;
    if (IsDescendant(w, parent)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    Hold hold(w);
    Window* old = w->parent;
    const bool visible = (w->style & WS_VISIBLE) != 0;
    if (visible)
        SetWindowPosInternal(w, nullptr, 0, 0, 0, 0,
                             SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Unlink(w);
    w->parent = parent;
    AddPaintPending(parent, w->paintPending);
    parent->children.insert(parent->children.begin(), w);
    if (parent->isDesktop)
        MoveInZOrder(w, HWND_TOP);
    else if (old && old->isDesktop)
        session::WindowGone(w);
    if (visible && !w->destroyed)
        SetWindowPosInternal(w, nullptr, 0, 0, 0, 0,
                             SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return old ? old->Handle() : nullptr;
}

HWND GetWindow(HWND hwnd, UINT command) {
    Window* w = Get(hwnd);
    if (!w) return nullptr;
    auto siblingsOf = [](Window* x) -> const std::vector<Window*>* {
        return x->parent ? &x->parent->children : nullptr;
    };
    switch (command) {
        case GW_HWNDFIRST:
        case GW_HWNDLAST: {
            auto* list = siblingsOf(w);
            if (!list || list->empty()) return nullptr;
            return (command == GW_HWNDFIRST ? list->front() : list->back())->Handle();
        }
        case GW_HWNDNEXT:
        case GW_HWNDPREV: {
            auto* list = siblingsOf(w);
            if (!list) return nullptr;
            auto at = std::find(list->begin(), list->end(), w);
            if (at == list->end()) return nullptr;
            if (command == GW_HWNDNEXT) return ++at == list->end() ? nullptr : (*at)->Handle();
            return at == list->begin() ? nullptr : (*--at)->Handle();
        }
        case GW_OWNER:
            return w->owner ? w->owner->Handle() : nullptr;
        case GW_CHILD:
            return w->children.empty() ? nullptr : w->children.front()->Handle();
        case GW_ENABLEDPOPUP:
            for (Window* other : TopLevelWindows(false))
                if (other->owner == w && (other->style & WS_VISIBLE) && !(other->style & WS_DISABLED))
                    return other->Handle();
            return nullptr;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
    }
}

HWND GetTopWindow(HWND hwnd) {
    Window* w = hwnd ? Get(hwnd) : CreateDesktopIfNeeded();
    if (!w || w->children.empty()) return nullptr;
    return w->children.front()->Handle();
}

HWND GetNextWindow(HWND hwnd, UINT command) {
    return GetWindow(hwnd, command);
}

HWND GetLastActivePopup(HWND hwnd) {
    if (session::IsForeign(hwnd)) {
        session::RemoteWindow remote;
        session::RemoteProcess process;
        if (!session::Describe(hwnd, &remote, &process)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        session::RemoteWindow active;
        if (process.active && process.active != hwnd && session::Describe(process.active, &active, nullptr) &&
            active.owner == hwnd)
            return process.active;
        return hwnd;
    }
    Window* w = Get(hwnd);
    if (!w) return nullptr;
    Window* active = S().active;
    if (active && active != w && active->owner == w) return active->Handle();
    return hwnd;
}

// ---------------------------------------------------------------------------------------------
// Window data

LONG_PTR GetWindowLongPtr(HWND hwnd, int index) {
    Window* w = Get(hwnd);
    if (!w) return 0;
    switch (index) {
        case GWL_STYLE:
            return static_cast<LONG>(w->style);
        case GWL_EXSTYLE:
            return static_cast<LONG>(w->exStyle);
        case GWL_USERDATA:
            return w->userData;
        case GWL_WNDPROC:
            return reinterpret_cast<LONG_PTR>(w->Proc());
        case GWL_ID:
            return static_cast<LONG_PTR>(HandleValue(w->menu));
        case GWL_HINSTANCE:
            return static_cast<LONG_PTR>(HandleValue(w->instance));
        case GWL_HWNDPARENT: {
            Window* link = w->IsChild() ? w->parent : w->owner;
            return link && !link->isDesktop ? static_cast<LONG_PTR>(link->handle) : 0;
        }
        default:
            break;
    }
    if (index >= 0 && static_cast<size_t>(index) + sizeof(LONG_PTR) <= w->extra.size()) {
        LONG_PTR value;
        std::memcpy(&value, w->extra.data() + index, sizeof value);
        return value;
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}

LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value) {
    Window* w = Get(hwnd);
    if (!w) return 0;
    if (w->isDesktop) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    Hold hold(w);
    switch (index) {
        case GWL_STYLE:
        case GWL_EXSTYLE: {
            DWORD& field = index == GWL_STYLE ? w->style : w->exStyle;
            STYLESTRUCT change{field, static_cast<DWORD>(value)};
            if (index == GWL_EXSTYLE)  // only SetWindowPos moves a window in or out of the topmost band
                change.styleNew = (change.styleNew & ~WS_EX_TOPMOST) | (field & WS_EX_TOPMOST);
            const DWORD old = field;
            Send(w, WM_STYLECHANGING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
            if (w->destroyed) return static_cast<LONG>(old);
            if (index == GWL_EXSTYLE)
                change.styleNew = (change.styleNew & ~WS_EX_TOPMOST) | (field & WS_EX_TOPMOST);
            change.styleOld = old;
            field = change.styleNew;
            if (w->parent && w->parent->isDesktop) session::WindowChanged(w);
            Send(w, WM_STYLECHANGED, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
            return static_cast<LONG>(old);
        }
        case GWL_USERDATA: {
            const LONG_PTR old = w->userData;
            w->userData = value;
            return old;
        }
        case GWL_ID: {
            const auto old = static_cast<LONG_PTR>(HandleValue(w->menu));
            w->menu = MakeHandle<HMENU>(static_cast<UINT_PTR>(value));
            return old;
        }
        case GWL_HINSTANCE: {
            const auto old = static_cast<LONG_PTR>(HandleValue(w->instance));
            w->instance = MakeHandle<HINSTANCE>(static_cast<UINT_PTR>(value));
            return old;
        }
        case GWL_HWNDPARENT: {
            const LONG_PTR old = GetWindowLongPtr(hwnd, GWL_HWNDPARENT);
            if (w->IsChild()) return old;
            Window* owner = value ? Get(MakeHandle<HWND>(static_cast<UINT_PTR>(value))) : nullptr;
            if (value && !owner) return 0;
            owner = owner ? TopLevel(owner) : nullptr;
            if (owner == w || (owner && owner->isDesktop)) owner = nullptr;
            SetOwner(w, owner);
            return old;
        }
        case GWL_WNDPROC: {
            auto proc = reinterpret_cast<WNDPROC>(value);
            const WNDPROC old = w->Proc();
            if (!proc) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return 0;
            }
            proc = ResolveRemovedProc(w, proc);
            CountProcs(w, -1);
            const ScopeExit recount([w] { CountProcs(w, 1); });
            auto& procs = w->procs;
            auto at = std::find(procs.begin(), procs.end(), proc);
            if (at == procs.end() || at + 1 == procs.end()) {
                if (proc != old) procs.push_back(proc);
            } else {
                // Restoring what a member replaced takes that member out of the chain; members newer
                // than it stay in place.
                auto removed = at + 1;
                w->removedProcs.emplace_back(*removed, proc);
                procs.erase(removed);
            }
            return reinterpret_cast<LONG_PTR>(old);
        }
        default:
            break;
    }
    if (index >= 0 && static_cast<size_t>(index) + sizeof(LONG_PTR) <= w->extra.size()) {
        LONG_PTR old;
        std::memcpy(&old, w->extra.data() + index, sizeof old);
        std::memcpy(w->extra.data() + index, &value, sizeof value);
        return old;
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}

LONG GetWindowLong(HWND hwnd, int index) {
    if (index >= 0) {
        Window* w = Get(hwnd);
        if (!w) return 0;
        if (static_cast<size_t>(index) + sizeof(LONG) > w->extra.size()) {
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
        }
        LONG value;
        std::memcpy(&value, w->extra.data() + index, sizeof value);
        return value;
    }
    return static_cast<LONG>(GetWindowLongPtr(hwnd, index));
}

LONG SetWindowLong(HWND hwnd, int index, LONG value) {
    if (index >= 0) {
        Window* w = Get(hwnd);
        if (!w) return 0;
        if (static_cast<size_t>(index) + sizeof(LONG) > w->extra.size()) {
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
        }
        LONG old;
        std::memcpy(&old, w->extra.data() + index, sizeof old);
        std::memcpy(w->extra.data() + index, &value, sizeof value);
        return old;
    }
    if (index == GWL_STYLE || index == GWL_EXSTYLE)
        return static_cast<LONG>(
            SetWindowLongPtr(hwnd, index, static_cast<LONG_PTR>(static_cast<DWORD>(value))));
    return static_cast<LONG>(SetWindowLongPtr(hwnd, index, value));
}

WNDPROC GetReplacedWindowProc(HWND hwnd, WNDPROC proc) {
    Window* w = Find(hwnd);
    if (!w || !proc) return nullptr;
    for (const auto& [removed, replaced] : w->removedProcs)
        if (removed == proc && std::find(w->procs.begin(), w->procs.end(), proc) == w->procs.end())
            return ResolveRemovedProc(w, replaced);
    auto at = std::find(w->procs.begin(), w->procs.end(), proc);
    if (at == w->procs.end() || at == w->procs.begin()) return nullptr;
    return *(at - 1);
}

bool IsWindowProcInUse(WNDPROC proc) {
    auto& s = S();
    std::lock_guard lock(s.tableMutex);
    return s.procUses.count(proc) != 0;
}

// ---------------------------------------------------------------------------------------------
// Text

int GetWindowText(HWND hwnd, LPSTR text, int maxCount) {
    if (text && maxCount > 0) text[0] = '\0';
    // Another process's caption is read as that process published it, without a message, so that
    // a program that does not answer cannot block the caller (as Win32 does).
    if (session::IsForeign(hwnd)) {
        session::RemoteWindow remote;
        if (!session::Describe(hwnd, &remote, nullptr)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        return text && maxCount > 0 ? CopyText(remote.text, text, static_cast<size_t>(maxCount)) : 0;
    }
    Window* w = Get(hwnd);
    if (!w || !text || maxCount <= 0) return 0;
    return static_cast<int>(
        Send(w, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(text)));
}

int GetWindowTextLength(HWND hwnd) {
    if (session::IsForeign(hwnd)) {
        session::RemoteWindow remote;
        if (!session::Describe(hwnd, &remote, nullptr)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        return static_cast<int>(remote.text.size());
    }
    Window* w = Get(hwnd);
    if (!w) return 0;
    return static_cast<int>(Send(w, WM_GETTEXTLENGTH, 0, 0));
}

BOOL SetWindowText(HWND hwnd, LPCSTR text) {
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    return Send(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) != 0;
}

// ---------------------------------------------------------------------------------------------
// Enumeration and search

namespace {

void CollectDescendants(Window* w, std::vector<HWND>& out) {
    for (Window* child : w->children) {
        out.push_back(child->Handle());
        CollectDescendants(child, out);
    }
}

bool Matches(Window* w, LPCSTR className, LPCSTR windowName) {
    if (className) {
        if (IS_INTRESOURCE(className)) {
            if (w->cls->atom != static_cast<ATOM>(reinterpret_cast<UINT_PTR>(className))) return false;
        } else if (!EqualNoCase(w->cls->name, className)) {
            return false;
        }
    }
    return !windowName || EqualNoCase(w->text, windowName);
}

}  // namespace

BOOL EnumWindows(WNDENUMPROC callback, LPARAM param) {
    if (!callback) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    CreateDesktopIfNeeded();
    std::vector<HWND> handles;
    const auto others = session::OtherProcesses();
    if (!others.empty()) {
        handles = session::DesktopOrder(others);
    } else {
        for (Window* w : TopLevelWindows(false))
            handles.push_back(w->Handle());
    }
    for (HWND h : handles)
        if ((session::IsForeign(h) || Find(h)) && !callback(h, param)) return FALSE;
    return TRUE;
}

BOOL EnumChildWindows(HWND parentHandle, WNDENUMPROC callback, LPARAM param) {
    Window* parent = parentHandle ? Get(parentHandle) : CreateDesktopIfNeeded();
    if (!parent || !callback) return FALSE;
    std::vector<HWND> handles;
    CollectDescendants(parent, handles);
    for (HWND h : handles)
        if (Find(h) && !callback(h, param)) return FALSE;
    return TRUE;
}

BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC callback, LPARAM param) {
    if (!callback) return FALSE;
    CreateDesktopIfNeeded();
    std::vector<HWND> handles;
    for (Window* w : TopLevelWindows(false))
        if (w->thread == threadId) handles.push_back(w->Handle());
    for (HWND h : handles)
        if (Find(h) && !callback(h, param)) return FALSE;
    return TRUE;
}

namespace {

// FindWindowEx among the top-level windows of every process of the session, in the desktop's order.
HWND FindAmongSessionWindows(const std::vector<session::RemoteProcess>& others, HWND childAfter,
                             LPCSTR className, LPCSTR windowName) {
    std::unordered_map<UINT_PTR, const session::RemoteWindow*> remote;
    for (const auto& process : others)
        for (const auto& w : process.windows)
            remote[HandleValue(w.handle)] = &w;
    const auto order = session::DesktopOrder(others);
    auto at = order.begin();
    if (childAfter) {
        at = std::find(order.begin(), order.end(), session::Local(childAfter));
        if (at == order.end()) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        ++at;
    }
    for (; at != order.end(); ++at) {
        if (auto found = remote.find(HandleValue(*at)); found != remote.end()) {
            const session::RemoteWindow& w = *found->second;
            // Class atoms belong to each process: another's windows match by name only.
            if (className && (IS_INTRESOURCE(className) || !EqualNoCase(w.className, className))) continue;
            if (windowName && !EqualNoCase(w.text, windowName)) continue;
            return *at;
        }
        if (Window* w = Find(*at); w && Matches(w, className, windowName)) return *at;
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
}

}  // namespace

HWND FindWindowEx(HWND parentHandle, HWND childAfter, LPCSTR className, LPCSTR windowName) {
    CreateDesktopIfNeeded();
    if (!parentHandle || parentHandle == GetDesktopWindow()) {
        const auto others = session::OtherProcesses();
        if (!others.empty()) return FindAmongSessionWindows(others, childAfter, className, windowName);
    }
    Window* parent = parentHandle == HWND_MESSAGE ? S().messageRoot
                     : parentHandle               ? Get(parentHandle)
                                                  : S().desktop;
    if (!parent) return nullptr;
    auto& list = parent->children;
    auto at = list.begin();
    if (childAfter) {
        Window* after = Find(childAfter);
        at = std::find(list.begin(), list.end(), after);
        if (!after || at == list.end()) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        ++at;
    }
    for (; at != list.end(); ++at)
        if (Matches(*at, className, windowName)) return (*at)->Handle();
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
}

HWND FindWindow(LPCSTR className, LPCSTR windowName) {
    return FindWindowEx(nullptr, nullptr, className, windowName);
}

HMENU GetMenu(HWND hwnd) {
    Window* w = Get(hwnd);
    if (!w || w->IsChild()) return nullptr;
    return w->menu;
}

BOOL SetMenu(HWND hwnd, HMENU menu) {
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    if (w->IsChild()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (menu && !IsMenu(menu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    w->menu = menu;
    return SetWindowPosInternal(w, nullptr, 0, 0, 0, 0,
                                SWP_FRAMECHANGED | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL DrawMenuBar(HWND hwnd) {
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    return RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
}

}  // namespace win32
