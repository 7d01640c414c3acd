// The showcase as a program to use: a form with standard controls, a menu and enhanced buttons
// that runs its message loop until closed. On a live display (ZYL_DISPLAY=x11) it is a real
// window on the desktop.
#include "live.h"

#include <string>

#include "lumaro/zylbuttons.h"
#include "vcl/clipbrd.h"
#include "vcl/forms.h"
#include "vcl/menus.h"
#include "vcl/stdctrls.h"
#include "vcl/streaming.h"

using namespace vcl;
using namespace lumaro;

namespace {

constexpr const char* kShowcaseForm =
    "object ShowcaseForm: TForm\n"
    "  Left = 120\n  Top = 90\n  Width = 540\n  Height = 360\n"
    "  Caption = 'Zyl showcase'\n"
    "  Menu = MainMenu1\n"
    "  object Label1: TLabel\n"
    "    Left = 16\n    Top = 12\n    Width = 120\n    Height = 13\n"
    "    Caption = 'Type into the edit:'\n"
    "  end\n"
    "  object Edit1: TEdit\n"
    "    Left = 16\n    Top = 30\n    Width = 230\n    Height = 21\n"
    "    Text = 'Hello from a live window'\n"
    "  end\n"
    "  object Memo1: TMemo\n"
    "    Left = 16\n    Top = 62\n    Width = 230\n    Height = 110\n"
    "  end\n"
    "  object CheckBox1: TCheckBox\n"
    "    Left = 16\n    Top = 182\n    Width = 230\n    Height = 17\n"
    "    Caption = 'A check box to tick'\n"
    "  end\n"
    "  object ScrollBar1: TScrollBar\n"
    "    Left = 16\n    Top = 210\n    Width = 230\n    Height = 17\n"
    "    Max = 100\n"
    "    OnChange = ScrollChanged\n"
    "  end\n"
    "  object CopyButton: TButton\n"
    "    Left = 16\n    Top = 240\n    Width = 110\n    Height = 25\n"
    "    Caption = '&Copy the text'\n"
    "    OnClick = CopyText\n"
    "  end\n"
    "  object StatusLabel: TLabel\n"
    "    Left = 16\n    Top = 276\n    Width = 480\n    Height = 13\n"
    "    Caption = 'Ready'\n"
    "  end\n"
    "  object MainMenu1: TMainMenu\n"
    "    object FileMenu: TMenuItem\n"
    "      Caption = '&File'\n"
    "      object CopyItem: TMenuItem\n"
    "        Caption = '&Copy the text'\n"
    "        ShortCut = 16459\n"  // Ctrl+K
    "        OnClick = CopyText\n"
    "      end\n"
    "      object PasteItem: TMenuItem\n"
    "        Caption = '&Paste into the memo'\n"
    "        OnClick = PasteText\n"
    "      end\n"
    "      object ExitItem: TMenuItem\n"
    "        Caption = 'E&xit'\n"
    "        OnClick = ExitProgram\n"
    "      end\n"
    "    end\n"
    "  end\n"
    "end\n";

TZylBackground* Gradient(TForm* form, const std::string& name, TColor begin, TColor end) {
    auto* background = new TZylBackground(form);
    background->SetName(name);
    background->SetBackgroundStyle(bGradient);
    background->Gradient()->SetBeginColor(begin);
    background->Gradient()->SetEndColor(end);
    background->Gradient()->SetFillStyle(TZylFillStyle::Horizontal);
    return background;
}

template <typename T>
T* Find(TForm* form, const char* name) {
    return static_cast<T*>(form->FindComponent(name));
}

void Status(TForm* form, const std::string& text) {
    Find<TLabel>(form, "StatusLabel")->SetCaption(text);
}

}  // namespace

int RunLiveShowcase() {
    auto* form = Application->CreateForm<TForm>();
    form->RegisterMethod<TNotifyEvent>("ScrollChanged", [form](TObject*) {
        Status(form, "Scroll bar at " + std::to_string(Find<TScrollBar>(form, "ScrollBar1")->Position()));
    });
    form->RegisterMethod<TNotifyEvent>("CopyText", [form](TObject*) {
        Clipboard()->SetAsText(Find<TEdit>(form, "Edit1")->Text());
        Status(form, "Copied: " + Find<TEdit>(form, "Edit1")->Text());
    });
    form->RegisterMethod<TNotifyEvent>("PasteText", [form](TObject*) {
        Find<TMemo>(form, "Memo1")->Lines()->Add(Clipboard()->AsText());
        Status(form, "Pasted into the memo");
    });
    form->RegisterMethod<TNotifyEvent>("ExitProgram", [form](TObject*) { form->Close(); });
    ReadComponentText(kShowcaseForm, form);

    TZylBackground* sky = Gradient(form, "Sky", clNavy, clAqua);
    TZylBackground* sunset = Gradient(form, "Sunset", clMaroon, clYellow);
    const std::pair<const char*, TZylBackground*> buttons[] = {{"&Sky button", sky},
                                                               {"S&unset button", sunset}};
    int top = 30;
    for (const auto& [caption, background] : buttons) {
        auto* button = new TZylButton(form);
        button->SetParent(form);
        button->SetBounds(270, top, 230, 44);
        button->SetCaption(caption);
        button->Font()->SetName("Arial");
        button->Font()->SetSize(12);
        button->Font()->SetStyle({fsBold});
        button->Font()->SetColor(clWhite);
        button->Font3D()->SetShadow(clBlack);
        button->Font3D()->SetStyle3D(fontOnlyShadow);
        button->SetBackground(background);
        button->OnClick = [form, caption](TObject*) { Status(form, std::string("Clicked ") + caption); };
        top += 56;
    }
    form->Show();
    Application->Run();
    return 0;
}
