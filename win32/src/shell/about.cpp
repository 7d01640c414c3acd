// The about box.
#include <sys/utsname.h>

#include <functional>
#include <mutex>

#include "commdlg/classic_look.h"
#include "shell/shell_internal.h"
#include "win32/display.h"
#include "win32/messages.h"
#include "win32/sysinfo.h"
#include "win32/virtualkeys.h"

namespace win32 {

namespace {

constexpr char kAboutClass[] = "ZylShellAbout";
constexpr int kAboutWidth = 380;
constexpr int kAboutHeight = 214;
constexpr RECT kAboutOk{kAboutWidth - 87, kAboutHeight - 35, kAboutWidth - 12, kAboutHeight - 12};

struct AboutState {
    std::mutex mutex;
    std::vector<testing::ShellAboutRecord> log;
    std::function<void(HWND)> whileOpen;
};

AboutState& About() {
    static AboutState* state = [] {
        auto* created = new AboutState;
        testing::AddResetHook([created] {
            std::lock_guard lock(created->mutex);
            created->log.clear();
            created->whileOpen = nullptr;
        });
        return created;
    }();
    return *state;
}

struct AboutBox {
    HWND window = nullptr;
    HICON icon = nullptr;
    std::vector<std::string> lines;  // above the rule
    std::vector<std::string> facts;  // below it
    std::string closedBy;
};

thread_local AboutBox* currentAbout = nullptr;

std::string Grouped(unsigned long long value) {
    std::string digits = std::to_string(value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<size_t>(at), ",");
    return digits;
}

std::string PlatformLine() {
    utsname names{};
    if (uname(&names) != 0) return "Zyl platform";
    return std::string("Zyl platform on ") + names.sysname + " " + names.release + " (" + names.machine + ")";
}

std::vector<std::string> SystemFacts() {
    std::vector<std::string> facts{"Running for:"};
    char user[UNLEN + 1] = {};
    DWORD userSize = sizeof user;
    char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD computerSize = sizeof computer;
    const std::string who = GetUserName(user, &userSize) ? user : "";
    const std::string where = GetComputerName(computer, &computerSize) ? computer : "";
    facts.push_back("    " + who + (who.empty() || where.empty() ? "" : " on ") + where);
    MEMORYSTATUS memory{};
    memory.dwLength = sizeof memory;
    GlobalMemoryStatus(&memory);
    facts.push_back("Physical memory available: " + Grouped(memory.dwAvailPhys / 1024) + " KB");
    return facts;
}

void PaintAbout(HDC dc, const AboutBox& box) {
    const commdlg::Painter painter(dc);
    painter.Background(RECT{0, 0, kAboutWidth, kAboutHeight});
    DrawIcon(dc, 14, 14, box.icon);
    int y = 14;
    for (const auto& line : box.lines) {
        RECT text{60, y, kAboutWidth - 12, y + 16};
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        DrawText(dc, line.c_str(), static_cast<int>(line.size()), &text,
                 DT_LEFT | DT_TOP | DT_SINGLELINE | DT_END_ELLIPSIS);
        y += 16;
    }
    RECT rule{60, y + 8, kAboutWidth - 12, y + 10};
    DrawEdge(dc, &rule, EDGE_ETCHED, BF_TOP);
    y += 18;
    for (const auto& fact : box.facts) {
        painter.Label(60, y, fact);
        y += 16;
    }
    painter.Button(kAboutOk, "OK", true);
}

void CloseAbout(AboutBox& box, const char* how) {
    if (box.closedBy.empty()) box.closedBy = how;
}

LRESULT AboutProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    AboutBox* box = currentAbout;
    if (!box || box->window != hwnd) return DefWindowProc(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(hwnd, &paint);
            PaintAbout(dc, *box);
            EndPaint(hwnd, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_KEYDOWN:
            if (wParam == VK_RETURN || wParam == VK_SPACE) CloseAbout(*box, "Enter");
            if (wParam == VK_ESCAPE) CloseAbout(*box, "Escape");
            return 0;
        case WM_LBUTTONUP: {
            const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (PtInRect(&kAboutOk, at)) CloseAbout(*box, "OK");
            return 0;
        }
        case WM_CLOSE:
            CloseAbout(*box, "close box");
            return 0;
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

// Hands queued messages to their windows until the box is answered: with a display until then,
// headless only while there are any.
void RunAbout(AboutBox& box) {
    MSG message{};
    const bool live = display::IsLive();
    while (box.closedBy.empty() && IsWindow(box.window)) {
        if (live ? GetMessage(&message, nullptr, 0, 0) <= 0
                 : !PeekMessage(&message, nullptr, 0, 0, PM_REMOVE))
            break;
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessage(&message);
    }
}

}  // namespace

int ShellAbout(HWND hWnd, const char* szApp, const char* szOtherStuff, HICON hIcon) {
    testing::ShellAboutRecord record;
    record.app = szApp ? szApp : "";
    record.otherStuff = szOtherStuff ? szOtherStuff : "";
    record.icon = hIcon;
    AboutBox box;
    const size_t hash = record.app.find('#');
    record.caption = hash == std::string::npos ? "About " + record.app : record.app.substr(0, hash);
    box.lines.push_back(hash == std::string::npos ? record.app : record.app.substr(hash + 1));
    box.lines.push_back(PlatformLine());
    if (!record.otherStuff.empty()) box.lines.push_back(record.otherStuff);
    box.facts = SystemFacts();
    box.icon = hIcon ? hIcon : LoadIcon(nullptr, IDI_APPLICATION);
    std::function<void(HWND)> whileOpen;
    {
        auto& state = About();
        std::lock_guard lock(state.mutex);
        whileOpen = state.whileOpen;
    }
    commdlg::RegisterDialogClass(kAboutClass, AboutProcedure);
    box.window =
        commdlg::CreateDialogWindow(kAboutClass, record.caption.c_str(), hWnd, kAboutWidth, kAboutHeight);
    if (!box.window) return FALSE;
    AboutBox* previous = currentAbout;
    currentAbout = &box;
    SetForegroundWindow(box.window);
    SetFocus(box.window);
    UpdateWindow(box.window);
    // Modal: the owner takes no input while the box is up.
    const bool disableOwner = hWnd && IsWindow(hWnd) && IsWindowEnabled(hWnd);
    if (disableOwner) EnableWindow(hWnd, FALSE);
    if (whileOpen) whileOpen(box.window);
    RunAbout(box);
    if (disableOwner) EnableWindow(hWnd, TRUE);
    record.owner = GetWindow(box.window, GW_OWNER);
    GetWindowRect(box.window, &record.window);
    record.closedBy = box.closedBy.empty() ? "headless" : box.closedBy;
    currentAbout = previous;
    DestroyWindow(box.window);
    auto& state = About();
    std::lock_guard lock(state.mutex);
    state.log.push_back(std::move(record));
    return TRUE;
}

namespace testing {

std::vector<ShellAboutRecord> ShellAboutLog() {
    auto& state = About();
    std::lock_guard lock(state.mutex);
    return state.log;
}

void SetShellAboutWhileOpen(std::function<void(HWND box)> whileOpen) {
    auto& state = About();
    std::lock_guard lock(state.mutex);
    state.whileOpen = std::move(whileOpen);
}

}  // namespace testing

}  // namespace win32
