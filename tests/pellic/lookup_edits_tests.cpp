// The lookup menu, the folder and file lookups, the data-aware lookups on SQLite tables and the
// index chooser, driven with the mouse and keys; menus and dialogs are answered by script.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "pellic/zyltdbindexlookup.h"
#include "pellic/zyltdblookupedit.h"
#include "pellic/zyltdblookupmenu.h"
#include "pellic/zyltfilelookup.h"
#include "pellic/zyltfolderlookup.h"
#include "pellic/zyltlookupmenu.h"
#include "support/tempdir.h"
#include "support/ui_fixture.h"
#include "vcl/dbtables.h"
#include "win32/menu.h"
#include "win32/shell.h"
#include "win32/virtualkeys.h"

namespace lookup_edits_tests {

using namespace pellic;

class LookupEditsTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        form = ShowForm();
    }
    template <typename T>
    T* Make(int top = 10) {
        auto* edit = new T(form);
        edit->SetParent(form);
        edit->SetBounds(10, top, 150, 21);
        PumpUntilIdle();
        return edit;
    }
    // The next menu loop presses these keys, one per idle moment, then Escape until it closes.
    void ScriptKeys(std::vector<int> keys) {
        keys_ = std::move(keys);
        nextKey_ = 0;
        win32::testing::SetModalScript([this](std::string_view) {
            win32::input::PressKey(nextKey_ < keys_.size() ? keys_[nextKey_++] : win32::VK_ESCAPE);
        });
    }
    void ClickButton(TZylCustomLookupEdit* edit) { ClickAt(edit, edit->ClientWidth() - 3, 5); }

    vcl::TForm* form = nullptr;
    std::vector<int> keys_;
    size_t nextKey_ = 0;
};

TEST_F(LookupEditsTest, MenuItemIndexAcceptsOnlyItsItems) {
    auto* menu = Make<TZylLookupMenu>();
    int changes = 0;
    menu->OnChange = [&](vcl::TObject*) { ++changes; };
    EXPECT_EQ(menu->Text(), "Non-Selected");
    menu->Items()->Add("Red");
    menu->Items()->Add("Green");
    menu->Items()->Add("Blue");
    struct Case {
        int index;
        std::string text;
        int itemIndex;
    };
    for (const Case& c : {Case{2, "Blue", 2}, Case{3, "Blue", 2}, Case{-2, "Blue", 2},
                          Case{-1, "Non-Selected", -1}, Case{0, "Red", 0}}) {
        menu->SetItemIndex(c.index);
        EXPECT_EQ(menu->Text(), c.text) << c.index;
        EXPECT_EQ(menu->ItemIndex(), c.itemIndex) << c.index;
    }
    EXPECT_EQ(changes, 3);
    menu->SetNonSelected("none");
    menu->SetItemIndex(-1);
    EXPECT_EQ(menu->Text(), "none");
    EXPECT_FALSE(menu->EditButton2()->Visible());
}

TEST_F(LookupEditsTest, MenuOpensUnderTheEditAndTakesOnlyItsOwnEntries) {
    auto* menu = Make<TZylLookupMenu>();
    for (const char* item : {"A", "-", "B"})
        menu->Items()->Add(item);
    // The column break can be reached but not chosen: Return on it leaves the menu open.
    ScriptKeys({win32::VK_DOWN, win32::VK_DOWN, win32::VK_RETURN});
    ClickButton(menu);
    EXPECT_EQ(menu->ItemIndex(), -1);
    ScriptKeys({win32::VK_DOWN, win32::VK_DOWN, win32::VK_DOWN, win32::VK_RETURN});
    ClickButton(menu);
    EXPECT_EQ(menu->Text(), "B");
    EXPECT_EQ(menu->ItemIndex(), 2);

    // Commands that are not entries of this menu change nothing.
    const win32::HWND window = menu->Handle();
    for (auto [wParam, lParam] :
         {std::pair<win32::WPARAM, win32::LPARAM>{1, 0}, {7, 0}, {0, 1234}, {win32::MAKEWPARAM(0, 1), 0}}) {
        win32::SendMessage(window, win32::WM_COMMAND, wParam, lParam);
        EXPECT_EQ(menu->ItemIndex(), 2) << wParam << "," << lParam;
    }
    win32::SendMessage(window, win32::WM_COMMAND, 0, 0);
    EXPECT_EQ(menu->Text(), "A");

    // A space is swallowed and opens nothing.
    menu->SetFocus();
    menu->SelectAll();
    TypeText(" ");
    EXPECT_EQ(menu->Text(), "A");
}

