// The data-aware label over an SQLite table, and the check box, combo box, memo and image over a
// dataset in memory, in SQLite and in PostgreSQL: following the record, writing through user
// input, refusing read-only fields.
#include <gtest/gtest.h>

#include <string>

#include "../db/db_test_support.h"
#include "support/ui_fixture.h"
#include "vcl/dbctrls.h"
#include "vcl/streaming.h"
#include "win32/virtualkeys.h"

namespace {

using namespace vcl;

class DBControlsTest : public zyltest::UiFixture, public ::testing::WithParamInterface<dbtest::Kind> {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        ZYL_SKIP_WITHOUT_POSTGRES(GetParam());
        data = dbtest::MakeDataSet(GetParam(), dir,
                                   {{"NAME", TFieldType::ftString, 20},
                                    {"OK", TFieldType::ftBoolean},
                                    {"FLAG", TFieldType::ftString, 3},
                                    {"NOTES", TFieldType::ftMemo}},
                                   {{"ann", true, "Y", "first"}, {"bob", false, "N", "second"}});
        source = new TDataSource(nullptr);
        source->SetDataSet(data);
        form = ShowForm();
        other = new TEdit(form);
        other->SetParent(form);
        other->SetBounds(10, 170, 100, 21);
    }
    void TearDown() override {
        if (form) form->Free();
        if (source) source->Free();
        if (data) data->Free();
        UiFixture::TearDown();
    }
    template <typename T>
    T* Add(const std::string& field, int top) {
        auto* control = new T(form);
        control->SetParent(form);
        control->SetBounds(10, top, 150, 24);
        control->SetDataSource(source);
        control->SetDataField(field);
        return control;
    }
    void LeaveTo(TWinControl* control) {
        control->SetFocus();
        PumpUntilIdle();
    }

    TDataSet* data = nullptr;
    zyltest::TempDir dir;
    TDataSource* source = nullptr;
    TForm* form = nullptr;
    TEdit* other = nullptr;
};

TEST_P(DBControlsTest, DBTextFollowsAnSQLiteTableAsItScrolls) {
    zyltest::TempDir peopleDir;
    TComponentPtr<TDataSet> table(dbtest::MakePeople(dbtest::Kind::sqlite, 3, peopleDir));
    TComponentPtr<TDataSource> people(new TDataSource(nullptr));
    auto* text = new TDBText(form);
    text->SetParent(form);
    text->SetDataField("NAME");
    EXPECT_EQ(text->Caption(), "");  // no source: nothing at run time
    people->SetDataSet(table.get());
    text->SetDataSource(people.get());
    EXPECT_EQ(text->Caption(), "name1");
    table->Next();
    EXPECT_EQ(text->Caption(), "name2");
    table->Last();
    EXPECT_EQ(text->Caption(), "name3");
    table->Close();
    EXPECT_EQ(text->Caption(), "");
}

