// The database viewers on a real SQLite table: the memo and image windows follow the current
// record, the memo's edits are posted unless it is read-only, and a missing or freed data source
// shows nothing.
#include <fstream>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "quenta/zyldbviews.h"
#include "vcl/dbctrls.h"
#include "vcl/dbtables.h"
#include "vcl/streams.h"
#include "win32/virtualkeys.h"

namespace dbviews_tests {

using namespace vcl;
using namespace quenta;

// Notes(ID, BODY memo, PICTURE image) in an SQLite file; the second note has a 4 by 3 red picture.
class DBViewTest : public dialogtest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        path = dir_.File("notes.db");
        std::ofstream(path, std::ios::binary | std::ios::trunc).flush();
        {
            TComponentPtr<TDatabase> database(new TDatabase(nullptr));
            database->SetDatabaseName(path);
            database->Execute(
                "CREATE TABLE notes (ID INTEGER PRIMARY KEY, BODY MEMO, PICTURE IMAGE);"
                "INSERT INTO notes VALUES (1, 'first note', NULL);"
                "INSERT INTO notes VALUES (2, 'second note', NULL);");
        }
        owner.reset(new TForm(nullptr, 0));
        table = new TTable(owner.get());
        table->SetDatabaseName(path);
        table->SetTableName("notes");
        table->Open();
        source = new TDataSource(owner.get());
        source->SetDataSet(table);
        TBitmap picture;
        picture.SetSize(4, 3);
        picture.Canvas()->Brush()->SetColor(clRed);
        picture.Canvas()->FillRect(Rect(0, 0, 4, 3));
        TStringStream bytes("");
        picture.SaveToStream(bytes);
        table->Last();
        table->Edit();
        table->FieldByName("PICTURE")->SetAsString(bytes.DataString());
        table->Post();
    }
    void TearDown() override {
        owner.reset();
        DialogTest::TearDown();
    }

    // BODY of a note as a fresh query reads it from the file.
    std::string StoredBody(int id) const {
        TComponentPtr<TQuery> query(new TQuery(nullptr));
        query->SetDatabaseName(path);
        query->SQL()->Add("SELECT BODY FROM notes WHERE ID = " + std::to_string(id));
        query->Open();
        return query->FieldByName("BODY")->AsString();
    }

    std::string path;
    TComponentPtr<TForm> owner;
    TTable* table = nullptr;
    TDataSource* source = nullptr;
};

TEST_F(DBViewTest, TheMemoWindowShowsTheCurrentNoteAndPostsWhatWasTyped) {
    TComponentPtr<TZylDBMemoView> view(new TZylDBMemoView(nullptr));
    view->SetDataSource(source);
    view->SetDataField("BODY");
    table->First();
    std::string shown;
    Answer({[&] {
        TCustomForm* form = Dialog("ZylDBMemoView");
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->Caption(), "DB Memo Viewer");
        EXPECT_EQ(form->Width(), 535);
        EXPECT_EQ(form->Height(), 367);
        EXPECT_EQ(form->Left(), (1024 - 535) / 2);
        EXPECT_EQ(Part<TControl>("ZylDBMemoView", "TopPanel")->Height(), 31);
        auto* memo = Part<TDBMemo>("ZylDBMemoView", "Memo");
        EXPECT_EQ(memo->Top(), 31);
        EXPECT_EQ(memo->Height(), form->ClientHeight() - 31);
        shown = memo->Text();
        memo->SetFocus();
        win32::input::PressKey(win32::VK_END);
        win32::input::TypeText(", edited");
        PumpUntilIdle();
        Click("ZylDBMemoView", "CloseButton");
    }});
    EXPECT_TRUE(view->Execute());
    EXPECT_EQ(shown, "first note");
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(StoredBody(1), "first note, edited");

    view->SetReadonly(true);
    table->Last();
    Answer({[&] {
        auto* memo = Part<TDBMemo>("ZylDBMemoView", "Memo");
        shown = memo->Text();
        EXPECT_TRUE(memo->ReadOnly());
        memo->SetFocus();
        win32::input::TypeText("ignored");
        PumpUntilIdle();
        Click("ZylDBMemoView", "CloseButton");
    }});
    EXPECT_TRUE(view->Execute());
    EXPECT_EQ(shown, "second note");
    EXPECT_EQ(StoredBody(2), "second note");
}

TEST_F(DBViewTest, TheImageWindowShowsThePictureOfTheCurrentRecord) {
    TComponentPtr<TZylDBImageView> view(new TZylDBImageView(nullptr));
    view->SetDataSource(source);
    view->SetDataField("PICTURE");
    view->SetFormCaption("Photo");
    view->SetPosition(poDesigned);
    view->SetFormLeft(10);
    table->Last();
    Integer width = 0;
    TColor corner = clNone;
    Answer({[&] {
        TCustomForm* form = Dialog("ZylDBImageView");
        EXPECT_EQ(form->Caption(), "Photo");
        EXPECT_EQ(form->Width(), 502);
        EXPECT_EQ(form->Height(), 380);
        EXPECT_EQ(form->Left(), 10);
        TBitmap* bitmap = Part<TDBImage>("ZylDBImageView", "Image")->Picture()->Bitmap();
        width = bitmap->Width();
        corner = bitmap->Canvas()->Pixels(0, 0);
        Click("ZylDBImageView", "CloseButton");
    }});
    EXPECT_TRUE(view->Execute());
    EXPECT_EQ(width, 4);
    EXPECT_EQ(corner, clRed);
}

TEST_F(DBViewTest, WithoutADataSourceNothingIsShownAndAFreedSourceIsForgotten) {
    TComponentPtr<TZylDBMemoView> memo(new TZylDBMemoView(nullptr));
    TComponentPtr<TZylDBImageView> image(new TZylDBImageView(nullptr));
    EXPECT_FALSE(memo->Execute());
    memo->SetDataSource(source);
    image->SetDataSource(source);
    owner.reset();
    EXPECT_EQ(memo->DataSource(), nullptr);
    EXPECT_EQ(image->DataSource(), nullptr);
    EXPECT_FALSE(memo->Execute());
    EXPECT_FALSE(image->Execute());
    EXPECT_TRUE(loops_.empty());
}

}  // namespace dbviews_tests
