// The data-aware edit's cycle driven as a user would: focus, typing, Escape, Tab away, and a
// write the field refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../db/db_test_support.h"
#include "support/ui_fixture.h"
#include "vcl/dbctrls.h"
#include "win32/virtualkeys.h"

namespace {

using namespace vcl;

class DBEditTest : public zyltest::UiFixture, public ::testing::WithParamInterface<dbtest::Kind> {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        ZYL_SKIP_WITHOUT_POSTGRES(GetParam());
        data = dbtest::MakeDataSet(GetParam(), dir,
                                   {{"ID", TFieldType::ftInteger}, {"NAME", TFieldType::ftString, 20}},
                                   {{1, "ann"}, {2, "bob"}});
        source = new TDataSource(nullptr);
        source->SetDataSet(data);
        Application->OnException = [this](TObject*, const Exception& error) {
            errors.push_back(error.Message());
        };
        form = ShowForm();
        edit = new TDBEdit(form);
        edit->SetParent(form);
        edit->SetBounds(10, 10, 150, 21);
        other = new TEdit(form);
        other->SetParent(form);
        other->SetBounds(10, 40, 150, 21);
    }
    void TearDown() override {
        Application->OnException = nullptr;
        if (form) form->Free();
        if (source) source->Free();
        if (data) data->Free();
        UiFixture::TearDown();
    }
    void Bind(const std::string& fieldName) {
        edit->SetDataSource(source);
        edit->SetDataField(fieldName);
        edit->SetFocus();
        PumpUntilIdle();
    }

    TDataSet* data = nullptr;
    zyltest::TempDir dir;
    TDataSource* source = nullptr;
    TForm* form = nullptr;
    TDBEdit* edit = nullptr;
    TEdit* other = nullptr;
    std::vector<std::string> errors;
};

TEST_P(DBEditTest, TypingEditsAndTabPostsIntoTheRecord) {
    Bind("NAME");
    EXPECT_EQ(edit->Text(), "ann");
    EXPECT_EQ(data->State(), dsBrowse);
    TypeText("zed");  // the whole text was selected on entry
    EXPECT_EQ(data->State(), dsEdit);
    EXPECT_EQ(edit->Text(), "zed");
    EXPECT_EQ(data->FieldByName("NAME")->AsString(), "ann");
    PressKey(win32::VK_TAB);
    EXPECT_TRUE(other->Focused());
    EXPECT_EQ(data->FieldByName("NAME")->AsString(), "zed");
    data->Post();
    data->Next();
    data->First();
    EXPECT_EQ(data->FieldByName("NAME")->AsString(), "zed");
    EXPECT_TRUE(errors.empty());
}

TEST_P(DBEditTest, EscapeResetsToTheFieldValue) {
    Bind("NAME");
    PressKey(win32::VK_END);
    TypeText("xyz");
    EXPECT_EQ(edit->Text(), "annxyz");
    PressKey(win32::VK_ESCAPE);
    EXPECT_EQ(edit->Text(), "ann");
    PressKey(win32::VK_TAB);
    EXPECT_EQ(data->FieldByName("NAME")->AsString(), "ann");
}

TEST_P(DBEditTest, NonNumericTextKeepsTheFocusAndReports) {
    Bind("ID");
    // IsValidChar keeps letters out of an integer field; a minus sign alone passes it.
    TypeText("a");
    EXPECT_EQ(edit->Text(), "1");
    EXPECT_EQ(data->State(), dsBrowse);
    TypeText("-");
    EXPECT_EQ(edit->Text(), "-");
    PressKey(win32::VK_TAB);
    EXPECT_TRUE(edit->Focused());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("'-' is not a valid integer value"), std::string::npos) << errors[0];
    EXPECT_EQ(edit->SelStart(), 0);
    EXPECT_EQ(edit->SelLength(), 1);
    EXPECT_EQ(data->FieldByName("ID")->AsInteger(), 1);
    TypeText("42");
    PressKey(win32::VK_TAB);
    EXPECT_TRUE(other->Focused());
    EXPECT_EQ(data->FieldByName("ID")->AsInteger(), 42);
}

TEST_P(DBEditTest, BrowsingShowsDisplayTextAndFocusShowsEditText) {
    Bind("NAME");
    data->FieldByName("NAME")->OnGetText = [](TField* sender, std::string& text, bool displayText) {
        text = displayText ? "<" + sender->AsString() + ">" : sender->AsString();
    };
    other->SetFocus();
    PumpUntilIdle();
    EXPECT_EQ(edit->Text(), "<ann>");
    edit->SetFocus();
    PumpUntilIdle();
    EXPECT_EQ(edit->Text(), "ann");
}

TEST_P(DBEditTest, ScrollingAndEditsElsewhereUpdateTheControl) {
    Bind("NAME");
    other->SetFocus();
    PumpUntilIdle();
    data->Next();
    EXPECT_EQ(edit->Text(), "bob");
    data->Edit();
    data->FieldByName("NAME")->SetAsString("bobby");
    EXPECT_EQ(edit->Text(), "bobby");
    data->Cancel();
    EXPECT_EQ(edit->Text(), "bob");
}

TEST_P(DBEditTest, RefusedEditLeavesTheTextAlone) {
    source->SetAutoEdit(false);
    Bind("NAME");
    TypeText("q");
    EXPECT_EQ(edit->Text(), "ann");
    EXPECT_EQ(data->State(), dsBrowse);
    data->FieldByName("NAME")->SetReadOnly(true);
    source->SetAutoEdit(true);
    TypeText("q");
    EXPECT_EQ(edit->Text(), "ann");
    EXPECT_EQ(data->State(), dsBrowse);
    edit->SetReadOnly(true);
    data->FieldByName("NAME")->SetReadOnly(false);
    TypeText("q");
    EXPECT_EQ(edit->Text(), "ann");
}

TEST_P(DBEditTest, ClosedDatasetOrMissingSourceShowsNothing) {
    Bind("NAME");
    data->Close();
    EXPECT_EQ(edit->Text(), "");
    EXPECT_EQ(edit->Field(), nullptr);
    data->Open();
    EXPECT_EQ(edit->Text(), "ann");
    source->Free();
    source = nullptr;
    EXPECT_EQ(edit->DataSource(), nullptr);
    EXPECT_EQ(edit->Text(), "");
    source = new TDataSource(nullptr);
}

TEST_P(DBEditTest, AnswersTheDataLinkMessage) {
    Bind("NAME");
    TDataLink* link = DataLinkOf(edit);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->DataSource(), source);
    EXPECT_EQ(static_cast<TFieldDataLink*>(link)->Field(), data->FieldByName("NAME"));
}

INSTANTIATE_TEST_SUITE_P(BackEnds, DBEditTest,
                         ::testing::Values(dbtest::Kind::memory, dbtest::Kind::sqlite,
                                           dbtest::Kind::postgres),
                         [](const auto& param) { return std::string(dbtest::KindName(param.param)); });

}  // namespace
