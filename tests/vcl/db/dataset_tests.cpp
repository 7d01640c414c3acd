#include <gtest/gtest.h>

#include "db_test_support.h"

namespace {

using namespace vcl;
using dbtest::ErrorOf;
using dbtest::Kind;

class BothDataSets : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override { ZYL_SKIP_WITHOUT_POSTGRES(GetParam()); }
    TComponentPtr<TDataSet> Make(int rows) {
        return TComponentPtr<TDataSet>(dbtest::MakePeople(GetParam(), rows, dir_));
    }
    zyltest::TempDir dir_;
};

struct Flags {
    bool bof, eof;
    int recNo;
};

Flags Of(const TDataSet& data) {
    return {data.Bof(), data.Eof(), data.RecNo()};
}

void ExpectFlags(const TDataSet& data, bool bof, bool eof, int recNo, const char* step) {
    Flags flags = Of(data);
    EXPECT_EQ(flags.bof, bof) << step;
    EXPECT_EQ(flags.eof, eof) << step;
    EXPECT_EQ(flags.recNo, recNo) << step;
}

TEST_P(BothDataSets, BofEofOnEmptyDataSet) {
    auto data = Make(0);
    ExpectFlags(*data, true, true, -1, "open");
    EXPECT_TRUE(data->IsEmpty());
    data->Next();
    ExpectFlags(*data, true, true, -1, "next");
    data->Last();
    ExpectFlags(*data, true, true, -1, "last");
    data->Prior();
    ExpectFlags(*data, true, true, -1, "prior");
    EXPECT_EQ(data->RecordCount(), 0);
    EXPECT_TRUE(data->FieldByName("ID")->IsNull());
}

TEST_P(BothDataSets, BofEofOnOneRow) {
    auto data = Make(1);
    ExpectFlags(*data, true, false, 1, "open");
    data->Next();
    ExpectFlags(*data, false, true, 1, "next past the only row");
    data->Prior();
    ExpectFlags(*data, true, false, 1, "prior before the only row");
    data->Last();
    ExpectFlags(*data, false, true, 1, "last");
    data->First();
    ExpectFlags(*data, true, false, 1, "first");
}

TEST_P(BothDataSets, BofEofOnManyRows) {
    auto data = Make(3);
    ExpectFlags(*data, true, false, 1, "open");
    data->Next();
    ExpectFlags(*data, false, false, 2, "next");
    data->Next();
    ExpectFlags(*data, false, false, 3, "next onto last row does not set Eof");
    data->Next();
    ExpectFlags(*data, false, true, 3, "next past last");
    EXPECT_EQ(data->MoveBy(-5), -2);
    ExpectFlags(*data, true, false, 1, "MoveBy clamps at the start");
    EXPECT_EQ(data->MoveBy(1), 1);
    data->SetRecNo(3);
    EXPECT_EQ(data->FieldByName("NAME")->AsString(), "name3");
    EXPECT_EQ(data->RecordCount(), 3);
}

TEST_P(BothDataSets, ScanVisitsEveryRowInOrder) {
    auto data = Make(5);
    std::string seen;
    for (data->First(); !data->Eof(); data->Next())
        seen += data->FieldByName("ID")->AsString();
    EXPECT_EQ(seen, "12345");
}

TEST_P(BothDataSets, ClosedDataSetRefusesNavigation) {
    auto data = Make(2);
    data->Close();
    EXPECT_EQ(data->State(), dsInactive);
    const std::string closed = "EDatabaseError: Cannot perform this operation on a closed dataset";
    EXPECT_EQ(ErrorOf([&] { data->Next(); }), closed);
    EXPECT_EQ(ErrorOf([&] { data->First(); }), closed);
    EXPECT_EQ(ErrorOf([&] { data->Edit(); }), closed);
    EXPECT_EQ(ErrorOf([&] { (void)data->RecordCount(); }), closed);
    data->Open();
    EXPECT_EQ(data->RecordCount(), 2);
}

