#include <cstring>
#include <fstream>
#include <string>

#include "recorder.h"
#include "support/tempdir.h"
#include "win32/gdi.h"

namespace usertest {
namespace {

using Desktop = UserTest;

TEST_F(Desktop, ClassicMetrics) {
    const std::pair<int, int> cases[] = {
        {SM_CXSCREEN, 1024},    {SM_CYSCREEN, 768},     {SM_CXVSCROLL, 16},  {SM_CYHSCROLL, 16},
        {SM_CYCAPTION, 18},     {SM_CXBORDER, 1},       {SM_CYBORDER, 1},    {SM_CXDLGFRAME, 3},
        {SM_CXFRAME, 4},        {SM_CXICON, 32},        {SM_CXSMICON, 16},   {SM_CXCURSOR, 32},
        {SM_CYMENU, 19},        {SM_CXEDGE, 2},         {SM_CXDOUBLECLK, 4}, {SM_CXMINTRACK, 112},
        {SM_MOUSEPRESENT, 1},   {SM_CMOUSEBUTTONS, 3},  {SM_SWAPBUTTON, 0},  {SM_CXFULLSCREEN, 1024},
        {SM_CYFULLSCREEN, 750}, {SM_CXMAXIMIZED, 1032},
    };
    for (auto [index, value] : cases)
        EXPECT_EQ(GetSystemMetrics(index), value) << index;
}

TEST_F(Desktop, SystemColourChangesReachEveryTopLevelWindow) {
    HWND first = Top(), second = Top();
    HWND child = Child(first, 0, 0, 10, 10);
    const int index = COLOR_BTNFACE;
    const COLORREF colour = RGB(1, 2, 3);
    ASSERT_TRUE(SetSysColors(1, &index, &colour));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), colour);
    EXPECT_EQ(MessagesOf(first, {WM_SYSCOLORCHANGE}).size(), 1u);
    EXPECT_EQ(MessagesOf(second, {WM_SYSCOLORCHANGE}).size(), 1u);
    EXPECT_TRUE(MessagesOf(child, {WM_SYSCOLORCHANGE}).empty());  // forwarding is the top window's business
    win32::testing::ResetPlatform();
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(192, 192, 192));
}

TEST_F(Desktop, ScreenSizeMovesMetricsAndWorkArea) {
    HWND w = Top();
    win32::testing::SetScreenSize(800, 600);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
    RECT work;
    SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(work.right, 800);
    EXPECT_EQ(work.bottom, 600);
    EXPECT_EQ(MessagesOf(w, {WM_DISPLAYCHANGE}).size(), 1u);
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    EXPECT_EQ(desktop.right, 800);
    EXPECT_THROW(win32::testing::SetScreenSize(0, 10), std::invalid_argument);
}

