// Showcases of the dialogs package, each shot while its modal loop waits: the text viewer with its
// File menu open, the tips window, the password and login prompts, the access-code prompt and the
// database viewers; and the shell's folder browser and about box, shot while the platform shows them.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "gallery.h"
#include "quenta/zylaccess.h"
#include "quenta/zyldbviews.h"
#include "quenta/zylfolderbrowser.h"
#include "quenta/zylpassword.h"
#include "quenta/zyltextview.h"
#include "quenta/zyltips.h"
#include "vcl/comctrls.h"
#include "vcl/db.h"
#include "vcl/menus.h"
#include "vcl/streams.h"
#include "win32/input.h"
#include "win32/menu.h"
#include "win32/shell.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

using namespace vcl;
using namespace quenta;

namespace showcase_quenta_dialogs {

TCustomForm* RunningDialog(std::string_view name) {
    for (Integer i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i)->Name() == name) return Screen->Forms(i);
    return nullptr;
}

// Executes the dialog; when its window first waits for the user, `prepare` may fill it, then it is
// shot and closed.
void ShootDialog(gallery::Album& album, TZylDialogComponent* dialog, std::string_view formName,
                 const std::string& caption, const std::function<void(TCustomForm*)>& prepare = {}) {
    bool shot = false;
    win32::testing::SetModalScript([&](std::string_view) {
        TCustomForm* form = RunningDialog(formName);
        if (!form) return;
        if (!shot) {
            shot = true;
            if (prepare) prepare(form);
            Application->ProcessMessages();
            album.Shoot(caption, form, dialog);
        }
        form->SetModalResult(mrCancel);
    });
    const ScopeExit unscripted([] { win32::testing::SetModalScript(nullptr); });
    dialog->Execute();
}

// Notes(ID, LOGIN, BODY memo, PICTURE graphic) in memory, on its first record.
TMemoryDataSet* Notes(TComponent* owner) {
    auto* data = new TMemoryDataSet(owner);
    data->FieldDefs()->Add("ID", TFieldType::ftInteger);
    data->FieldDefs()->Add("LOGIN", TFieldType::ftString, 20);
    data->FieldDefs()->Add("BODY", TFieldType::ftMemo);
    data->FieldDefs()->Add("PICTURE", TFieldType::ftGraphic);
    data->CreateDataSet();
    TBitmap picture;
    picture.SetSize(160, 100);
    TCanvas* canvas = picture.Canvas();
    canvas->Brush()->SetColor(clNavy);
    canvas->FillRect(Rect(0, 0, 160, 100));
    canvas->Brush()->SetColor(clYellow);
    canvas->Ellipse(20, 15, 80, 75);
    canvas->Brush()->SetColor(clGreen);
    canvas->Rectangle(0, 70, 160, 100);
    TStringStream bytes("");
    picture.SaveToStream(bytes);
    data->AppendRecord({1, "ada",
                        "Meeting notes\r\n\r\n- the dialogs package is ready for review\r\n"
                        "- the viewers follow the current record",
                        bytes.DataString()});
    data->First();
    return data;
}

gallery::Registration textViewShowcase{
    "TZylTextFileView", "quenta",
    "The text viewer: a plain-text editor window with its File menu dropped down (New, Open, Save, "
    "Print, Exit) over a few lines of text.",
    [](gallery::Album& album) {
        TComponentPtr<TZylTextFileView> view(new TZylTextFileView(nullptr));
        view->SetName("ZylTextFileView1");
        view->SetEditorCaption("notes.txt");
        view->SetWindowWidth(360);
        view->SetWindowHeight(240);
        view->EditFonts()->SetName("Courier New");
        view->EditFonts()->SetSize(10);
        bool opened = false, shot = false;
        win32::testing::SetModalScript([&](std::string_view loop) {
            TCustomForm* form = RunningDialog("ZylTextView");
            if (!form) return;
            if (loop != "ZylTextView") {
                if (!shot) {
                    shot = true;
                    album.Shoot("File menu open", form, view.get());
                }
                win32::input::PressKey(win32::VK_ESCAPE);
                return;
            }
            if (opened) {
                form->Close();
                return;
            }
            opened = true;
            auto* editor = static_cast<TRichEdit*>(form->FindComponent("Editor"));
            editor->Lines()->SetText("Shopping list\n\n- bread\n- cheese\n- apples, green\n");
            Application->ProcessMessages();
            win32::RECT entry{};
            win32::GetMenuItemRect(form->Handle(), form->Menu()->Handle(), 0, &entry);
            win32::input::Click((entry.left + entry.right) / 2, (entry.top + entry.bottom) / 2);
        });
        const ScopeExit unscripted([] { win32::testing::SetModalScript(nullptr); });
        view->Execute();
    }};

gallery::Registration tipsShowcase{
    "TZylTipTricks", "quenta",
    "The tip of the day: a tip on a white panel under its heading, OK and Next Tip with one custom "
    "button, and the check box for showing tips at start-up.",
    [](gallery::Album& album) {
        TComponentPtr<TZylTipTricks> tips(new TZylTipTricks(nullptr));
        tips->SetName("ZylTipTricks1");
        tips->SetTipDlgCaption("Tip of the Day");
        tips->Tips()->Add(
            "You can open several files at once by holding Ctrl while you click them in "
            "the Open dialog.");
        tips->Custom1BitBtn()->SetCaption("More...");
        tips->Custom2BitBtn()->SetVisible(false);
        ShootDialog(album, tips.get(), "TipDialog", "A tip with one custom button");
    }};

