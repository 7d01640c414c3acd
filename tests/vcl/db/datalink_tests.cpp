#include <gtest/gtest.h>

#include "db_test_support.h"

namespace {

using namespace vcl;
using dbtest::ErrorOf;

// Records every callback a link receives, in order.
class RecordingLink : public TDataLink {
public:
    explicit RecordingLink(std::string& log) : log_(log) {}

protected:
    void ActiveChanged() override { log_ += Active() ? "active " : "inactive "; }
    void CheckBrowseMode() override { log_ += "check "; }
    void DataSetChanged() override { log_ += "changed "; }
    void DataSetScrolled(int distance) override { log_ += "scrolled" + std::to_string(distance) + " "; }
    void EditingChanged() override { log_ += Editing() ? "editing " : "browsing "; }
    void LayoutChanged() override { log_ += "layout "; }
    void RecordChanged(TField* field) override {
        log_ += "record(" + (field ? field->FieldName() : "") + ") ";
    }
    void UpdateData() override { log_ += "update "; }

private:
    std::string& log_;
};

class DataLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        data_.reset(static_cast<TMemoryDataSet*>(dbtest::MakePeople(dbtest::Kind::memory, 3, dir_)));
        data_->Close();
        source_->SetDataSet(data_.get());
        link_.SetDataSource(source_.get());
    }
    zyltest::TempDir dir_;
    TComponentPtr<TMemoryDataSet> data_;
    TComponentPtr<TDataSource> source_{new TDataSource(nullptr)};
    std::string log_;
    RecordingLink link_{log_};
};

TEST_F(DataLinkTest, NotificationsOfTheEditCycleInOrder) {
    data_->Open();
    EXPECT_EQ(log_, "active ");
    log_.clear();
    data_->Next();
    EXPECT_EQ(log_, "check scrolled1 ");
    log_.clear();
    data_->Edit();
    EXPECT_EQ(log_, "check editing record() ");
    log_.clear();
    data_->FieldByName("NAME")->SetAsString("x");
    EXPECT_EQ(log_, "record(NAME) ");
    log_.clear();
    data_->Post();
    EXPECT_EQ(log_, "update check browsing changed ");
    log_.clear();
    data_->Close();
    EXPECT_EQ(log_, "inactive ");
}

TEST_F(DataLinkTest, DisableControlsHoldsEventsBack) {
    data_->Open();
    log_.clear();
    data_->DisableControls();
    data_->DisableControls();
    data_->Next();
    data_->Last();
    data_->EnableControls();
    EXPECT_EQ(log_, "") << "still disabled once";
    data_->EnableControls();
    EXPECT_EQ(log_, "changed ") << "one data set change replaces the held events";
    log_.clear();
    data_->DisableControls();
    data_->Edit();
    data_->FieldByName("ID")->SetDisplayLabel("Number");
    data_->EnableControls();
    EXPECT_EQ(log_, "editing layout ") << "state first, then a layout change replaces the data change";
}

TEST_F(DataLinkTest, DataSourceStateEnabledAndFreeNotification) {
    std::string events;
    source_->OnStateChange = [&](TObject*) {
        events += "state:" + std::string(EnumName(source_->State())) + " ";
    };
    source_->OnDataChange = [&](TObject*, TField* field) {
        events += "data:" + (field ? field->FieldName() : "") + " ";
    };
    data_->Open();
    EXPECT_EQ(events, "state:dsBrowse data: ");
    events.clear();
    source_->SetEnabled(false);
    EXPECT_EQ(source_->State(), dsInactive);
    EXPECT_FALSE(link_.Active());
    data_->Next();
    EXPECT_EQ(events, "state:dsInactive ");
    source_->SetEnabled(true);
    EXPECT_TRUE(link_.Active());
    data_.reset();
    EXPECT_EQ(source_->DataSet(), nullptr);
    EXPECT_FALSE(link_.Active());
    EXPECT_EQ(source_->State(), dsInactive);
}

TEST_F(DataLinkTest, FieldDataLinkEditCycle) {
    TFieldDataLink field;
    std::string shown;
    int updates = 0;
    field.SetDataSource(source_.get());
    field.SetFieldName("NAME");
    EXPECT_EQ(field.Field(), nullptr) << "no field while inactive";
    field.OnDataChange = [&](TObject*) { shown = field.Field() ? field.Field()->DisplayText() : "<none>"; };
    field.OnUpdateData = [&](TObject*) {
        ++updates;
        field.Field()->SetAsString("typed");
    };
    data_->Open();
    ASSERT_NE(field.Field(), nullptr);
    EXPECT_EQ(shown, "name1");
    EXPECT_TRUE(field.CanModify());
    EXPECT_FALSE(field.Editing());
    EXPECT_TRUE(field.Edit()) << "AutoEdit puts the dataset into edit mode";
    EXPECT_EQ(data_->State(), dsEdit);
    field.Modified();
    data_->Post();
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(data_->FieldByName("NAME")->AsString(), "typed");
    EXPECT_EQ(shown, "typed");
    data_->Edit();
    data_->Post();  // the control changed nothing: no write
    EXPECT_EQ(updates, 1);

    field.Edit();
    field.Modified();
    field.Reset();
    EXPECT_FALSE(field.IsModified()) << "Reset drops the control's pending text";
    data_->Cancel();

    source_->SetAutoEdit(false);
    EXPECT_FALSE(field.Edit());
    EXPECT_EQ(data_->State(), dsBrowse);
    data_->SetReadOnly(true);
    EXPECT_FALSE(field.CanModify());

    data_->Close();
    field.SetFieldName("MISSING");
    EXPECT_EQ(ErrorOf([&] { data_->Open(); }), "EDatabaseError: Field 'MISSING' not found");
}

TEST_F(DataLinkTest, FailedWriteKeepsEditStateAndLinkModified) {
    TFieldDataLink field;
    field.SetDataSource(source_.get());
    field.SetFieldName("ID");
    field.OnUpdateData = [&](TObject*) { field.Field()->SetAsString("twelve"); };
    data_->Open();
    field.Edit();
    field.Modified();
    EXPECT_EQ(ErrorOf([&] { data_->Post(); }), "EConvertError: 'twelve' is not a valid integer value");
    EXPECT_EQ(data_->State(), dsEdit);
    EXPECT_EQ(data_->FieldByName("ID")->AsInteger(), 1);
}

}  // namespace