TEST_F(Desktop, SettingsRoundTripAndBroadcastOnRequest) {
    HWND w = Top();
    RECT area{0, 0, 1024, 740};
    EXPECT_TRUE(SystemParametersInfo(SPI_SETWORKAREA, 0, &area, SPIF_SENDCHANGE));
    EXPECT_EQ(MessagesOf(w, {WM_SETTINGCHANGE}).size(), 1u);
    EXPECT_EQ(Log().back().wParam, SPI_SETWORKAREA);
    RECT back;
    SystemParametersInfo(SPI_GETWORKAREA, 0, &back, 0);
    EXPECT_EQ(back.bottom, 740);
    ShowWindow(w, SW_MAXIMIZE);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.bottom, 744);

    BOOL active = FALSE;
    SystemParametersInfo(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, 0);
    SystemParametersInfo(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    EXPECT_FALSE(active);
    int timeout = 0;
    SystemParametersInfo(SPI_SETSCREENSAVETIMEOUT, 300, nullptr, 0);
    SystemParametersInfo(SPI_GETSCREENSAVETIMEOUT, 0, &timeout, 0);
    EXPECT_EQ(timeout, 300);
    zyltest::TempDir pictures;
    std::string wallpaper = pictures.File("picture.bmp");
    std::ofstream(wallpaper) << "BM";
    EXPECT_TRUE(SystemParametersInfo(SPI_SETDESKWALLPAPER, 0, wallpaper.data(), SPIF_UPDATEINIFILE));
    EXPECT_EQ(win32::testing::Wallpaper(), wallpaper);
    char read[256];
    SystemParametersInfo(SPI_GETDESKWALLPAPER, sizeof read, read, 0);
    EXPECT_EQ(std::string(read), wallpaper);
    // A picture that is not there is refused and the wallpaper stays; an empty name clears it.
    std::string missing = pictures.File("missing.bmp");
    EXPECT_FALSE(SystemParametersInfo(SPI_SETDESKWALLPAPER, 0, missing.data(), SPIF_UPDATEINIFILE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(win32::testing::Wallpaper(), wallpaper);
    char none[] = "";
    EXPECT_TRUE(SystemParametersInfo(SPI_SETDESKWALLPAPER, 0, none, SPIF_UPDATEINIFILE));
    EXPECT_EQ(win32::testing::Wallpaper(), "");
    int speed = -1;
    SystemParametersInfo(SPI_GETKEYBOARDSPEED, 0, &speed, 0);
    EXPECT_EQ(speed, 31);
    EXPECT_FALSE(SystemParametersInfo(0x7777, 0, nullptr, 0));
    EXPECT_FALSE(SystemParametersInfo(SPI_GETWORKAREA, 0, nullptr, 0));
    RECT bad{10, 10, 5, 5};
    EXPECT_FALSE(SystemParametersInfo(SPI_SETWORKAREA, 0, &bad, 0));
}

TEST_F(Desktop, NonClientMetricsCarryTheClassicFonts) {
    NONCLIENTMETRICS m{};
    m.cbSize = sizeof m;
    ASSERT_TRUE(SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0));
    EXPECT_EQ(m.iCaptionHeight, 18);
    EXPECT_STREQ(m.lfMessageFont.lfFaceName, "MS Sans Serif");
    EXPECT_EQ(m.lfCaptionFont.lfWeight, 700);
    m.cbSize = 12;
    EXPECT_FALSE(SystemParametersInfo(SPI_GETNONCLIENTMETRICS, 0, &m, 0));
    LOGFONT icon{};
    ASSERT_TRUE(SystemParametersInfo(SPI_GETICONTITLELOGFONT, sizeof icon, &icon, 0));
    EXPECT_EQ(icon.lfHeight, -11);
}

TEST_F(Desktop, BeepsAreRecordedAndReset) {
    MessageBeep(MB_ICONHAND);
    MessageBeep(MB_OK);
    EXPECT_EQ(win32::testing::Beeps(), (std::vector<UINT>{MB_ICONHAND, MB_OK}));
    win32::testing::ResetPlatform();
    EXPECT_TRUE(win32::testing::Beeps().empty());
}

TEST_F(Desktop, CaretShowsHidesAndFollowsPainting) {
    HWND w = Top();
    EXPECT_FALSE(ShowCaret(w));
    ASSERT_TRUE(CreateCaret(w, nullptr, 2, 14));
    EXPECT_FALSE(win32::testing::CaretShown());
    EXPECT_TRUE(ShowCaret(w));
    SetCaretPos(5, 6);
    RECT r;
    EXPECT_TRUE(win32::testing::CaretShown(&r));
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.right, 7);
    EXPECT_EQ(r.bottom, 20);
    HideCaret(w);
    HideCaret(w);
    ShowCaret(w);
    EXPECT_FALSE(win32::testing::CaretShown());
    ShowCaret(w);
    PAINTSTRUCT ps;
    BeginPaint(w, &ps);
    EXPECT_FALSE(win32::testing::CaretShown());
    EndPaint(w, &ps);
    EXPECT_TRUE(win32::testing::CaretShown());
    POINT p;
    GetCaretPos(&p);
    EXPECT_EQ(p.y, 6);
    DestroyWindow(w);
    EXPECT_FALSE(GetCaretPos(&p));
}

using GlobalMemory = UserTest;

TEST_F(GlobalMemory, MoveableBlocksLockAndFree) {
    HGLOBAL h = GlobalAlloc(GHND, 10);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GlobalSize(h), 10u);
    auto* p = static_cast<char*>(GlobalLock(h));
    EXPECT_EQ(p[9], 0);
    EXPECT_EQ(GlobalFlags(h) & 0xFF, 1u);
    EXPECT_FALSE(GlobalUnlock(h));
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    h = GlobalReAlloc(h, 20, GMEM_MOVEABLE);
    EXPECT_EQ(GlobalSize(h), 20u);
    EXPECT_EQ(GlobalFree(h), nullptr);
    EXPECT_EQ(GlobalFree(h), h);
    EXPECT_EQ(GlobalLock(h), nullptr);
    EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, GLOBAL_MEMORY_LIMIT + 1), nullptr);
}

TEST_F(GlobalMemory, FixedBlocksAreTheirOwnAddress) {
    HGLOBAL h = GlobalAlloc(GPTR, 4);
    EXPECT_EQ(GlobalLock(h), h);
    std::memcpy(h, "abc", 4);
    EXPECT_EQ(GlobalSize(h), 4u);
    GlobalFree(h);
}

using ClipboardTest = UserTest;

HGLOBAL Text(const char* text) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, std::strlen(text) + 1);
    std::memcpy(GlobalLock(h), text, std::strlen(text) + 1);
    GlobalUnlock(h);
    return h;
}

