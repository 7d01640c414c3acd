// The data-aware spin edit over an SQLite table: browsing refuses every step, editing steps, posts
// and cancels, leaving the control writes the clamped value and keeps a null field null.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "pellic/zyltdbspinedit.h"
#include "support/tempdir.h"
#include "support/ui_fixture.h"
#include "vcl/dbtables.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

namespace db_spin_edit_tests {

using namespace pellic;

class DBSpinEditTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        path = dir.File("stock.db");
        std::ofstream(path, std::ios::binary | std::ios::trunc).flush();
        {
            vcl::TComponentPtr<vcl::TDatabase> database(new vcl::TDatabase(nullptr));
            database->SetDatabaseName(path);
            database->Execute(
                "CREATE TABLE stock (ID INTEGER NOT NULL, QTY INTEGER);"
                "INSERT INTO stock VALUES (1, 5); INSERT INTO stock VALUES (2, NULL);");
        }
        table.reset(new vcl::TTable(nullptr));
        table->SetDatabaseName(path);
        table->SetTableName("stock");
        table->Open();
        source.reset(new vcl::TDataSource(nullptr));
        source->SetDataSet(table.get());
        form = ShowForm();
        edit = new TZylDBSpinEdit(form);
        edit->SetParent(form);
        edit->SetBounds(10, 10, 100, 21);
        edit->SetMaxValue(100);
        edit->SetDataSource(source.get());
        edit->SetDataField("QTY");
        other = new vcl::TEdit(form);
        other->SetParent(form);
        other->SetBounds(10, 60, 100, 21);
        PumpUntilIdle();
    }
    void TearDown() override {
        form->Free();
        source.reset();
        table.reset();
        UiFixture::TearDown();
    }

    // QTY of the first row as the file holds it, read through a table of its own.
    std::string StoredQuantity() {
        vcl::TComponentPtr<vcl::TTable> check(new vcl::TTable(nullptr));
        check->SetDatabaseName(path);
        check->SetTableName("stock");
        check->Open();
        vcl::TField* field = check->FieldByName("QTY");
        return field->IsNull() ? "null" : field->AsString();
    }
    void ClickTop() { ClickAt(edit->Button(), 2, 2); }
    static size_t Beeps() { return win32::testing::Beeps().size(); }

    zyltest::TempDir dir;
    std::string path;
    vcl::TComponentPtr<vcl::TTable> table;
    vcl::TComponentPtr<vcl::TDataSource> source;
    vcl::TForm* form = nullptr;
    TZylDBSpinEdit* edit = nullptr;
    vcl::TEdit* other = nullptr;
};

TEST_F(DBSpinEditTest, BrowsingRefusesEveryStep) {
    EXPECT_EQ(edit->Text(), "5");
    edit->SetFocus();
    PumpUntilIdle();
    const size_t before = Beeps();
    ClickTop();
    PressKey(win32::VK_UP);
    PressKey(win32::VK_PRIOR);
    PressKey(win32::VK_NEXT);
    EXPECT_EQ(edit->Text(), "5");
    EXPECT_EQ(Beeps() - before, 4u);
    EXPECT_EQ(table->State(), vcl::dsBrowse);
}

TEST_F(DBSpinEditTest, EditingStepsPostsAndCancels) {
    table->Edit();
    ClickTop();
    edit->SetFocus();
    PumpUntilIdle();
    PressKey(win32::VK_UP);
    PressKey(win32::VK_PRIOR);
    EXPECT_EQ(edit->Text(), "17");
    table->Post();
    EXPECT_EQ(StoredQuantity(), "17");

    table->Edit();
    PressKey(win32::VK_DOWN);
    EXPECT_EQ(edit->Text(), "16");
    table->Cancel();
    EXPECT_EQ(edit->Text(), "17");
    EXPECT_EQ(StoredQuantity(), "17");
}

TEST_F(DBSpinEditTest, LeavingWritesTheClampedValueAndKeepsANullField) {
    edit->SetFocus();
    PumpUntilIdle();
    edit->SelectAll();
    TypeText("500");  // typing starts editing
    EXPECT_EQ(table->State(), vcl::dsEdit);
    other->SetFocus();
    PumpUntilIdle();
    EXPECT_EQ(edit->Text(), "100");
    table->Post();
    EXPECT_EQ(StoredQuantity(), "100");

    table->Next();
    EXPECT_EQ(edit->Text(), "");
    table->Edit();
    edit->SetFocus();
    PumpUntilIdle();
    other->SetFocus();
    PumpUntilIdle();
    EXPECT_TRUE(table->FieldByName("QTY")->IsNull());
}

}  // namespace db_spin_edit_tests