TEST_F(LookupEditsTest, FolderLookupTakesTheChosenFolderAndShowsThePathWhenAsked) {
    zyltest::TempDir dir;
    std::filesystem::create_directories(dir.Path() / "Music" / "Old");
    win32::testing::MapDrive('M', dir.Path().string());
    auto* lookup = Make<TZylFolderLookup>();
    lookup->SetLookupCaption("Pick one");
    lookup->SetLookupFlags(
        {TZylInfoFlags::FileSystemDirsOnly, TZylInfoFlags::StatusText, TZylInfoFlags::DisplayPath});
    std::string events;
    lookup->BeforeLookup = [&](vcl::TObject*) { events += "before "; };
    lookup->AfterLookup = [&](vcl::TObject*) { events += "after "; };
    lookup->OnPathChanged = [&](vcl::TObject*, const std::string& from, const std::string& to) {
        events += "changed " + from + ">" + to + " ";
    };
    win32::testing::SetBrowseForFolderScript({{"M:\\Music", "M:\\Music\\Old"}, false});
    ClickButton(lookup);
    EXPECT_EQ(lookup->Text(), "M:\\Music\\Old");
    EXPECT_EQ(events, "before changed >M:\\Music\\Old after ");
    const auto log = win32::testing::BrowseForFolderLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().title, "Pick one");
    EXPECT_EQ(log.back().flags, win32::BIF_RETURNONLYFSDIRS | win32::BIF_STATUSTEXT);
    EXPECT_EQ(log.back().statusTexts.back(), "M:\\Music\\Old");

    events.clear();
    win32::testing::SetBrowseForFolderScript({{"M:\\Music"}, true});
    EXPECT_FALSE(lookup->Execute());
    EXPECT_EQ(lookup->Text(), "M:\\Music\\Old");
    EXPECT_EQ(events, "before after ");
}

TEST_F(LookupEditsTest, FileLookupRunsTheOpenDialog) {
    zyltest::TempDir dir;
    zyltest::WriteTextFile(dir.Path() / "notes.txt");
    win32::testing::MapDrive('N', dir.Path().string());
    auto* lookup = Make<TZylFileLookup>();
    lookup->SetInitialDir("N:\\");
    lookup->SetTitle("Which file");
    EXPECT_EQ(lookup->Filter(), "All Files|*.*");
    EXPECT_EQ(lookup->Text(), "");
    std::string caption;
    win32::testing::SetModalScript([&](std::string_view) {
        for (vcl::Integer i = 0; i < vcl::Screen->FormCount(); ++i)
            if (vcl::TCustomForm* dialog = vcl::Screen->Forms(i); dialog->Name() == "OpenDlg") {
                caption = dialog->Caption();
                auto* name = dynamic_cast<vcl::TCustomEdit*>(dialog->FindComponent("FileNameEdit"));
                ASSERT_NE(name, nullptr);
                name->SetText("notes.txt");
                name->SetFocus();
                win32::input::PressKey(win32::VK_RETURN);
            }
    });
    ClickButton(lookup);
    EXPECT_EQ(caption, "Which file");
    EXPECT_EQ(lookup->Filename(), "N:\\notes.txt");
}

// ---------------------------------------------------------------------------------------------
// Data-aware

class DBLookupTest : public LookupEditsTest {
protected:
    void SetUp() override {
        LookupEditsTest::SetUp();
        path = dir.File("people.db");
        std::ofstream(path, std::ios::binary | std::ios::trunc).flush();
        {
            vcl::TComponentPtr<vcl::TDatabase> database(new vcl::TDatabase(nullptr));
            database->SetDatabaseName(path);
            database->Execute(
                "CREATE TABLE people (Name TEXT(20), City TEXT(20), Age INTEGER);"
                "CREATE INDEX byName ON people (Name);"
                "CREATE INDEX byNameCity ON people (Name, City);"
                "CREATE INDEX byNameAgain ON people (Name);"
                "INSERT INTO people VALUES ('Zoe', 'Bern', 30);"
                "INSERT INTO people VALUES ('Adam', 'Wien', 40);"
                "INSERT INTO people VALUES ('Mia', 'Graz', 20);");
        }
        table.reset(new vcl::TTable(nullptr));
        table->SetDatabaseName(path);
        table->SetTableName("people");
        table->Open();
        source.reset(new vcl::TDataSource(nullptr));
        source->SetDataSet(table.get());
        other = Make<vcl::TEdit>(150);
    }
    void TearDown() override {
        form->Free();
        source.reset();
        table.reset();
        LookupEditsTest::TearDown();
    }
    std::string StoredCity() {
        vcl::TComponentPtr<vcl::TTable> check(new vcl::TTable(nullptr));
        check->SetDatabaseName(path);
        check->SetTableName("people");
        check->Open();
        return check->FieldByName("City")->AsString();
    }

