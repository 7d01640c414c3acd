// A form with a button, an edit and a menu that the live display tests drive from outside. Its
// lines on standard output tell the test what the program saw:
//   "ready <x> <y> ..."         the form is shown and its message loop runs; the screen points to
//                               use follow: the button's centre, the edit's centre, the File
//                               menu's centre, a point on the form's right edge
//   "click"                     the button was clicked
//   "text <text>"               the edit's text changed
//   "command Choose"            File > Choose ran (by the menu or by Ctrl+K)
//   "size <width> <height>"     the form's size changed
//   "key <vk> [shift] [ctrl] [alt]"  a function key went down, with the modifiers held
//   "close"                     the form closes; the program then ends with 0
//   "paste <text>"              the clipboard's text, asked for with "paste"
//   "copied"                    the clipboard took the text given with "copy <text>"
//   "tray <mouse message>"      the form's notification-area icon was clicked
//   "dumped"                    the form's pixels were written as "dump <file>" asked
// Lines on standard input: "copy <text>", "paste", "dump <file>" (written as --dump writes).
//   live_app                    runs on the display ZYL_DISPLAY selects
//   live_app --dump <file>      headless: writes the form's pixels as it shows them (width and
//                               height as two 32-bit words, then 0x00RRGGBB words row by row)
#include <cstdio>
#include <fstream>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

#include "vcl/clipbrd.h"
#include "vcl/forms.h"
#include "vcl/menus.h"
#include "vcl/stdctrls.h"
#include "vcl/streaming.h"
#include "win32/gdi.h"
#include "win32/menu.h"
#include "win32/shell.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

using namespace vcl;
using namespace win32;

namespace {

constexpr UINT kCommandMessage = WM_APP + 17;
constexpr UINT kTrayMessage = WM_APP + 18;

void Say(const std::string& line) {
    std::cout << line << std::endl;
}

constexpr const char* kForm =
    "object LiveForm: TForm\n"
    "  Left = 100\n  Top = 80\n  Width = 360\n  Height = 240\n"
    "  Caption = 'Zyl live test'\n"
    "  Menu = MainMenu1\n"
    "  OnResize = ReportResize\n"
    "  OnClose = ReportClose\n"
    "  KeyPreview = True\n"
    "  OnKeyDown = ReportKey\n"
    "  object Button1: TButton\n"
    "    Left = 16\n    Top = 16\n    Width = 90\n    Height = 25\n"
    "    Caption = 'Press'\n"
    "    OnClick = ReportClick\n"
    "  end\n"
    "  object Edit1: TEdit\n"
    "    Left = 16\n    Top = 56\n    Width = 200\n    Height = 21\n"
    "    TabOrder = 1\n"
    "    OnChange = ReportText\n"
    "  end\n"
    "  object MainMenu1: TMainMenu\n"
    "    object FileMenu: TMenuItem\n"
    "      Caption = '&File'\n"
    "      object ChooseItem: TMenuItem\n"
    "        Caption = '&Choose'\n"
    "        ShortCut = 16459\n"  // Ctrl+K
    "        OnClick = ReportChoose\n"
    "      end\n"
    "    end\n"
    "  end\n"
    "end\n";

TForm* MakeForm() {
    auto* form = Application->CreateForm<TForm>();
    form->RegisterMethod<TNotifyEvent>("ReportClick", [](TObject*) { Say("click"); });
    form->RegisterMethod<TNotifyEvent>("ReportText", [form](TObject*) {
        auto* edit = static_cast<TEdit*>(form->FindComponent("Edit1"));
        Say("text " + edit->Text());
    });
    form->RegisterMethod<TNotifyEvent>("ReportChoose", [](TObject*) { Say("command Choose"); });
    form->RegisterMethod<TNotifyEvent>("ReportResize", [form](TObject*) {
        if (form->HandleAllocated())
            Say("size " + std::to_string(form->Width()) + " " + std::to_string(form->Height()));
    });
    form->RegisterMethod<TKeyEvent>("ReportKey", [](TObject*, Word& key, TShiftState shift) {
        if (key < VK_F1 || key > VK_F24) return;
        std::string line = "key " + std::to_string(key);
        if (shift.Contains(TShiftStateFlag::ssShift)) line += " shift";
        if (shift.Contains(TShiftStateFlag::ssCtrl)) line += " ctrl";
        if (shift.Contains(TShiftStateFlag::ssAlt)) line += " alt";
        Say(line);
    });
    form->RegisterMethod<TCloseEvent>("ReportClose", [](TObject*, TCloseAction&) { Say("close"); });
    ReadComponentText(kForm, form);
    return form;
}

// The form's pixels as the platform shows them: the screen's rows under the window, once what it
// has still to paint (a frame after a resize, say) is painted. A command can arrive between the
// change and its painting: posted messages come before WM_PAINT.
bool DumpForm(TForm* form, const std::string& path) {
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT r{};
    GetWindowRect(form->Handle(), &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&width), 4);
    out.write(reinterpret_cast<const char*>(&height), 4);
    HDC screen = GetDC(nullptr);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF c = GetPixel(screen, r.left + x, r.top + y);
            const uint32_t word = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
            out.write(reinterpret_cast<const char*>(&word), 4);
        }
    ReleaseDC(nullptr, screen);
    return static_cast<bool>(out);
}

