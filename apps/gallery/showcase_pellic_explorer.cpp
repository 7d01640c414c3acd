// Showcases of the explorer tree and view over a real folder tree (made in a temporary folder and
// mapped to drive E:), and of the lookup edits with their menus and dialogs open.
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <string>

#include "gallery.h"
#include "pellic/zyltdbindexlookup.h"
#include "pellic/zyltdblookupedit.h"
#include "pellic/zyltdblookupmenu.h"
#include "pellic/zyltexplorertree.h"
#include "pellic/zyltexplorerview.h"
#include "pellic/zyltfilelookup.h"
#include "pellic/zyltfolderlookup.h"
#include "pellic/zyltlookupmenu.h"
#include "vcl/dbtables.h"
#include "win32/files.h"
#include "win32/input.h"
#include "win32/shell.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

using namespace vcl;
using namespace pellic;

namespace {

namespace fs = std::filesystem;
using gallery::Place;

// A small project's folders and files, made once per run and removed at exit.
const fs::path& ProjectFolder() {
    static const fs::path root = [] {
        const fs::path made =
            fs::temp_directory_path() / ("zyl-gallery-explorer-" + std::to_string(getpid()));
        for (const char* folder : {"Projects/Zyl/src/pellic", "Projects/Zyl/src/vcl", "Projects/Zyl/tests",
                                   "Projects/Zyl/docs", "Projects/Website/images", "Music/Baroque",
                                   "Music/Jazz", "Photos/2023", "Photos/2024/Summer", "RECYCLED/Old"})
            fs::create_directories(made / folder);
        for (const char* file :
             {"README.md", "CMakeLists.txt", "notes.txt", "logo.bmp", "setup.exe", "build.bat"})
            std::ofstream(made / "Projects" / "Zyl" / file) << "x";
        std::atexit([] {
            fs::remove_all(fs::temp_directory_path() / ("zyl-gallery-explorer-" + std::to_string(getpid())));
        });
        return made;
    }();
    win32::testing::MapDrive('E', root.string(), win32::DRIVE_FIXED, "DATA");
    return root;
}

void Label(TForm* form, int left, int top, const std::string& text) {
    auto* label = Place<TLabel>(form, left, top + 4, 90, 13);
    label->SetCaption(text);
}

// Runs `open` (a modal loop); shoots the form (the active one, a dialog, for none) once the loop
// waits, then lets `close` end it.
void ShootWhileOpen(gallery::Album& album, TCustomForm* form, TComponent* subject, const std::string& caption,
                    const std::function<void()>& open, const std::function<void()>& close) {
    bool shot = false;
    win32::testing::SetModalScript([&](std::string_view) {
        if (!shot) {
            shot = true;
            album.Shoot(caption, form ? form : Screen->ActiveForm(), subject);
        }
        close();
    });
    const win32::ScopeExit unscripted([] { win32::testing::SetModalScript(nullptr); });
    open();
    Application->ProcessMessages();
}

gallery::Registration explorerTree{
    "TZylExplorerTree", "pellic",
    "The tree of drives and folders over a real folder tree on drive E:, read as it is expanded; folders "
    "below RECYCLED are hidden.",
    [](gallery::Album& album) {
        ProjectFolder();
        TForm* form = album.NewForm("Folders", 260, 300);
        auto* tree = Place<TZylExplorerTree>(form, 6, 6, 248, 288);
        tree->OnAddDirectory = [](TObject*, const std::string& path, bool& add) {
            add = path.starts_with("E:");
        };
        form->Show();
        tree->Reload();
        tree->SetDirectory("E:\\Projects\\Zyl\\src\\pellic");
        if (TTreeNode* photos = tree->GetNodeFromPath("E:\\Photos")) photos->Expand(false);
        form->SetActiveControl(tree);
        album.Shoot("Expanded, a folder selected", form, tree);
        tree->FullExpand();
        tree->SetTopItem(tree->Items()->GetFirstNode());
        album.Shoot("Fully expanded", form, tree);
    }};

gallery::Registration explorerView{
    "TZylExplorerView", "pellic",
    "The file list with the shell's small icons, folders with the folder icon, names in lower case.",
    [](gallery::Album& album) {
        ProjectFolder();
        TForm* form = album.NewForm("Files", 240, 220);
        auto* view = Place<TZylExplorerView>(form, 6, 6, 228, 208);
        view->SetFileType({ftNormal, ftDirectory});
        view->SetDirectory("E:\\Projects\\Zyl");
        view->SetItemIndex(2);
        form->Show();
        form->SetActiveControl(view);
        album.Shoot("A project folder", form, view);
    }};

gallery::Registration lookupEdits{
    "Lookup edits and menus", "pellic",
    "TZylLookupEdit, TZylLookupMenu with its menu open, TZylFolderLookup and TZylFileLookup with its "
    "dialog open.",
    [](gallery::Album& album) {
        ProjectFolder();
        TForm* form = album.NewForm("Lookups", 300, 150);
        Label(form, 12, 12, "Customer:");
        auto* edit = Place<TZylLookupEdit>(form, 100, 12, 180, 21);
        edit->SetText("Miller & Sons");
        Label(form, 12, 42, "Colour:");
        auto* menu = Place<TZylLookupMenu>(form, 100, 42, 180, 21);
        for (const char* item : {"Red", "Green", "Blue", "-", "Cyan", "Magenta", "Yellow"})
            menu->Items()->Add(item);
        menu->SetItemChecked(true);
        menu->SetItemIndex(1);
        Label(form, 12, 72, "Folder:");
        auto* folder = Place<TZylFolderLookup>(form, 100, 72, 180, 21);
        Label(form, 12, 102, "File:");
        auto* file = Place<TZylFileLookup>(form, 100, 102, 180, 21);
        file->SetInitialDir("E:\\Projects\\Zyl");
        form->Show();
        form->SetActiveControl(edit);
        album.Shoot("Normal", form);

        ShootWhileOpen(
            album, form, menu, "Lookup menu open", [menu] { menu->OpenMenu(); },
            [] { win32::input::PressKey(win32::VK_ESCAPE); });

        win32::testing::SetBrowseForFolderScript({{"E:\\Music", "E:\\Music\\Jazz"}, false});
        folder->Execute();
        album.Shoot("Folder chosen in the browser", form, folder);

        ShootWhileOpen(
            album, nullptr, file, "File-open dialog of the file lookup", [file] { file->Execute(); },
            [] { win32::input::PressKey(win32::VK_ESCAPE); });
        for (TControl* control : std::initializer_list<TControl*>{edit, menu, folder, file})
            control->SetEnabled(false);
        album.Shoot("Disabled", form);
    }};

gallery::Registration dataAwareLookups{
    "Data-aware lookups", "pellic",
    "TZylDBLookupedit and TZylDBLookupMenu on a table's fields, the menu open, and TZylDBIndexLookup "
    "listing the table's indexes.",
    [](gallery::Album& album) {
        const fs::path file = ProjectFolder() / "people.db";
        std::ofstream(file).flush();
        {
            TComponentPtr<TDatabase> database(new TDatabase(nullptr));
            database->SetDatabaseName(file.string());
            database->Execute(
                "CREATE TABLE IF NOT EXISTS people (Name TEXT(20), City TEXT(20));"
                "CREATE INDEX IF NOT EXISTS byName ON people (Name);"
                "CREATE INDEX IF NOT EXISTS byCity ON people (City, Name);"
                "DELETE FROM people; INSERT INTO people VALUES ('Ada Byron', 'London');");
        }
        TComponentPtr<TTable> table(new TTable(nullptr));
        table->SetDatabaseName(file.string());
        table->SetTableName("people");
        table->Open();
        TComponentPtr<TDataSource> source(new TDataSource(nullptr));
        source->SetDataSet(table.get());

        TForm* form = album.NewForm("People", 300, 170);
        Label(form, 12, 12, "Name:");
        auto* name = Place<TZylDBLookupedit>(form, 100, 12, 180, 21);
        name->SetDataSource(source.get());
        name->SetDataField("Name");
        Label(form, 12, 42, "City:");
        auto* city = Place<TZylDBLookupMenu>(form, 100, 42, 180, 21);
        for (const char* item : {"London", "Paris", "Rome"})
            city->Items()->Add(item);
        city->SetDataSource(source.get());
        city->SetDataField("City");
        Label(form, 12, 72, "Order by:");
        auto* order = Place<TZylDBIndexLookup>(form, 100, 72, 180, 21);
        order->SetDisplayType(TZylDBDisplayType::dtDisplayLabel);
        order->SetNoIndexEnabled(true);
        order->SetNoIndexItemName("(as stored)");
        order->SetDataSource(source.get());
        form->Show();
        form->SetActiveControl(name);
        album.Shoot("Browsing", form);

        form->SetActiveControl(city);
        ShootWhileOpen(
            album, form, city, "City menu open", [city] { city->OpenMenu(); },
            [] { win32::input::PressKey(win32::VK_ESCAPE); });
        form->SetActiveControl(order);
        order->SetDroppedDown(true);
        album.Shoot("Index list dropped down", form, order);
        order->SetDroppedDown(false);
        table->Cancel();
    }};

}  // namespace