TEST_P(BothDataSets, EditPostAndCancel) {
    auto data = Make(3);
    data->SetRecNo(2);
    data->Edit();
    EXPECT_EQ(data->State(), dsEdit);
    data->FieldByName("NAME")->SetAsString("changed");
    EXPECT_TRUE(data->Modified());
    data->Cancel();
    EXPECT_EQ(data->State(), dsBrowse);
    EXPECT_EQ(data->FieldByName("NAME")->AsString(), "name2");

    data->Edit();
    data->FieldByName("NAME")->SetAsString("posted");
    data->Post();
    EXPECT_EQ(data->RecNo(), 2);
    data->Refresh();
    EXPECT_EQ(data->FieldByName("NAME")->AsString(), "posted");
}

TEST_P(BothDataSets, InsertAppendAndDelete) {
    auto data = Make(2);
    data->Append();
    EXPECT_EQ(data->State(), dsInsert);
    EXPECT_TRUE(data->Eof());
    EXPECT_EQ(data->RecNo(), -1);
    data->FieldByName("ID")->SetAsInteger(9);
    data->Post();
    EXPECT_EQ(data->RecordCount(), 3);
    EXPECT_EQ(data->RecNo(), 3);

    data->First();
    data->Insert();
    data->FieldByName("ID")->SetAsInteger(0);
    data->Post();
    EXPECT_EQ(data->RecNo(), 1) << "Insert places the row before the current one";

    data->Last();
    data->Delete();
    EXPECT_EQ(data->RecordCount(), 3);
    EXPECT_EQ(data->FieldByName("ID")->AsInteger(), 2) << "deleting the last row moves to the new last";
    data->Insert();
    data->Delete();  // deleting an unposted insert cancels it
    EXPECT_EQ(data->State(), dsBrowse);
    EXPECT_EQ(data->RecordCount(), 3);
}

TEST_P(BothDataSets, DeleteOnEmptyAndEditOfEmptyInserts) {
    auto data = Make(0);
    EXPECT_EQ(ErrorOf([&] { data->Delete(); }),
              "EDatabaseError: Cannot perform this operation on an empty dataset");
    data->Edit();
    EXPECT_EQ(data->State(), dsInsert);
}

TEST_P(BothDataSets, WritesNeedEditMode) {
    auto data = Make(1);
    EXPECT_EQ(ErrorOf([&] { data->FieldByName("NAME")->SetAsString("x"); }),
              "EDatabaseError: Dataset not in edit or insert mode");
    EXPECT_EQ(ErrorOf([&] { data->Post(); }), "EDatabaseError: Dataset not in edit or insert mode");
    data->SetReadOnly(true);
    EXPECT_EQ(ErrorOf([&] { data->Edit(); }), "EDatabaseError: Cannot modify a read-only dataset");
}

TEST_P(BothDataSets, NonNumericTextLeavesRecordUnchanged) {
    auto data = Make(1);
    data->Edit();
    TField* id = data->FieldByName("ID");
    EXPECT_EQ(ErrorOf([&] { id->SetAsString("abc"); }), "EConvertError: 'abc' is not a valid integer value");
    EXPECT_EQ(id->AsInteger(), 1);
    EXPECT_FALSE(data->Modified());
    id->SetAsString("");
    EXPECT_TRUE(id->IsNull()) << "empty text clears a numeric field";
}

TEST_P(BothDataSets, BookmarksReturnToTheRow) {
    auto data = Make(4);
    data->SetRecNo(3);
    TBookmark mark = data->GetBookmark();
    data->First();
    ASSERT_TRUE(data->BookmarkValid(mark));
    data->GotoBookmark(mark);
    EXPECT_EQ(data->FieldByName("ID")->AsInteger(), 3);
    TBookmark first = (data->First(), data->GetBookmark());
    EXPECT_LT(data->CompareBookmarks(first, mark), 0);
    data->GotoBookmark(mark);
    data->Delete();
    EXPECT_FALSE(data->BookmarkValid(mark));
    EXPECT_EQ(ErrorOf([&] { data->GotoBookmark(mark); }), "EDatabaseError: Record not found");
    data->FreeBookmark(mark);
    EXPECT_FALSE(mark.has_value());
}