gallery::Registration passwordsShowcase{
    "TZylPasswordDlg, TZylDBPasswordDlg", "quenta",
    "The password prompt with its masked edit, and the database login asking for a user name and a "
    "password.",
    [](gallery::Album& album) {
        TComponentPtr<TZylPasswordDlg> password(new TZylPasswordDlg(nullptr));
        password->SetName("ZylPasswordDlg1");
        password->SetPassword("secret");
        ShootDialog(album, password.get(), "PasswordForm", "Password, typed", [](TCustomForm* form) {
            static_cast<TEdit*>(form->FindComponent("PasswordEdit"))->SetText("secret");
        });

        TComponentPtr<TForm> owner(new TForm(nullptr, 0));
        auto* source = new TDataSource(owner.get());
        source->SetDataSet(Notes(owner.get()));
        TComponentPtr<TZylDBPasswordDlg> login(new TZylDBPasswordDlg(nullptr));
        login->SetName("ZylDBPasswordDlg1");
        login->SetDataSource(source);
        login->SetDataUserName("LOGIN");
        ShootDialog(album, login.get(), "PasswordForm", "Database login", [](TCustomForm* form) {
            static_cast<TEdit*>(form->FindComponent("UserEdit"))->SetText("ada");
        });
    }};

gallery::Registration accessShowcase{
    "TZylQueryAccess", "quenta",
    "The access-code prompt: the framework's input box with its caption and question.",
    [](gallery::Album& album) {
        TComponentPtr<TZylQueryAccess> query(new TZylQueryAccess(nullptr));
        query->SetName("ZylQueryAccess1");
        ShootDialog(album, query.get(), "InputQuery", "Access code");
    }};

gallery::Registration viewersShowcase{
    "TZylDBMemoView, TZylDBImageView", "quenta",
    "The database viewers: the memo field and the picture field of the current record under a close "
    "button.",
    [](gallery::Album& album) {
        TComponentPtr<TForm> owner(new TForm(nullptr, 0));
        auto* source = new TDataSource(owner.get());
        source->SetDataSet(Notes(owner.get()));
        TComponentPtr<TZylDBMemoView> memo(new TZylDBMemoView(nullptr));
        memo->SetName("ZylDBMemoView1");
        memo->SetDataSource(source);
        memo->SetDataField("BODY");
        memo->SetFormWidth(380);
        memo->SetFormHeight(200);
        ShootDialog(album, memo.get(), "ZylDBMemoView", "Memo field");
        TComponentPtr<TZylDBImageView> image(new TZylDBImageView(nullptr));
        image->SetName("ZylDBImageView1");
        image->SetDataSource(source);
        image->SetDataField("PICTURE");
        image->SetFormWidth(240);
        image->SetFormHeight(180);
        ShootDialog(album, image.get(), "ZylDBImageView", "Picture field");
    }};

// A few folders on drive D:, made once per run and removed at exit.
void MapDocumentsDrive() {
    namespace fs = std::filesystem;
    static const fs::path root = [] {
        const fs::path made = fs::temp_directory_path() / ("zyl-gallery-quenta-" + std::to_string(getpid()));
        for (const char* folder :
             {"Reports/2024", "Reports/2025/Quarterly", "Reports/2025/Yearly", "Letters", "Templates"})
            fs::create_directories(made / folder);
        std::atexit([] {
            std::error_code error;
            fs::remove_all(fs::temp_directory_path() / ("zyl-gallery-quenta-" + std::to_string(getpid())),
                           error);
        });
        return made;
    }();
    win32::testing::MapDrive('D', root.string(), win32::DRIVE_FIXED, "DOCUMENTS");
}

gallery::Registration folderBrowserShowcase{
    "TZylFolderBrowser", "quenta",
    "The folder browser with its caption and status line, the tree of drives opened down to the chosen "
    "folder.",
    [](gallery::Album& album) {
        MapDocumentsDrive();
        TComponentPtr<TZylFolderBrowser> browser(new TZylFolderBrowser(nullptr));
        browser->SetName("ZylFolderBrowser1");
        browser->SetBrowseCaption("Choose the folder the reports are saved in:");
        browser->SetBrowseReturnPath("D:\\Reports");
        browser->SetBrowsePathLabel(true);
        win32::testing::BrowseForFolderScript script{{"D:\\Reports\\2025"}, true};
        script.whileOpen = [&album, &browser](win32::HWND dialog) {
            album.ShootWindow("Choosing a folder", dialog, browser.get());
        };
        win32::testing::SetBrowseForFolderScript(script);
        browser->Execute();
    }};

gallery::Registration shellAboutShowcase{
    "TZylShellAbout", "quenta",
    "The about box: the program's title and info line over the platform, the user and the memory "
    "available.",
    [](gallery::Album& album) {
        TComponentPtr<TZylShellAbout> about(new TZylShellAbout(nullptr));
        about->SetName("ZylShellAbout1");
        about->SetFirstLine("About Zyl Notes");
        about->SetTitleLine("Zyl Notes 2.1");
        about->SetInfoLine("Notes and reports for the team");
        win32::testing::SetShellAboutWhileOpen(
            [&album, &about](win32::HWND box) { album.ShootWindow("About box", box, about.get()); });
        const ScopeExit unscripted([] { win32::testing::SetShellAboutWhileOpen(nullptr); });
        about->Execute();
    }};

}  // namespace showcase_quenta_dialogs
