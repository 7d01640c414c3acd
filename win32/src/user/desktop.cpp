// The headless desktop: screen size, system metrics, SystemParametersInfo, beeps, carets, and the
// window manager's part of ResetPlatform.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "user/user_internal.h"
#include "win32/files.h"

namespace win32 {

namespace user {

namespace {

struct Desktop {
    int width = 1024;
    int height = 768;
    RECT workArea{0, 0, 1024, 768};
    bool screenSaveActive = true;
    bool screenSaverRunning = false;
    int screenSaveTimeout = 900;
    std::string wallpaper;
    int keyboardSpeed = 31;
    int keyboardDelay = 1;
    bool beep = true;
    int wheelLines = 3;
    bool dragFullWindows = true;
    bool menuDropRight = false;
    int hoverWidth = 4;
    int hoverHeight = 4;
    int hoverTime = 400;
    int menuShowDelay = 400;
    int caretWidth = 1;
    NONCLIENTMETRICS metrics{};
    LOGFONT iconFont{};
    bool iconTitleWrap = true;
    bool showSounds = false;
    bool fontSmoothing = false;
    int borderMultiplier = 1;
    int mouseParams[3] = {6, 10, 1};
};

std::mutex& DesktopMutex() {
    static std::mutex* mutex = new std::mutex;
    return *mutex;
}

LOGFONT ClassicFont(int weight) {
    LOGFONT f{};
    f.lfHeight = -11;
    f.lfWeight = weight;
    f.lfCharSet = 0;  // ANSI_CHARSET
    std::strncpy(f.lfFaceName, "MS Sans Serif", sizeof f.lfFaceName - 1);
    return f;
}

Desktop FreshDesktop() {
    Desktop d;
    auto& m = d.metrics;
    m.cbSize = sizeof(NONCLIENTMETRICS);
    m.iBorderWidth = 1;
    m.iScrollWidth = 16;
    m.iScrollHeight = 16;
    m.iCaptionWidth = 18;
    m.iCaptionHeight = 18;
    m.lfCaptionFont = ClassicFont(700);
    m.iSmCaptionWidth = 12;
    m.iSmCaptionHeight = 15;
    m.lfSmCaptionFont = ClassicFont(700);
    m.iMenuWidth = 18;
    m.iMenuHeight = 18;
    m.lfMenuFont = ClassicFont(400);
    m.lfStatusFont = ClassicFont(400);
    m.lfMessageFont = ClassicFont(400);
    m.iPaddedBorderWidth = 0;
    d.iconFont = ClassicFont(400);
    return d;
}

Desktop& D() {
    static Desktop* desktop = new Desktop(FreshDesktop());
    return *desktop;
}

std::vector<UINT>& BeepList() {
    static std::vector<UINT>* beeps = new std::vector<UINT>;
    return *beeps;
}

void BroadcastSettingChange(UINT action) {
    std::vector<HWND> tops;
    for (Window* w : TopLevelWindows(false))
        tops.push_back(w->Handle());
    for (HWND h : tops)
        if (Window* w = Find(h); w && w->thread == CurrentThread()) Send(w, WM_SETTINGCHANGE, action, 0);
}

void ResetAll() {
    session::ResetSession();
    ResetWindows();
    ResetHooks();
    ResetMessages();
    ResetInput();
    ResetDesktop();
    ResetClipboard();
}

const bool desktopReset = (testing::AddResetHook(ResetAll), true);

}  // namespace

std::mutex& BeepMutex() {
    static std::mutex* mutex = new std::mutex;
    return *mutex;
}

void StartScreenSaver() {
    std::lock_guard lock(DesktopMutex());
    if (D().screenSaveActive) D().screenSaverRunning = true;
}

void StopScreenSaver() {
    std::lock_guard lock(DesktopMutex());
    D().screenSaverRunning = false;
}

void ResetDesktop() {
    auto& s = S();
    {
        std::lock_guard lock(DesktopMutex());
        D() = FreshDesktop();
    }
    {
        std::lock_guard lock(BeepMutex());
        BeepList().clear();
    }
    s.timers.clear();
    s.timerOrder = 0;
    s.nextTimerId = 0x7FF0;
    s.caret = Caret{};
    s.caretBlinkTime = 530;
    s.modalScript = nullptr;
    s.moveSize = nullptr;
    for (auto& [dc, hwnd] : s.dcs)
        DeleteDC(MakeHandle<HDC>(dc));
    s.dcs.clear();
    DiscardAllSavedBits();
    gdi::ResizeScreenSurface(1024, 768);
    (void)desktopReset;
}

void DestroyCaretOf(Window* w) {
    auto& s = S();
    if (s.caret.hwnd == w->Handle()) s.caret = Caret{};
}

void HideCaretForPaint(Window* w) {
    auto& s = S();
    if (s.caret.hwnd == w->Handle()) ++s.caret.hidden;
}

void ShowCaretAfterPaint(Window* w) {
    auto& s = S();
    if (s.caret.hwnd == w->Handle() && s.caret.hidden > 0) --s.caret.hidden;
}

}  // namespace user

using namespace user;

int GetSystemMetrics(int index) {
    int width, height;
    RECT work;
    {
        std::lock_guard lock(DesktopMutex());
        width = D().width;
        height = D().height;
        work = D().workArea;
    }
    const int frame = 4, caption = 18;
    switch (index) {
        case SM_CXSCREEN:
        case SM_CXVIRTUALSCREEN:
            return width;
        case SM_CYSCREEN:
        case SM_CYVIRTUALSCREEN:
            return height;
        case SM_XVIRTUALSCREEN:
        case SM_YVIRTUALSCREEN:
            return 0;
        case SM_CXVSCROLL:
        case SM_CYHSCROLL:
        case SM_CYVSCROLL:
        case SM_CXHSCROLL:
        case SM_CYVTHUMB:
        case SM_CXHTHUMB:
            return 16;
        case SM_CYCAPTION:
            return caption;
        case SM_CXBORDER:
        case SM_CYBORDER:
            return 1;
        case SM_CXDLGFRAME:
        case SM_CYDLGFRAME:
            return 3;
        case SM_CXFRAME:
        case SM_CYFRAME:
            return frame;
        case SM_CXICON:
        case SM_CYICON:
        case SM_CXCURSOR:
        case SM_CYCURSOR:
            return 32;
        case SM_CXSMICON:
        case SM_CYSMICON:
            return 16;
        case SM_CYMENU:
            return 19;
        case SM_CXFULLSCREEN:
            return work.right - work.left;
        case SM_CYFULLSCREEN:
            return work.bottom - work.top - caption;
        case SM_CYKANJIWINDOW:
            return 0;
        case SM_MOUSEPRESENT:
            return 1;
        case SM_DEBUG:
            return 0;
        case SM_SWAPBUTTON:
            return S().swapButtons ? 1 : 0;
        case SM_CXMIN:
            return 112;
        case SM_CYMIN:
            return 27;
        case SM_CXSIZE:
        case SM_CYSIZE:
            return 18;
        case SM_CXMINTRACK:
            return 112;
        case SM_CYMINTRACK:
            return 27;
        case SM_CXDOUBLECLK:
            return S().doubleClickWidth;
        case SM_CYDOUBLECLK:
            return S().doubleClickHeight;
        case SM_CXICONSPACING:
        case SM_CYICONSPACING:
            return 75;
        case SM_MENUDROPALIGNMENT: {
            std::lock_guard lock(DesktopMutex());
            return D().menuDropRight ? 1 : 0;
        }
        case SM_PENWINDOWS:
        case SM_DBCSENABLED:
            return 0;
        case SM_CMOUSEBUTTONS:
            return 3;
        case SM_SECURE:
            return 0;
        case SM_CXEDGE:
        case SM_CYEDGE:
            return 2;
        case SM_CXMINSPACING:
            return 160;
        case SM_CYMINSPACING:
            return 24;
        case SM_CYSMCAPTION:
            return 15;
        case SM_CXSMSIZE:
        case SM_CYSMSIZE:
            return 12;
        case SM_CXMENUSIZE:
        case SM_CYMENUSIZE:
            return 18;
        case SM_ARRANGE:
            return 8;  // ARW_HIDE
        case SM_CXMINIMIZED:
            return 160;
        case SM_CYMINIMIZED:
            return 24;
        case SM_CXMAXTRACK:
            return width + 2 * frame + 4;
        case SM_CYMAXTRACK:
            return height + 2 * frame + 4;
        case SM_CXMAXIMIZED:
            return work.right - work.left + 2 * frame;
        case SM_CYMAXIMIZED:
            return work.bottom - work.top + 2 * frame;
        case SM_NETWORK:
            return 1;
        case SM_CLEANBOOT:
            return 0;
        case SM_CXDRAG:
        case SM_CYDRAG:
            return 4;
        case SM_SHOWSOUNDS:
            return 0;
        case SM_CXMENUCHECK:
        case SM_CYMENUCHECK:
            return 13;
        case SM_SLOWMACHINE:
        case SM_MIDEASTENABLED:
            return 0;
        case SM_MOUSEWHEELPRESENT:
            return 1;
        case SM_CMONITORS:
            return 1;
        case SM_SAMEDISPLAYFORMAT:
            return 1;
        case SM_CXFOCUSBORDER:
        case SM_CYFOCUSBORDER:
            return 1;
        case SM_REMOTESESSION:
            return 0;
        default:
            return 0;
    }
}

BOOL SystemParametersInfo(UINT action, UINT uiParam, LPVOID pv, UINT winIni) {
    auto& s = S();
    bool changed = false;
    auto fail = [] {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    };
    {
        std::unique_lock lock(DesktopMutex());
        auto& d = D();
        auto getInt = [&](int value) {
            if (!pv) return false;
            *static_cast<int*>(pv) = value;
            return true;
        };
        auto getBool = [&](bool value) {
            if (!pv) return false;
            *static_cast<BOOL*>(pv) = value ? TRUE : FALSE;
            return true;
        };
        switch (action) {
            case SPI_GETWORKAREA:
                if (!pv) return fail();
                *static_cast<RECT*>(pv) = d.workArea;
                return TRUE;
            case SPI_SETWORKAREA: {
                RECT r = pv ? *static_cast<RECT*>(pv) : RECT{0, 0, d.width, d.height};
                if (r.left < 0 || r.top < 0 || r.right > d.width || r.bottom > d.height ||
                    r.right <= r.left || r.bottom <= r.top)
                    return fail();
                d.workArea = r;
                changed = true;
                break;
            }
            case SPI_GETSCREENSAVEACTIVE:
                if (!getBool(d.screenSaveActive)) return fail();
                return TRUE;
            case SPI_SETSCREENSAVEACTIVE:
                d.screenSaveActive = uiParam != 0;
                changed = true;
                break;
            case SPI_GETSCREENSAVETIMEOUT:
                if (!getInt(d.screenSaveTimeout)) return fail();
                return TRUE;
            case SPI_SETSCREENSAVETIMEOUT:
                if (uiParam == 0) return fail();
                d.screenSaveTimeout = static_cast<int>(uiParam);
                changed = true;
                break;
            case SPI_GETSCREENSAVERRUNNING:
                if (!getBool(d.screenSaverRunning)) return fail();
                return TRUE;
            case SPI_SETDESKWALLPAPER: {
                // Like the system, a picture that is not there is refused; an empty name clears it.
                const std::string name = pv ? static_cast<const char*>(pv) : "";
                if (!name.empty()) {
                    const std::string native = NativePath(name);
                    struct stat info {};
                    if (native.empty() || ::stat(native.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
                        SetLastError(ERROR_FILE_NOT_FOUND);
                        return FALSE;
                    }
                }
                d.wallpaper = name;
                changed = true;
                break;
            }
            case SPI_GETDESKWALLPAPER:
                if (!pv || uiParam == 0) return fail();
                CopyText(d.wallpaper, static_cast<char*>(pv), uiParam);
                return TRUE;
            case SPI_GETNONCLIENTMETRICS: {
                auto* m = static_cast<NONCLIENTMETRICS*>(pv);
                const UINT size = m ? m->cbSize : 0;
                if (!m ||
                    (size != sizeof(NONCLIENTMETRICS) && size != sizeof(NONCLIENTMETRICS) - sizeof(int)))
                    return fail();
                std::memcpy(m, &d.metrics, size);
                m->cbSize = size;
                return TRUE;
            }
            case SPI_SETNONCLIENTMETRICS: {
                auto* m = static_cast<NONCLIENTMETRICS*>(pv);
                const UINT size = m ? m->cbSize : 0;
                if (!m ||
                    (size != sizeof(NONCLIENTMETRICS) && size != sizeof(NONCLIENTMETRICS) - sizeof(int)))
                    return fail();
                std::memcpy(&d.metrics, m, size);
                d.metrics.cbSize = sizeof(NONCLIENTMETRICS);
                changed = true;
                break;
            }
            case SPI_GETICONTITLELOGFONT:
                if (!pv || (uiParam != 0 && uiParam != sizeof(LOGFONT))) return fail();
                *static_cast<LOGFONT*>(pv) = d.iconFont;
                return TRUE;
            case SPI_SETICONTITLELOGFONT:
                if (!pv) return fail();
                d.iconFont = *static_cast<LOGFONT*>(pv);
                changed = true;
                break;
            case SPI_GETKEYBOARDSPEED:
                if (!getInt(d.keyboardSpeed)) return fail();
                return TRUE;
            case SPI_SETKEYBOARDSPEED:
                d.keyboardSpeed = std::min<int>(static_cast<int>(uiParam), 31);
                changed = true;
                break;
            case SPI_GETKEYBOARDDELAY:
                if (!getInt(d.keyboardDelay)) return fail();
                return TRUE;
            case SPI_SETKEYBOARDDELAY:
                d.keyboardDelay = std::min<int>(static_cast<int>(uiParam), 3);
                changed = true;
                break;
            case SPI_GETBEEP:
                if (!getBool(d.beep)) return fail();
                return TRUE;
            case SPI_SETBEEP:
                d.beep = uiParam != 0;
                changed = true;
                break;
            case SPI_GETMOUSE:
                if (!pv) return fail();
                std::memcpy(pv, d.mouseParams, sizeof d.mouseParams);
                return TRUE;
            case SPI_SETMOUSE:
                if (!pv) return fail();
                std::memcpy(d.mouseParams, pv, sizeof d.mouseParams);
                changed = true;
                break;
            case SPI_GETBORDER:
                if (!getInt(d.borderMultiplier)) return fail();
                return TRUE;
            case SPI_SETBORDER:
                d.borderMultiplier = std::max<int>(1, static_cast<int>(uiParam));
                changed = true;
                break;
            case SPI_GETWHEELSCROLLLINES:
                if (!pv) return fail();
                *static_cast<UINT*>(pv) = static_cast<UINT>(d.wheelLines);
                return TRUE;
            case SPI_SETWHEELSCROLLLINES:
                d.wheelLines = static_cast<int>(uiParam);
                changed = true;
                break;
            case SPI_GETDRAGFULLWINDOWS:
                if (!getBool(d.dragFullWindows)) return fail();
                return TRUE;
            case SPI_SETDRAGFULLWINDOWS:
                d.dragFullWindows = uiParam != 0;
                changed = true;
                break;
            case SPI_GETMENUDROPALIGNMENT:
                if (!getBool(d.menuDropRight)) return fail();
                return TRUE;
            case SPI_SETMENUDROPALIGNMENT:
                d.menuDropRight = uiParam != 0;
                changed = true;
                break;
            case SPI_GETICONTITLEWRAP:
                if (!getBool(d.iconTitleWrap)) return fail();
                return TRUE;
            case SPI_SETICONTITLEWRAP:
                d.iconTitleWrap = uiParam != 0;
                changed = true;
                break;
            case SPI_GETSHOWSOUNDS:
                if (!getBool(d.showSounds)) return fail();
                return TRUE;
            case SPI_SETSHOWSOUNDS:
                d.showSounds = uiParam != 0;
                changed = true;
                break;
            case SPI_GETFONTSMOOTHING:
                if (!getBool(d.fontSmoothing)) return fail();
                return TRUE;
            case SPI_SETFONTSMOOTHING:
                d.fontSmoothing = uiParam != 0;
                changed = true;
                break;
            case SPI_GETMOUSEHOVERWIDTH:
                if (!getInt(d.hoverWidth)) return fail();
                return TRUE;
            case SPI_SETMOUSEHOVERWIDTH:
                d.hoverWidth = static_cast<int>(uiParam);
                changed = true;
                break;
            case SPI_GETMOUSEHOVERHEIGHT:
                if (!getInt(d.hoverHeight)) return fail();
                return TRUE;
            case SPI_SETMOUSEHOVERHEIGHT:
                d.hoverHeight = static_cast<int>(uiParam);
                changed = true;
                break;
            case SPI_GETMOUSEHOVERTIME:
                if (!getInt(d.hoverTime)) return fail();
                return TRUE;
            case SPI_SETMOUSEHOVERTIME:
                d.hoverTime = static_cast<int>(uiParam);
                changed = true;
                break;
            case SPI_GETMENUSHOWDELAY:
                if (!getInt(d.menuShowDelay)) return fail();
                return TRUE;
            case SPI_SETMENUSHOWDELAY:
                d.menuShowDelay = static_cast<int>(uiParam);
                changed = true;
                break;
            case SPI_GETCARETWIDTH:
                if (!pv) return fail();
                *static_cast<DWORD*>(pv) = static_cast<DWORD>(d.caretWidth);
                return TRUE;
            case SPI_SETCARETWIDTH:
                if (uiParam == 0) return fail();
                d.caretWidth = static_cast<int>(uiParam);
                changed = true;
                break;
            // The classic desktop: no animations, fades, shadows, gradients or flat menus.
            case SPI_GETMENUANIMATION:
            case SPI_GETCOMBOBOXANIMATION:
            case SPI_GETLISTBOXSMOOTHSCROLLING:
            case SPI_GETGRADIENTCAPTIONS:
            case SPI_GETHOTTRACKING:
            case SPI_GETMENUFADE:
            case SPI_GETSELECTIONFADE:
            case SPI_GETTOOLTIPANIMATION:
            case SPI_GETTOOLTIPFADE:
            case SPI_GETCURSORSHADOW:
            case SPI_GETFLATMENU:
            case SPI_GETDROPSHADOW:
            case SPI_GETUIEFFECTS:
                if (!getBool(false)) return fail();
                return TRUE;
            case SPI_GETKEYBOARDCUES:
                if (!getBool(true)) return fail();
                return TRUE;
            case SPI_SETDOUBLECLICKTIME:
                lock.unlock();
                SetDoubleClickTime(uiParam);
                lock.lock();
                changed = true;
                break;
            case SPI_SETDOUBLECLKWIDTH:
                s.doubleClickWidth = static_cast<int>(uiParam);
                changed = true;
                break;
            case SPI_SETDOUBLECLKHEIGHT:
                s.doubleClickHeight = static_cast<int>(uiParam);
                changed = true;
                break;
            case SPI_SETMOUSEBUTTONSWAP:
                s.swapButtons = uiParam != 0;
                changed = true;
                break;
            default:
                return fail();
        }
    }
    if (changed && (winIni & SPIF_SENDCHANGE)) BroadcastSettingChange(action);
    return TRUE;
}

BOOL MessageBeep(UINT type) {
    std::lock_guard lock(BeepMutex());
    BeepList().push_back(type);
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Carets

BOOL CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height) {
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    if (w->thread != CurrentThread()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    auto& s = S();
    Caret caret;
    caret.hwnd = hwnd;
    caret.bitmap = bitmap;
    if (bitmap && bitmap != MakeHandle<HBITMAP>(1)) {
        BITMAP info{};
        if (GetObject(bitmap, sizeof info, &info)) {
            width = info.bmWidth;
            height = info.bmHeight;
        }
    }
    caret.width = width > 0 ? width : GetSystemMetrics(SM_CXBORDER);
    caret.height = height > 0 ? height : GetSystemMetrics(SM_CYBORDER);
    s.caret = caret;
    return TRUE;
}

BOOL DestroyCaret() {
    auto& s = S();
    if (!s.caret.hwnd) return FALSE;
    s.caret = Caret{};
    return TRUE;
}

BOOL ShowCaret(HWND hwnd) {
    auto& s = S();
    if (!s.caret.hwnd || (hwnd && hwnd != s.caret.hwnd)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (s.caret.hidden == 0) return FALSE;
    --s.caret.hidden;
    return TRUE;
}

BOOL HideCaret(HWND hwnd) {
    auto& s = S();
    if (!s.caret.hwnd || (hwnd && hwnd != s.caret.hwnd)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    ++s.caret.hidden;
    return TRUE;
}

BOOL SetCaretPos(int x, int y) {
    auto& s = S();
    if (!s.caret.hwnd) return FALSE;
    s.caret.pos = POINT{x, y};
    return TRUE;
}

BOOL GetCaretPos(POINT* point) {
    auto& s = S();
    if (!point || !s.caret.hwnd) return FALSE;
    *point = s.caret.pos;
    return TRUE;
}

UINT GetCaretBlinkTime() {
    return S().caretBlinkTime;
}

BOOL SetCaretBlinkTime(UINT milliseconds) {
    S().caretBlinkTime = milliseconds;
    return TRUE;
}

namespace testing {

void SetScreenSize(int width, int height) {
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384)
        throw std::invalid_argument("screen size out of range");
    {
        std::lock_guard lock(DesktopMutex());
        auto& d = D();
        const bool wholeScreen = d.workArea.left == 0 && d.workArea.top == 0 && d.workArea.right == d.width &&
                                 d.workArea.bottom == d.height;
        d.width = width;
        d.height = height;
        if (wholeScreen)
            d.workArea = RECT{0, 0, width, height};
        else
            d.workArea =
                RECT{std::min<LONG>(d.workArea.left, width - 1), std::min<LONG>(d.workArea.top, height - 1),
                     std::min<LONG>(d.workArea.right, width), std::min<LONG>(d.workArea.bottom, height)};
    }
    DiscardAllSavedBits();
    gdi::ResizeScreenSurface(width, height);
    SetDesktopSize(width, height);
    // The new screen starts blank: everything on it paints again.
    if (Window* desktop = S().desktop) {
        InvalidateInternal(desktop, Region::FromRect(RECT{0, 0, width, height}), true, true, false);
        for (Window* w : desktop->children)
            if (w->style & WS_VISIBLE) MarkFrames(w);
    }
    std::vector<HWND> tops;
    for (Window* w : TopLevelWindows(false))
        tops.push_back(w->Handle());
    for (HWND h : tops)
        if (Window* w = Find(h); w && w->thread == CurrentThread())
            Send(w, WM_DISPLAYCHANGE, 32, MAKELPARAM(static_cast<WORD>(width), static_cast<WORD>(height)));
}

std::vector<UINT> Beeps() {
    std::lock_guard lock(BeepMutex());
    return BeepList();
}

std::string Wallpaper() {
    std::lock_guard lock(DesktopMutex());
    return D().wallpaper;
}

bool CaretShown(RECT* rect) {
    auto& s = S();
    if (rect)
        *rect =
            RECT{s.caret.pos.x, s.caret.pos.y, s.caret.pos.x + s.caret.width, s.caret.pos.y + s.caret.height};
    return s.caret.hwnd && s.caret.hidden == 0;
}

}  // namespace testing

}  // namespace win32