TEST_P(BothDataSets, LocateAndLookup) {
    auto data = Make(5);
    EXPECT_TRUE(data->Locate("NAME", {"NAME4"}, {TLocateOption::loCaseInsensitive}));
    EXPECT_EQ(data->RecNo(), 4);
    EXPECT_FALSE(data->Locate("NAME", {"NAME4"}, {}));
    EXPECT_EQ(data->RecNo(), 4) << "a failed Locate keeps the position";
    EXPECT_TRUE(data->Locate("ID", {"2"}, {}));
    EXPECT_EQ(data->RecNo(), 2);
    EXPECT_TRUE(data->Locate("NAME", {"name5"}, {TLocateOption::loPartialKey}));
    EXPECT_EQ(data->Lookup("ID", {3}, "NAME").AsString(), "name3");
    EXPECT_TRUE(data->Lookup("ID", {30}, "NAME").IsNull());
    EXPECT_EQ(ErrorOf([&] { data->Locate("MISSING", {1}, {}); }),
              "EDatabaseError: Field 'MISSING' not found");
}

TEST_P(BothDataSets, FindKeyAndRangeOnIndexFieldNames) {
    auto data = Make(6);
    EXPECT_EQ(ErrorOf([&] { data->SetIndexFieldNames("NOPE"); }), "EDatabaseError: Field 'NOPE' not found");
    data->SetIndexFieldNames("NAME");
    EXPECT_TRUE(data->FindKey({"name4"}));
    EXPECT_EQ(data->FieldByName("ID")->AsInteger(), 4);
    EXPECT_FALSE(data->FindKey({"name44"}));
    data->FindNearest({"name35"});
    EXPECT_EQ(data->FieldByName("NAME")->AsString(), "name4");
    data->SetRange({"name2"}, {"name4"});
    EXPECT_EQ(data->RecordCount(), 3);
    EXPECT_TRUE(data->Bof());
    EXPECT_EQ(data->FieldByName("ID")->AsInteger(), 2);
    data->CancelRange();
    EXPECT_EQ(data->RecordCount(), 6);
}

TEST_P(BothDataSets, EventsFireInTheFrameworkOrder) {
    auto data = Make(2);
    std::string log;
    auto record = [&](const char* name) {
        return [&log, name](TDataSet*) { log += std::string(name) + " "; };
    };
    data->BeforeEdit = record("BeforeEdit");
    data->AfterEdit = record("AfterEdit");
    data->BeforePost = record("BeforePost");
    data->AfterPost = record("AfterPost");
    data->BeforeInsert = record("BeforeInsert");
    data->AfterInsert = record("AfterInsert");
    data->OnNewRecord = record("OnNewRecord");
    data->BeforeScroll = record("BeforeScroll");
    data->AfterScroll = record("AfterScroll");
    data->BeforeDelete = record("BeforeDelete");
    data->AfterDelete = record("AfterDelete");
    data->BeforeCancel = record("BeforeCancel");
    data->AfterCancel = record("AfterCancel");

    data->Edit();
    data->FieldByName("ID")->SetAsInteger(7);
    data->Post();
    EXPECT_EQ(log, "BeforeEdit AfterEdit BeforePost AfterPost ");
    log.clear();
    data->Insert();
    data->Cancel();
    EXPECT_EQ(log, "BeforeInsert BeforeScroll OnNewRecord AfterInsert AfterScroll BeforeCancel AfterCancel ");
    log.clear();
    data->Delete();
    EXPECT_EQ(log, "BeforeDelete BeforeScroll AfterDelete AfterScroll ");
    log.clear();
    data->Last();
    data->Next();  // at Eof: BeforeScroll only
    EXPECT_EQ(log, "BeforeScroll AfterScroll BeforeScroll ");
}

INSTANTIATE_TEST_SUITE_P(Implementations, BothDataSets,
                         ::testing::Values(Kind::memory, Kind::sqlite, Kind::postgres),
                         [](const auto& param) { return std::string(dbtest::KindName(param.param)); });

// ---------------------------------------------------------------------------------------------

