// Showcases of the system package's file operator and string holders: the operator's progress form
// and its question, shot while a deletion waits for the answer, and the holders' list editor.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "gallery.h"
#include "orvane/zyltfileoperator.h"
#include "orvane/zyltstringholders.h"
#include "orvane/zyltstringseditor.h"
#include "vcl/designeditors.h"
#include "vcl/forms.h"
#include "win32/files.h"
#include "win32/user.h"

using namespace vcl;
using namespace orvane;

namespace {

TCustomForm* FormNamed(std::string_view name) {
    for (Integer i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i)->Name() == name) return Screen->Forms(i);
    return nullptr;
}

gallery::Registration fileOperator{
    "TZylFileOperator", "orvane",
    "A deletion of three files waiting for the user: the progress form with the operation's title, the "
    "item at hand and the bar, and the question whether the second file goes to the Trash (the "
    "answers are No, so nothing is deleted).",
    [](gallery::Album& album) {
        namespace fs = std::filesystem;
        const fs::path folder =
            fs::temp_directory_path() / ("zyl-gallery-files-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        for (const char* name : {"budget.xls", "letter.doc", "notes.txt"})
            std::ofstream(folder / name) << name;
        TComponentPtr<TZylFileOperator> op(new TZylFileOperator(nullptr));
        op->SetName("ZylFileOperator1");
        op->SetOperation(TZylFileFunction::DeleteFile);
        op->SetFlags(TZylFileFlags{opAllowUndo});
        op->SetDirFrom(win32::WindowsPath(folder.string()));
        op->SetDirTo(win32::WindowsPath(folder.string()));
        op->FilesFrom()->SetCommaText("budget.xls,letter.doc,notes.txt");
        int question = 0;
        win32::testing::SetModalScript([&](std::string_view) {
            TCustomForm* box = FormNamed("MessageDlg");
            if (!box) return;
            if (++question == 2) {
                // The question opens over the progress form: it is moved below it for the picture.
                TCustomForm* progress = FormNamed("ZylFileProgress");
                box->SetTop(progress->Top() + progress->Height() + 8);
                album.Shoot("Progress at the second of three files", progress, op.get());
                album.Shoot("Confirmation of a deletion into the Trash", box, op.get());
            }
            box->SetModalResult(mrNo);
        });
        const ScopeExit unscripted([] { win32::testing::SetModalScript(nullptr); });
        op->Execute();
        std::error_code error;
        fs::remove_all(folder, error);
    }};

gallery::Registration holders{
    "TZylStringHolder, TZylJokeHolder, TZylMultiLists", "orvane",
    "The list editor the designer opens for the holders: the lines in a memo with their count above, "
    "OK and Cancel below; shown for the joke holder's 64 lines and for a short string holder.",
    [](gallery::Album& album) {
        auto shootEditor = [&album](TComponent* holder, const std::string& caption) {
            win32::testing::SetModalScript([&](std::string_view) {
                TCustomForm* editor = FormNamed("ZylStringsEditor");
                if (!editor) return;
                album.Shoot(caption, editor, holder);
                editor->SetModalResult(mrCancel);
            });
            const ScopeExit unscripted([] { win32::testing::SetModalScript(nullptr); });
            std::unique_ptr<TZylHolderEditor> editor(new TZylHolderEditor);
            editor->Initialize(holder, nullptr);
            editor->ExecuteVerb(0);
        };
        TComponentPtr<TZylStringHolder> strings(new TZylStringHolder(nullptr));
        strings->SetName("ZylStringHolder1");
        strings->Items()->SetCommaText("Red,Green,Blue");
        shootEditor(strings.get(), "String holder with three lines");
        TComponentPtr<TZylJokeHolder> jokes(new TZylJokeHolder(nullptr));
        jokes->SetName("ZylJokeHolder1");
        shootEditor(jokes.get(), "Joke holder, Edit Items...");
    }};

}  // namespace
