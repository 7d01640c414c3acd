// A program built on the system package that the tests start as second and third copies. Its lines
// on standard output tell the test what happened.
//   orvane_app onlyone <Instances> <OnExceed> [--minimized] [--hidden]
//       a main form captioned "Copy" holding a TZylOnlyOne; says "exceeded <count>" from OnExceeded,
//       "restored" when the application is restored, "activated" when the main form is activated,
//       and "ready" once it runs its message loop.
//   orvane_app illegalabort
//       a form holding a TZylIllegalAbort (registry store, the platform's registry); says
//       "illegal abort" from OnIllegalAbort, then "ready"; a line "quit" on standard input frees
//       the form and ends the program normally.
#include <iostream>
#include <string>

#include "orvane/zyltapplication.h"
#include "orvane/zyltformsaver.h"
#include "vcl/forms.h"
#include "vcl/streaming.h"

using namespace vcl;

namespace {

void Say(const std::string& line) {
    std::cout << line << std::endl;
}

int RunOnlyOne(const std::string& instances, const std::string& action, bool minimized, bool hidden) {
    Application->SetTitle("Zyl OnlyOne Test");
    Application->OnRestore = [](TObject*) { Say("restored"); };
    auto* form = Application->CreateForm<TForm>();
    form->RegisterMethod<orvane::TZylOnExceeded>(
        "ReportExceeded", [](TObject*, Integer count) { Say("exceeded " + std::to_string(count)); });
    form->OnActivate = [](TObject*) { Say("activated"); };
    ReadComponentText(
        "object CopyForm: TForm\n"
        "  Left = 120\n  Top = 90\n  Width = 320\n  Height = 200\n  Caption = 'Copy'\n"
        "  object OnlyOne1: TZylOnlyOne\n"
        "    Instances = " +
            instances + "\n    OnExceed = " + action +
            "\n    OnExceeded = ReportExceeded\n"
            "  end\n"
            "end\n",
        form);
    if (minimized) form->SetWindowState(wsMinimized);
    Application->SetShowMainForm(!hidden);
    if (!hidden) form->Show();
    Application->ProcessMessages();
    Say("ready");
    Application->Run();
    return 0;
}

int RunIllegalAbort() {
    auto* form = new TForm(Application, 0);
    form->RegisterMethod<TNotifyEvent>("ReportAbort", [](TObject*) { Say("illegal abort"); });
    ReadComponentText(
        "object AbortForm: TForm\n"
        "  object IllegalAbort1: TZylIllegalAbort\n"
        "    OnIllegalAbort = ReportAbort\n"
        "  end\n"
        "end\n",
        form);
    Say("ready");
    for (std::string line; std::getline(std::cin, line);)
        if (line == "quit") break;
    form->Free();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "onlyone" && argc >= 4) {
        bool minimized = false, hidden = false;
        for (int i = 4; i < argc; ++i) {
            minimized = minimized || std::string(argv[i]) == "--minimized";
            hidden = hidden || std::string(argv[i]) == "--hidden";
        }
        return RunOnlyOne(argv[2], argv[3], minimized, hidden);
    }
    if (mode == "illegalabort") return RunIllegalAbort();
    std::cerr << "usage: orvane_app onlyone <Instances> <OnExceed> [--minimized] [--hidden] | illegalabort\n";
    return 2;
}