    zyltest::TempDir dir;
    std::string path;
    vcl::TComponentPtr<vcl::TTable> table;
    vcl::TComponentPtr<vcl::TDataSource> source;
    vcl::TEdit* other = nullptr;
};

TEST_F(DBLookupTest, LookupEditBrowsesEditsAndWritesOnLeaving) {
    auto* edit = Make<TZylDBLookupedit>();
    edit->SetDataSource(source.get());
    edit->SetDataField("City");
    EXPECT_EQ(edit->Text(), "Bern");
    EXPECT_TRUE(edit->ReadOnly());
    edit->SetFocus();
    PumpUntilIdle();
    PressKey(win32::VK_END);
    TypeText("x");
    EXPECT_EQ(table->State(), vcl::dsEdit);
    EXPECT_EQ(edit->Text(), "Bernx");
    other->SetFocus();
    PumpUntilIdle();
    table->Post();
    EXPECT_EQ(StoredCity(), "Bernx");
    // Escape brings the field's value back.
    edit->SetFocus();
    TypeText("q");
    PressKey(win32::VK_ESCAPE);
    EXPECT_EQ(edit->Text(), "Bernx");
}

TEST_F(DBLookupTest, LookupMenuStartsEmptyAndChoosesOnlyWhenFocused) {
    auto* menu = Make<TZylDBLookupMenu>();
    EXPECT_EQ(menu->ItemIndex(), -1);
    EXPECT_EQ(menu->Text(), "");
    menu->SetDataSource(source.get());
    menu->SetDataField("City");
    for (const char* item : {"Bern", "Wien", "Graz"})
        menu->Items()->Add(item);
    menu->SetItemIndex(1);
    EXPECT_EQ(menu->ItemIndex(), -1);
    // The first click focuses; the menu stays shut.
    win32::testing::SetModalScript([](std::string_view loop) { FAIL() << "no menu expected: " << loop; });
    ClickButton(menu);
    EXPECT_TRUE(menu->Focused());
    ScriptKeys({win32::VK_DOWN, win32::VK_DOWN, win32::VK_RETURN});
    ClickButton(menu);
    EXPECT_EQ(menu->Text(), "Wien");
    other->SetFocus();
    PumpUntilIdle();
    table->Post();
    EXPECT_EQ(StoredCity(), "Wien");
}

TEST_F(DBLookupTest, IndexLookupListsIndexesOnceAndKeepsTheRecord) {
    auto* lookup = new TZylDBIndexLookup(form);
    lookup->SetParent(form);
    lookup->SetBounds(10, 80, 150, 21);
    lookup->SetDisplayType(TZylDBDisplayType::dtFieldName);
    lookup->SetNoIndexEnabled(true);
    lookup->SetNoIndexItemName("(none)");
    lookup->SetDataSource(source.get());
    std::vector<std::string> entries;
    for (vcl::Integer i = 0; i < lookup->Items()->Count(); ++i)
        entries.push_back(lookup->Items()->Strings(i));
    EXPECT_EQ(entries, (std::vector<std::string>{"Name", "Name; City", "(none)"}));
    EXPECT_EQ(lookup->ItemIndex(), 2);
    EXPECT_EQ(lookup->GetIndexFieldName(), "");

    // An index on a field the dataset does not have is named as the index names it.
    table->IndexDefs()->Add("byZip", "Zip", {});
    lookup->SetNoIndexItemName("(as stored)");
    EXPECT_GE(lookup->Items()->IndexOf("Zip"), 0);

    table->Next();  // Adam
    lookup->SetFocus();
    PressKey(win32::VK_HOME);  // Name
    EXPECT_EQ(table->IndexFieldNames(), "Name");
    EXPECT_EQ(table->FieldByName("Name")->AsString(), "Adam");
    // By index name every index is its own entry, the one in use still selected.
    lookup->SetDisplayType(TZylDBDisplayType::dtIndexName);
    EXPECT_EQ(lookup->Items()->Count(), 5);
    EXPECT_GE(lookup->Items()->IndexOf("byNameCity"), 0);
    EXPECT_EQ(lookup->GetIndexFieldName(), "Name");
    lookup->SetEnabled(false);
    EXPECT_EQ(lookup->Items()->Count(), 0);
}

}  // namespace lookup_edits_tests
