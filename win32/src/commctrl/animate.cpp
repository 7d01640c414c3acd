// The animation control ("SysAnimate32"): a clip opened from a resource or a file, one frame shown,
// and a play range stepped through on a window timer.
#include <fstream>
#include <iterator>
#include <memory>
#include <unordered_map>

#include "commctrl/commctrl_internal.h"
#include "win32/avi.h"
#include "win32/commctrl.h"
#include "win32/gdi.h"
#include "win32/kernel.h"
#include "win32/resources.h"

namespace win32 {

namespace animate {
namespace {

constexpr UINT_PTR kPlayTimer = 1;

struct Animation {
    HWND window = nullptr;
    std::unique_ptr<AviClip> clip;
    COLORREF transparent = 0;  // the first frame's top-left pixel
    // The range being played: its frames, the plays left (-1 endless), and whether it plays.
    int from = 0, to = 0, repeatsLeft = 0;
    bool playing = false;
};

std::unordered_map<HWND, std::unique_ptr<Animation>>& Animations() {
    static std::unordered_map<HWND, std::unique_ptr<Animation>> animations;
    return animations;
}

Animation& Attach(HWND window) {
    auto& slot = Animations()[window];
    if (!slot) {
        slot = std::make_unique<Animation>();
        slot->window = window;
    }
    return *slot;
}

DWORD Style(const Animation& a) {
    return static_cast<DWORD>(GetWindowLongPtr(a.window, GWL_STYLE));
}

void NotifyParent(const Animation& a, WORD code) {
    const auto id = static_cast<WORD>(GetWindowLongPtr(a.window, GWL_ID));
    SendMessage(GetParent(a.window), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(a.window));
}

bool Stop(Animation& a) {
    if (!a.playing) return false;
    a.playing = false;
    KillTimer(a.window, kPlayTimer);
    NotifyParent(a, ACN_STOP);
    return true;
}

// The clip's bytes: the module's "AVI" resource of that name, else the file of that name.
std::vector<uint8_t> ReadClip(HINSTANCE module, const char* name) {
    if (HRSRC resource = FindResource(reinterpret_cast<HMODULE>(module), name, RT_AVI)) {
        const auto* bytes = static_cast<const uint8_t*>(
            LockResource(LoadResource(reinterpret_cast<HMODULE>(module), resource)));
        return std::vector<uint8_t>(bytes,
                                    bytes + SizeofResource(reinterpret_cast<HMODULE>(module), resource));
    }
    if (IS_INTRESOURCE(name)) return {};
    std::ifstream file(name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

BOOL Open(Animation& a, HINSTANCE module, const char* name) {
    Stop(a);
    a.clip.reset();
    InvalidateRect(a.window, nullptr, TRUE);
    if (!name || (!IS_INTRESOURCE(name) && !*name)) return TRUE;
    a.clip = AviClip::Parse(ReadClip(module, name));
    if (!a.clip) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    a.clip->Seek(0);
    const uint32_t corner = a.clip->Pixels().front();
    a.transparent = RGB((corner >> 16) & 0xFF, (corner >> 8) & 0xFF, corner & 0xFF);
    if (!(Style(a) & ACS_CENTER))
        SetWindowPos(a.window, nullptr, 0, 0, a.clip->Width(), a.clip->Height(),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (Style(a) & ACS_AUTOPLAY)
        SendMessage(a.window, ACM_PLAY, static_cast<WPARAM>(-1), MAKELONG(0, 0xFFFF));
    return TRUE;
}

BOOL Play(Animation& a, int repeats, int from, int to) {
    if (!a.clip) return FALSE;
    const int last = a.clip->FrameCount() - 1;
    if (to == 0xFFFF) to = last;
    if (from > last || to > last || from > to) return FALSE;
    Stop(a);
    a.clip->Seek(from);
    InvalidateRect(a.window, nullptr, FALSE);
    if (repeats == 0) return TRUE;
    a.from = from;
    a.to = to;
    a.repeatsLeft = repeats;
    a.playing = true;
    NotifyParent(a, ACN_START);
    SetTimer(a.window, kPlayTimer, std::max<UINT>(1, a.clip->MicrosecondsPerFrame() / 1000), nullptr);
    return TRUE;
}

void Step(Animation& a) {
    if (!a.playing || !a.clip) return;
    int next = a.clip->CurrentFrame() + 1;
    if (next > a.to) {
        if (a.repeatsLeft > 0 && --a.repeatsLeft == 0) {
            Stop(a);
            return;
        }
        next = a.from;
    }
    a.clip->Seek(next);
    InvalidateRect(a.window, nullptr, FALSE);
}

void Paint(Animation& a, HDC dc) {
    RECT client;
    GetClientRect(a.window, &client);
    auto brush = reinterpret_cast<HBRUSH>(SendMessage(GetParent(a.window), WM_CTLCOLORSTATIC,
                                                      reinterpret_cast<WPARAM>(dc),
                                                      reinterpret_cast<LPARAM>(a.window)));
    if (!brush) brush = GetSysColorBrush(COLOR_BTNFACE);
    FillRect(dc, &client, brush);
    if (a.clip) {
        const int width = a.clip->Width(), height = a.clip->Height();
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP frame = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (frame && bits) {
            std::copy(a.clip->Pixels().begin(), a.clip->Pixels().end(), static_cast<uint32_t*>(bits));
            HDC memory = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(memory, frame);
            int x = 0, y = 0;
            if (Style(a) & ACS_CENTER) {
                x = (client.right - width) / 2;
                y = (client.bottom - height) / 2;
            }
            if (Style(a) & ACS_TRANSPARENT)
                TransparentBlt(dc, x, y, width, height, memory, 0, 0, width, height, a.transparent);
            else
                BitBlt(dc, x, y, width, height, memory, 0, 0, SRCCOPY);
            SelectObject(memory, old);
            DeleteDC(memory);
        }
        if (frame) DeleteObject(frame);
    }
}

LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCDESTROY) {
        if (auto it = Animations().find(window); it != Animations().end()) {
            std::unique_ptr<Animation> gone = std::move(it->second);
            Animations().erase(it);
        }
        return DefWindowProc(window, message, wParam, lParam);
    }
    Animation& a = Attach(window);
    switch (message) {
        case ACM_OPEN:
            return Open(a, reinterpret_cast<HINSTANCE>(wParam), reinterpret_cast<const char*>(lParam));
        case ACM_PLAY:
            return Play(a, static_cast<int>(static_cast<INT_PTR>(wParam)), LOWORD(lParam), HIWORD(lParam));
        case ACM_STOP:
            Stop(a);
            return TRUE;
        case ACM_ISPLAYING:
            return a.playing;
        case WM_TIMER:
            if (wParam == kPlayTimer) Step(a);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint fills the background with the frame
        case WM_PAINT:
        case WM_PRINTCLIENT:
            if (wParam) {
                Paint(a, reinterpret_cast<HDC>(wParam));
            } else {
                PAINTSTRUCT ps{};
                HDC dc = BeginPaint(window, &ps);
                if (dc) Paint(a, dc);
                EndPaint(window, &ps);
            }
            return 0;
        case WM_DESTROY:
            KillTimer(window, kPlayTimer);
            a.playing = false;
            return 0;
        default:
            return DefWindowProc(window, message, wParam, lParam);
    }
}

}  // namespace
}  // namespace animate

namespace commctrl {
void RegisterAnimateClass() {
    WNDCLASS windowClass{};
    windowClass.lpfnWndProc = animate::Procedure;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = ANIMATE_CLASS;
    RegisterClass(&windowClass);
}
}  // namespace commctrl

int testing::AnimateFrame(HWND window) {
    auto it = animate::Animations().find(window);
    return it != animate::Animations().end() && it->second->clip ? it->second->clip->CurrentFrame() : -1;
}

}  // namespace win32
