// Showcases of the system package: the message components' dialogs, shot while their modal loops
// run, and a form with its tray icon as the platform's notification area recorded it.
#include <string>

#include "gallery.h"
#include "orvane/zyltmessages.h"
#include "orvane/zyltsystemtray.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"
#include "win32/shell.h"
#include "win32/user.h"

using namespace vcl;
using namespace orvane;

namespace {

using gallery::Place;

TCustomForm* RunningDialog(std::string_view name) {
    for (Integer i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i)->Name() == name) return Screen->Forms(i);
    return nullptr;
}

// Executes the component; when its dialog first waits for the user, shoots it and cancels it.
void ShootDialog(gallery::Album& album, TZylExecuteComponent* component, std::string_view dialogName,
                 const std::string& caption) {
    bool shot = false;
    win32::testing::SetModalScript([&](std::string_view) {
        TCustomForm* form = RunningDialog(dialogName);
        if (!form) return;
        if (!shot) {
            shot = true;
            album.Shoot(caption, form, component);
        }
        form->SetModalResult(mrCancel);
    });
    const ScopeExit unscripted([] { win32::testing::SetModalScript(nullptr); });
    component->Execute();
}

gallery::Registration messageBoxes{
    "TZylMsgBox, TZylMsgDlg", "orvane",
    "The message box with its caption lines, a type and the buttons chosen, and the input box asking "
    "for a line of text.",
    [](gallery::Album& album) {
        TComponentPtr<TZylMsgBox> box(new TZylMsgBox(nullptr));
        box->SetName("ZylMsgBox1");
        box->Caption()->Add("The document has changed.");
        box->Caption()->Add("Save the changes before closing?");
        box->SetMessageType(mtConfirmation);
        box->SetButtons(mbYesNoCancel);
        ShootDialog(album, box.get(), "MessageDlg", "Confirmation, Yes / No / Cancel");
        box->Caption()->Clear();
        box->Caption()->Add("The printer does not answer.");
        box->SetMessageType(mtWarning);
        box->SetButtons(mbAbortRetryIgnore);
        ShootDialog(album, box.get(), "MessageDlg", "Warning, Abort / Retry / Ignore");

        TComponentPtr<TZylMsgDlg> input(new TZylMsgDlg(nullptr));
        input->SetName("ZylMsgDlg1");
        input->SetHeader("Rename");
        input->SetQuestion("New name of the layer:");
        input->SetReturn("Background");
        ShootDialog(album, input.get(), "InputQuery", "Input box");
    }};

gallery::Registration selectBox{
    "TZylMsgSelect", "orvane",
    "The choice box: a bold dialog with the question, a combo box of the items holding the current "
    "choice, and the OK and Cancel buttons centred below.",
    [](gallery::Album& album) {
        TComponentPtr<TZylMsgSelect> select(new TZylMsgSelect(nullptr));
        select->SetName("ZylMsgSelect1");
        select->SetHeader("Paper size");
        select->SetQuestion("Print on which paper?");
        select->Items()->SetCommaText("A4,Letter,Legal,A5,Executive");
        select->SetSorted(true);
        select->SetReturn("Letter");
        ShootDialog(album, select.get(), "InputQueryEx", "Drop-down list, sorted");
        select->SetComboStyle(csSimple);
        select->SetReturn("Custom");
        ShootDialog(album, select.get(), "InputQueryEx", "Simple combo, a typed value");
    }};

// The right end of the screen's bottom row as the shell holds it (the lowest 28 pixels of `box`):
// each icon in its slot and the tip of the first above it.
void PaintNotificationArea(TCanvas* canvas, const TRect& box) {
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(box);
    const TRect area{box.left, box.bottom - 28, box.right, box.bottom};
    win32::RECT edge = area;
    win32::DrawEdge(canvas->Handle(), &edge, win32::EDGE_ETCHED, win32::BF_TOP);
    const auto icons = win32::testing::TrayIcons();
    const int screenRight = win32::GetSystemMetrics(win32::SM_CXSCREEN);
    const int screenBottom = win32::GetSystemMetrics(win32::SM_CYSCREEN);
    for (const auto& icon : icons) {
        win32::NOTIFYICONIDENTIFIER which{sizeof which, icon.window, icon.id};
        win32::RECT place{};
        if (win32::Shell_NotifyIconGetRect(&which, &place) != win32::S_OK) continue;
        const int x = area.right - (screenRight - place.left);
        const int y = area.bottom - (screenBottom - place.top);
        win32::DrawIconEx(canvas->Handle(), x, y, icon.icon, 16, 16, 0, nullptr, win32::DI_NORMAL);
    }
    if (icons.empty() || icons.front().tip.empty()) return;
    canvas->Font()->SetName("MS Sans Serif");
    canvas->Font()->SetSize(8);
    const std::string tip = icons.front().tip;
    const Integer width = canvas->TextWidth(tip) + 8;
    const TRect balloon{area.right - width - 30, area.top - 22, area.right - 30, area.top - 4};
    canvas->Brush()->SetColor(clInfoBk);
    canvas->Pen()->SetColor(clBlack);
    canvas->Rectangle(balloon.left, balloon.top, balloon.right, balloon.bottom);
    canvas->Brush()->SetStyle(bsClear);
    canvas->TextOut(balloon.left + 4, balloon.top + 3, tip);
    canvas->Brush()->SetStyle(bsSolid);
}

gallery::Registration trayIcon{
    "TZylSystemTray", "orvane",
    "A form with its tray icon (NormalIcon) and the notification area below it as the platform recorded "
    "it: the icon in its slot and its tip, from Hint or else from the application's title.",
    [](gallery::Album& album) {
        auto* form = album.NewForm("Notes", 260, 150);
        Application->SetTitle("Notes");
        auto* memo = Place<TMemo>(form, 8, 8, 244, 70);
        memo->SetText("Tray icons live in the shell's notification area.");
        auto* box = Place<TPaintBox>(form, 0, 86, 260, 64);
        auto* tray = new TZylSystemTray(form);
        tray->SetName("ZylSystemTray1");
        TIcon icon;
        icon.SetHandle(win32::CopyIcon(win32::LoadIcon(nullptr, win32::IDI_INFORMATION)));
        tray->SetIcon(&icon);
        tray->SetHint("Notes - 3 unread");
        box->OnPaint = [box](TObject*) { PaintNotificationArea(box->Canvas(), box->ClientRect()); };
        tray->SetEnabled(true);
        tray->SetNormalIcon(true);
        album.Shoot("Shown, with NormalIcon", form, tray);
        tray->SetHint("");
        box->Invalidate();
        album.Shoot("Empty Hint: the application's title", form, tray);
        tray->Free();
        Application->SetTitle("");
    }};

}  // namespace