// Standard input is read on a thread of its own; each line goes to the command window, whose
// messages every message loop dispatches, modal ones (an open menu, a window being sized) included.
// A message to the thread alone would be lost there.
void ReadCommands(HWND commands) {
    std::string line;
    while (std::getline(std::cin, line))
        PostMessage(commands, kCommandMessage, 0, reinterpret_cast<LPARAM>(new std::string(line)));
}

void RunCommand(TForm* form, const std::string& line) {
    if (line.rfind("dump ", 0) == 0) {
        if (DumpForm(form, line.substr(5))) Say("dumped");
    } else if (line.rfind("copy ", 0) == 0) {
        Clipboard()->SetAsText(line.substr(5));
        Say("copied");
    } else if (line == "paste") {
        Say("paste " + Clipboard()->AsText());
    }
}

TForm* commandTarget = nullptr;

LRESULT CommandWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kCommandMessage) return DefWindowProc(hwnd, message, wParam, lParam);
    std::unique_ptr<std::string> line(reinterpret_cast<std::string*>(lParam));
    RunCommand(commandTarget, *line);
    return 0;
}

// A message-only window: no place on the desktop, never shown, reached by PostMessage from any
// thread.
HWND MakeCommandWindow(TForm* form) {
    commandTarget = form;
    WNDCLASS commandClass{};
    commandClass.lpfnWndProc = CommandWindowProc;
    commandClass.lpszClassName = "LiveAppCommands";
    if (!RegisterClass(&commandClass)) return nullptr;
    return CreateWindowEx(0, "LiveAppCommands", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    TForm* form = MakeForm();
    form->Show();
    Application->ProcessMessages();
    if (mode == "--dump") {
        if (argc < 3) return 2;
        return DumpForm(form, argv[2]) ? 0 : 1;
    }
    NOTIFYICONDATA tray{};
    tray.cbSize = sizeof tray;
    tray.hWnd = form->Handle();
    tray.uID = 1;
    tray.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    tray.uCallbackMessage = kTrayMessage;
    tray.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    std::snprintf(tray.szTip, sizeof tray.szTip, "Zyl live test");
    Shell_NotifyIcon(NIM_ADD, &tray);
    Application->OnMessage = [](MSG& msg, bool& handled) {
        if (msg.message != kTrayMessage) return;
        Say("tray " + std::to_string(msg.lParam));
        handled = true;
    };
    const HWND commands = MakeCommandWindow(form);
    if (!commands) {
        std::cerr << "live_app: no command window\n";
        return 1;
    }
    std::thread(ReadCommands, commands).detach();
    const auto centre = [](const RECT& r) {
        return std::to_string((r.left + r.right) / 2) + " " + std::to_string((r.top + r.bottom) / 2);
    };
    RECT button{}, edit{}, menu{}, window{};
    GetWindowRect(static_cast<TWinControl*>(form->FindComponent("Button1"))->Handle(), &button);
    GetWindowRect(static_cast<TWinControl*>(form->FindComponent("Edit1"))->Handle(), &edit);
    GetMenuItemRect(form->Handle(), GetMenu(form->Handle()), 0, &menu);
    GetWindowRect(form->Handle(), &window);
    Say("ready " + centre(button) + " " + centre(edit) + " " + centre(menu) + " " +
        std::to_string(window.right - 2) + " " + std::to_string((window.top + window.bottom) / 2));
    Application->Run();
    return 0;
}