TEST_F(ClipboardTest, TextRoundTripsAndConvertsToUnicode) {
    HWND w = Top();
    EXPECT_EQ(SetClipboardData(CF_TEXT, Text("x")), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CLIPBOARD_NOT_OPEN);
    ASSERT_TRUE(OpenClipboard(w));
    EXPECT_FALSE(OpenClipboard(Top()));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_NE(SetClipboardData(CF_TEXT, Text("Grüße €")), nullptr);
    const UINT custom = RegisterClipboardFormat("Zyl Rich");
    SetClipboardData(custom, Text("{rich}"));
    ASSERT_TRUE(CloseClipboard());
    EXPECT_EQ(GetClipboardOwner(), w);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    EXPECT_EQ(CountClipboardFormats(), 4);

    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE unicode = GetClipboardData(CF_UNICODETEXT);
    ASSERT_NE(unicode, nullptr);
    const auto* wide = static_cast<const uint16_t*>(GlobalLock(unicode));
    EXPECT_EQ(wide[2], 0xFC);
    EXPECT_EQ(wide[6], 0x20AC);
    EXPECT_EQ(wide[7], 0);
    GlobalUnlock(unicode);
    std::vector<UINT> formats;
    for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f))
        formats.push_back(f);
    EXPECT_EQ(formats, (std::vector<UINT>{CF_TEXT, custom, CF_UNICODETEXT, CF_OEMTEXT}));
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(GetClipboardData(custom))), "{rich}");
    CloseClipboard();
    char name[32];
    EXPECT_EQ(GetClipboardFormatName(custom, name, sizeof name), 8);
    EXPECT_STREQ(name, "Zyl Rich");
}

TEST_F(ClipboardTest, UnicodeTextBecomesUtf8Text) {
    HWND w = Top();
    OpenClipboard(w);
    EmptyClipboard();
    const uint16_t text[] = {'h', 0xE9, 0xD83D, 0xDE00, 0};
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
    std::memcpy(GlobalLock(h), text, sizeof text);
    GlobalUnlock(h);
    SetClipboardData(CF_UNICODETEXT, h);
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(GetClipboardData(CF_TEXT))),
                 "h\xC3\xA9\xF0\x9F\x98\x80");
    CloseClipboard();
}

TEST_F(ClipboardTest, DelayedRenderingAsksTheOwner) {
    HWND w = Top();
    int asked = 0;
    Handlers()[w] = [&](HWND, UINT m, WPARAM format, LPARAM, LRESULT*) {
        if (m == WM_RENDERFORMAT) {
            ++asked;
            SetClipboardData(static_cast<UINT>(format), Text("late"));
        }
        return false;
    };
    OpenClipboard(w);
    EmptyClipboard();
    SetClipboardData(CF_TEXT, nullptr);
    CloseClipboard();
    OpenClipboard(nullptr);
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(GetClipboardData(CF_TEXT))), "late");
    EXPECT_EQ(asked, 1);
    CloseClipboard();
}

TEST_F(ClipboardTest, ViewerChainHearsChangesAndRemovals) {
    HWND first = Top(), second = Top();
    HWND next[2] = {nullptr, nullptr};
    std::vector<HWND> drawn;
    auto viewer = [&](int index) {
        return [&, index](HWND h, UINT m, WPARAM wp, LPARAM lp, LRESULT*) {
            if (m == WM_DRAWCLIPBOARD) {
                drawn.push_back(h);
                if (next[index]) SendMessage(next[index], m, wp, lp);
            } else if (m == WM_CHANGECBCHAIN) {
                if (reinterpret_cast<HWND>(wp) == next[index])
                    next[index] = reinterpret_cast<HWND>(lp);
                else if (next[index])
                    SendMessage(next[index], m, wp, lp);
            }
            return false;
        };
    };
    Handlers()[first] = viewer(0);
    Handlers()[second] = viewer(1);
    next[0] = SetClipboardViewer(first);
    next[1] = SetClipboardViewer(second);
    EXPECT_EQ(next[1], first);
    EXPECT_EQ(GetClipboardViewer(), second);
    drawn.clear();
    OpenClipboard(first);
    EmptyClipboard();
    SetClipboardData(CF_TEXT, Text("a"));
    CloseClipboard();
    EXPECT_EQ(drawn, (std::vector<HWND>{second, first}));
    ChangeClipboardChain(first, next[0]);
    EXPECT_EQ(next[1], nullptr);
    drawn.clear();
    OpenClipboard(second);
    EmptyClipboard();
    CloseClipboard();
    EXPECT_EQ(drawn, (std::vector<HWND>{second}));
    const DWORD sequence = GetClipboardSequenceNumber();
    OpenClipboard(second);
    EmptyClipboard();
    CloseClipboard();
    EXPECT_GT(GetClipboardSequenceNumber(), sequence);
}

}  // namespace
}  // namespace usertest