class MemoryDataSetTest : public ::testing::Test {
protected:
    void SetUp() override {
        data_->FieldDefs()->Add("ID", TFieldType::ftInteger, 0, true);
        data_->FieldDefs()->Add("NAME", TFieldType::ftString, 5);
        data_->FieldDefs()->Add("PRICE", TFieldType::ftCurrency);
        data_->FieldDefs()->Add("DONE", TFieldType::ftBoolean);
        data_->FieldDefs()->Add("WHEN", TFieldType::ftDate);
        data_->CreateDataSet();
    }
    TComponentPtr<TMemoryDataSet> data_{new TMemoryDataSet(nullptr)};
};

TEST_F(MemoryDataSetTest, RequiredFieldsRefusePostAndKeepInsertState) {
    data_->Append();
    EXPECT_EQ(ErrorOf([&] { data_->Post(); }), "EDatabaseError: Field 'ID' must have a value");
    EXPECT_EQ(data_->State(), dsInsert);
    data_->FieldByName("ID")->SetAsInteger(1);
    data_->Post();
    EXPECT_EQ(data_->RecordCount(), 1);
}

TEST_F(MemoryDataSetTest, FieldConversionsAndTexts) {
    data_->Append();
    TField* name = data_->FieldByName("NAME");
    name->SetAsString("");
    EXPECT_FALSE(name->IsNull()) << "an empty string is not Null";
    name->SetAsString("abcdefgh");
    EXPECT_EQ(name->AsString(), "abcde") << "strings are cut to Size characters";
    name->SetAsString("\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F\xC3\xA9xyz");
    EXPECT_EQ(name->AsString(), "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F\xC3\xA9") << "cut at characters, not bytes";

    TField* price = data_->FieldByName("PRICE");
    price->SetAsString("12.345");
    EXPECT_EQ(price->AsCurrency(), Currency::FromRaw(123450));
    EXPECT_EQ(price->DisplayText(), "$12.35");
    EXPECT_EQ(price->Alignment(), TAlignment::taRightJustify);

    TField* done = data_->FieldByName("DONE");
    done->SetAsString("t");
    EXPECT_TRUE(done->AsBoolean());
    EXPECT_EQ(done->DisplayText(), "True");
    EXPECT_EQ(ErrorOf([&] { done->SetAsString("maybe"); }),
              "EConvertError: 'maybe' is not a valid boolean value");
    EXPECT_EQ(ErrorOf([&] { (void)done->AsDateTime(); }),
              "EDatabaseError: Cannot access field 'DONE' as type DateTime");

    TField* when = data_->FieldByName("WHEN");
    when->SetAsDateTime(EncodeDate(2024, 2, 29));
    EXPECT_EQ(when->AsString(), "2/29/2024");
    EXPECT_EQ(ErrorOf([&] { when->SetAsString("31/31/2024"); }),
              "EConvertError: '31/31/2024' is not a valid date");

    TField* id = data_->FieldByName("ID");
    EXPECT_TRUE(id->IsValidChar('7'));
    EXPECT_FALSE(id->IsValidChar('.'));
    EXPECT_TRUE(price->IsValidChar('.'));
    EXPECT_EQ(ErrorOf([&] { id->SetAsFloat(3e10); }),
              "EDatabaseError: 30000000000 is not a valid value for field 'ID'. The allowed range is "
              "-2147483648 to "
              "2147483647");
}

TEST_F(MemoryDataSetTest, OnValidateRejectionRestoresTheValue) {
    TField* id = data_->FieldByName("ID");
    id->OnValidate = [](TField* sender) {
        if (sender->AsInteger() < 0) throw EDatabaseError("negative");
    };
    data_->Append();
    id->SetAsInteger(5);
    EXPECT_EQ(ErrorOf([&] { id->SetAsInteger(-1); }), "EDatabaseError: negative");
    EXPECT_EQ(id->AsInteger(), 5);
}

