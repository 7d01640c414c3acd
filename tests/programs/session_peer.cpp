// A second or third process for the tests of the shared desktop: it makes one top-level window of
// the class and caption named on its command line, says "ready" on its standard output, and answers
// messages that the test sends or posts from its own process:
//   WM_USER + 1 (sent)  answers wParam * 2 + lParam
//   WM_USER + 2         writes "posted <wParam> <lParam>"
//   WM_USER + 3 (sent)  stays busy until a line arrives on its standard input, then answers 7
//   WM_COPYDATA         writes "copydata <dwData> <data>" and answers 1
//   WM_ACTIVATEAPP      writes "activateapp <wParam>"
// With "--popup" it also makes a popup owned by the window and activates it. WM_CLOSE ends it.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "win32/user.h"

using namespace win32;

namespace {

void Say(const std::string& line) {
    std::cout << line << std::endl;
}

LRESULT PeerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_USER + 1:
            return static_cast<LRESULT>(wParam * 2) + lParam;
        case WM_USER + 2:
            Say("posted " + std::to_string(wParam) + " " + std::to_string(lParam));
            return 0;
        case WM_USER + 3: {
            std::string line;
            std::getline(std::cin, line);
            return 7;
        }
        case WM_COPYDATA: {
            const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            Say("copydata " + std::to_string(copy->dwData) + " " +
                std::string(static_cast<const char*>(copy->lpData), copy->cbData));
            return 1;
        }
        case WM_ACTIVATEAPP:
            Say("activateapp " + std::to_string(wParam));
            break;
        case WM_DESTROY:
            if (!GetWindow(hwnd, GW_OWNER)) PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: session_peer <class> <caption> [--popup]\n";
        return 2;
    }
    WNDCLASS cls{};
    cls.lpfnWndProc = PeerProc;
    cls.lpszClassName = argv[1];
    RegisterClass(&cls);
    HWND main = CreateWindowEx(0, argv[1], argv[2], WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 200,
                               nullptr, nullptr, nullptr, nullptr);
    if (argc > 3 && std::strcmp(argv[3], "--popup") == 0) {
        HWND popup = CreateWindowEx(0, argv[1], "popup", WS_POPUP | WS_CAPTION | WS_VISIBLE, 80, 80, 120, 80,
                                    main, nullptr, nullptr, nullptr);
        SetActiveWindow(popup);
    }
    Say("ready");
    MSG msg{};
    while (GetMessage(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
    return 0;
}