TEST_P(DBControlsTest, DBTextShowsItsNameAtDesignTime) {
    const std::string formText =
        "object Form1: TForm\n  object Label1: TDBText\n    DataField = 'NAME'\n  end\nend\n";
    TComponentPtr<TComponent> root(new TForm(nullptr, 0));
    root->SetDesigning(true);
    ReadComponentText(formText, root.get());
    auto* label = static_cast<TDBText*>(root->FindComponent("Label1"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->DataField(), "NAME");
    EXPECT_EQ(label->Caption(), "Label1");
}

TEST_P(DBControlsTest, CheckBoxTogglesABooleanField) {
    auto* box = Add<TDBCheckBox>("OK", 10);
    EXPECT_EQ(box->State(), cbChecked);
    data->Next();
    EXPECT_EQ(box->State(), cbUnchecked);
    box->SetFocus();
    PumpUntilIdle();
    PressKey(win32::VK_SPACE);
    EXPECT_EQ(box->State(), cbChecked);
    EXPECT_EQ(data->State(), dsEdit);
    LeaveTo(other);
    EXPECT_TRUE(data->FieldByName("OK")->AsBoolean());
    data->Post();
    EXPECT_TRUE(data->FieldByName("OK")->AsBoolean());
}

TEST_P(DBControlsTest, CheckBoxMapsTextFieldsThroughItsValues) {
    auto* box = Add<TDBCheckBox>("FLAG", 10);
    EXPECT_EQ(box->State(), cbGrayed);  // "Y" is neither True nor False
    box->SetValueChecked("yes;y");
    box->SetValueUnchecked("no;n");
    EXPECT_EQ(box->State(), cbChecked);
    data->Next();
    EXPECT_EQ(box->State(), cbUnchecked);
    box->SetFocus();
    PumpUntilIdle();
    PressKey(win32::VK_SPACE);
    data->Post();
    EXPECT_EQ(data->FieldByName("FLAG")->AsString(), "yes");
}

TEST_P(DBControlsTest, ReadOnlyCheckBoxRefusesToToggle) {
    auto* box = Add<TDBCheckBox>("OK", 10);
    box->SetReadOnly(true);
    box->SetFocus();
    PumpUntilIdle();
    PressKey(win32::VK_SPACE);
    EXPECT_EQ(box->State(), cbChecked);
    EXPECT_EQ(data->State(), dsBrowse);
}

TEST_P(DBControlsTest, ComboBoxChoosesAValue) {
    auto* combo = Add<TDBComboBox>("NAME", 10);
    combo->SetStyle(csDropDownList);
    combo->Items()->Add("ann");
    combo->Items()->Add("bob");
    combo->Items()->Add("cyd");
    data->Next();
    data->First();
    EXPECT_EQ(combo->ItemIndex(), 0);
    combo->SetFocus();
    PumpUntilIdle();
    PressKey(win32::VK_DOWN);
    PressKey(win32::VK_DOWN);
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(data->State(), dsEdit);
    LeaveTo(other);
    EXPECT_EQ(data->FieldByName("NAME")->AsString(), "cyd");
    data->Post();
    data->Next();
    EXPECT_EQ(combo->ItemIndex(), 1);
}

TEST_P(DBControlsTest, ComboBoxRefusesAChoiceOnAReadOnlyField) {
    auto* combo = Add<TDBComboBox>("NAME", 10);
    combo->SetStyle(csDropDownList);
    combo->Items()->Add("ann");
    combo->Items()->Add("bob");
    data->Next();
    data->First();
    data->FieldByName("NAME")->SetReadOnly(true);
    combo->SetFocus();
    PumpUntilIdle();
    PressKey(win32::VK_DOWN);
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(data->State(), dsBrowse);
}

TEST_P(DBControlsTest, MemoEditsAMemoField) {
    auto* memo = Add<TDBMemo>("NOTES", 10);
    memo->SetBounds(10, 10, 200, 80);
    EXPECT_EQ(memo->Text(), "first");
    memo->SetFocus();
    PumpUntilIdle();
    PressKey(win32::VK_END, win32::input::Ctrl);
    TypeText(" line");
    EXPECT_EQ(data->State(), dsEdit);
    PressKey(win32::VK_ESCAPE);
    EXPECT_EQ(memo->Text(), "first");
    TypeText("!");
    LeaveTo(other);
    data->Post();
    EXPECT_EQ(data->FieldByName("NOTES")->AsString(), "!first");
    data->Next();
    EXPECT_EQ(memo->Text(), "second");
}

TEST_P(DBControlsTest, MemoWithoutAutoDisplayShowsThePlaceholderUntilLoaded) {
    auto* memo = Add<TDBMemo>("NOTES", 10);
    memo->SetAutoDisplay(false);
    data->Next();
    EXPECT_EQ(memo->Text(), "(NOTES)");
    memo->LoadMemo();
    EXPECT_EQ(memo->Text(), "second");
}

TEST_P(DBControlsTest, ImageStoresAnAssignedPictureInTheField) {
    TComponentPtr<TMemoryDataSet> pictures(new TMemoryDataSet(nullptr));
    pictures->FieldDefs()->Add("PIC", TFieldType::ftGraphic);
    pictures->CreateDataSet();
    pictures->AppendRecord({Variant()});
    source->SetDataSet(pictures.get());
    auto* image = Add<TDBImage>("PIC", 10);
    EXPECT_EQ(image->Picture()->Graphic(), nullptr);
    TPicture picture;
    picture.Bitmap()->SetSize(4, 3);
    picture.Bitmap()->Canvas()->SetPixels(1, 1, clRed);
    image->SetPicture(&picture);
    EXPECT_EQ(pictures->State(), dsEdit);
    pictures->Post();
    EXPECT_FALSE(pictures->FieldByName("PIC")->IsNull());
    pictures->Edit();
    pictures->FieldByName("PIC")->Clear();
    EXPECT_EQ(image->Picture()->Graphic(), nullptr);
    pictures->Cancel();
    ASSERT_NE(image->Picture()->Graphic(), nullptr);
    EXPECT_EQ(image->Picture()->Width(), 4);
    EXPECT_EQ(image->Picture()->Bitmap()->Canvas()->Pixels(1, 1), clRed);
}

TEST_P(DBControlsTest, FormWithDataControlsRoundTripsThroughText) {
    auto* owned = new TDataSource(form);
    owned->SetName("Source1");
    owned->SetDataSet(data);
    auto* edit = Add<TDBEdit>("NAME", 10);
    edit->SetDataSource(owned);
    edit->SetName("Edit1");
    edit->SetReadOnly(true);
    auto* box = Add<TDBCheckBox>("FLAG", 40);
    box->SetName("Check1");
    box->SetDataSource(owned);
    box->SetValueChecked("Y");
    const std::string text = ComponentToText(form);
    EXPECT_NE(text.find("DataField = 'NAME'"), std::string::npos) << text;
    EXPECT_NE(text.find("ValueChecked = 'Y'"), std::string::npos) << text;
    EXPECT_EQ(text.find("ValueUnchecked"), std::string::npos) << text;
    TComponentPtr<TComponent> copy(new TForm(nullptr, 0));
    ReadComponentText(text, copy.get());
    auto* edit2 = static_cast<TDBEdit*>(copy->FindComponent("Edit1"));
    ASSERT_NE(edit2, nullptr);
    EXPECT_TRUE(edit2->ReadOnly());
    EXPECT_EQ(edit2->DataField(), "NAME");
    EXPECT_EQ(edit2->DataSource(), copy->FindComponent("Source1"));
    EXPECT_EQ(static_cast<TDBCheckBox*>(copy->FindComponent("Check1"))->ValueChecked(), "Y");
    // Freeing the source clears the control's link instead of leaving it dangling.
    static_cast<TDataSource*>(copy->FindComponent("Source1"))->Free();
    EXPECT_EQ(edit2->DataSource(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(BackEnds, DBControlsTest,
                         ::testing::Values(dbtest::Kind::memory, dbtest::Kind::sqlite,
                                           dbtest::Kind::postgres),
                         [](const auto& param) { return std::string(dbtest::KindName(param.param)); });

}  // namespace