TEST_F(MemoryDataSetTest, CalculatedFieldsFollowTheRecord) {
    data_->Close();
    data_->FieldDefs()->Clear();
    auto* id = new TIntegerField(data_.get());
    id->SetFieldName("ID");
    id->SetDataSet(data_.get());
    auto* twice = new TIntegerField(data_.get());
    twice->SetFieldName("TWICE");
    twice->SetFieldKind(TFieldKind::fkCalculated);
    twice->SetDataSet(data_.get());
    data_->OnCalcFields = [&](TDataSet*) { twice->SetAsInteger(id->AsInteger() * 2); };
    data_->CreateDataSet();
    data_->AppendRecord({4});
    data_->AppendRecord({10});
    EXPECT_EQ(twice->AsInteger(), 20);
    data_->First();
    EXPECT_EQ(twice->AsInteger(), 8);
    data_->Edit();
    id->SetAsInteger(21);
    EXPECT_EQ(twice->AsInteger(), 42) << "recalculated while editing";
    EXPECT_EQ(ErrorOf([&] { twice->SetAsInteger(1); }), "EDatabaseError: Field 'TWICE' cannot be modified");
}

TEST_F(MemoryDataSetTest, RowsSurviveCloseAndIndexDefsOrder) {
    data_->AppendRecord({2, "b"});
    data_->AppendRecord({1, "c"});
    data_->AppendRecord({3, "a"});
    data_->Close();
    data_->IndexDefs()->Add("ByName", "NAME", {TIndexOption::ixDescending});
    data_->SetIndexName("ByName");
    data_->Open();
    EXPECT_EQ(data_->RecordCount(), 3);
    std::string names;
    for (data_->First(); !data_->Eof(); data_->Next())
        names += data_->FieldByName("NAME")->AsString();
    EXPECT_EQ(names, "cba");
    EXPECT_EQ(ErrorOf([&] { data_->SetIndexName("Nope"); }), "EDatabaseError: Index 'Nope' not found");
    EXPECT_EQ(data_->IndexName(), "ByName");
    data_->EmptyDataSet();
    EXPECT_TRUE(data_->IsEmpty());
}

TEST_F(MemoryDataSetTest, PostedRowMovesToItsIndexPosition) {
    data_->SetIndexFieldNames("ID");
    for (int id : {10, 20, 30})
        data_->AppendRecord({id});
    data_->First();
    data_->Edit();
    data_->FieldByName("ID")->SetAsInteger(25);
    data_->Post();
    EXPECT_EQ(data_->RecNo(), 2);
    EXPECT_EQ(data_->FieldByName("ID")->AsInteger(), 25);
}

TEST(DataSetErrors, FieldByNameAndFieldIndexes) {
    TComponentPtr<TMemoryDataSet> data(new TMemoryDataSet(nullptr));
    data->SetName("Data1");
    EXPECT_EQ(ErrorOf([&] { data->CreateDataSet(); }),
              "EDatabaseError: Data1: No fields defined; cannot create dataset");
    data->FieldDefs()->Add("A", TFieldType::ftInteger);
    EXPECT_EQ(ErrorOf([&] { data->FieldDefs()->Add("a", TFieldType::ftString); }),
              "EDatabaseError: Duplicate field name 'a'");
    EXPECT_EQ(ErrorOf([&] { data->FieldDefs()->Add("S", TFieldType::ftString, 9000); }),
              "EDatabaseError: Invalid field size");
    data->Open();
    EXPECT_EQ(ErrorOf([&] { data->FieldByName("B"); }), "EDatabaseError: Data1: Field 'B' not found");
    EXPECT_EQ(data->FindField("b"), nullptr);
    EXPECT_EQ(data->FindField("a"), data->Fields()[0]);
    EXPECT_EQ(ErrorOf([&] { data->Fields().Fields(1); }), "EDatabaseError: Data1: Field index out of range");
    EXPECT_EQ(ErrorOf([&] { data->SetRecNo(5); }), "EDatabaseError: Data1: Record number 5 out of range");
    EXPECT_EQ(ErrorOf([&] { data->FindKey({1}); }), "EDatabaseError: Data1: No index currently active");
    TStringList names;
    data->GetFieldNames(names);
    ASSERT_EQ(names.Count(), 1);
    EXPECT_EQ(names.Strings(0), "A");
}

}  // namespace
