// The data-aware enhanced label: following a dataset in memory and in SQLite, its name at design
// time, its data link, losing its source, and what it writes with the form.
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "lumaro/zyllabels.h"
#include "support/tempdir.h"
#include "support/ui_fixture.h"
#include "vcl/dbctrls.h"
#include "vcl/dbtables.h"
#include "vcl/streaming.h"

namespace {

using namespace vcl;
using namespace lumaro;

// A data label that notes the text each paint draws.
class TWatchedDBLabel : public TZylDBLabel {
public:
    using TZylDBLabel::TZylDBLabel;
    std::vector<std::string> drawn;

protected:
    void DoDrawText(TRect& rect, win32::UINT flags) override {
        if (!(flags & win32::DT_CALCRECT)) drawn.push_back(Caption());
        TZylDBLabel::DoDrawText(rect, flags);
    }
};

class DBLabelTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        owner.reset(new TForm(nullptr, 0));
        source = new TDataSource(owner.get());
        source->SetName("Source");
        label = new TWatchedDBLabel(owner.get());
        label->SetName("CityLabel");
        label->SetBounds(0, 0, 120, 24);
    }
    void TearDown() override {
        owner.reset();
        UiFixture::TearDown();
    }

    // Cities(ID, CITY, RATE) in memory: three rows.
    TMemoryDataSet* MemoryCities() {
        auto* data = new TMemoryDataSet(owner.get());
        data->FieldDefs()->Add("ID", TFieldType::ftInteger);
        data->FieldDefs()->Add("CITY", TFieldType::ftString, 30);
        data->FieldDefs()->Add("RATE", TFieldType::ftFloat);
        data->CreateDataSet();
        data->AppendRecord({1, "Lyon", 1.5});
        data->AppendRecord({2, "Porto", 2.25});
        data->AppendRecord({3, "Graz", 3.0});
        data->First();
        return data;
    }

    // The same rows in an SQLite file.
    std::string SqliteCities() {
        const std::string path = dir.File("cities.db");
        std::ofstream(path, std::ios::binary | std::ios::trunc).flush();
        TComponentPtr<TDatabase> database(new TDatabase(nullptr));
        database->SetDatabaseName(path);
        database->Execute(
            "CREATE TABLE cities (ID INTEGER PRIMARY KEY, CITY VARCHAR(30), RATE REAL);"
            "INSERT INTO cities VALUES (1, 'Lyon', 1.5);"
            "INSERT INTO cities VALUES (2, 'Porto', 2.25);"
            "INSERT INTO cities VALUES (3, 'Graz', 3.0);");
        return path;
    }

    std::string Painted() {
        TBitmap bitmap;
        bitmap.SetSize(label->Width(), label->Height());
        label->drawn.clear();
        label->PaintTo(bitmap.Canvas(), 0, 0);
        return label->drawn.empty() ? "<not drawn>" : label->drawn.back();
    }

    // Walks the dataset and edits its current record, noting the caption after each step.
    std::vector<std::string> Walk(TDataSet* data) {
        std::vector<std::string> seen{label->Caption()};
        data->Next();
        seen.push_back(label->Caption());
        data->Last();
        seen.push_back(label->Caption());
        data->Prior();
        seen.push_back(label->Caption());
        return seen;
    }

    zyltest::TempDir dir;
    TComponentPtr<TForm> owner;
    TDataSource* source = nullptr;
    TWatchedDBLabel* label = nullptr;
};

const std::vector<std::string> kWalk{"Lyon", "Porto", "Graz", "Porto"};

TEST_F(DBLabelTest, FollowsAMemoryDataSetThroughScrollingAndEditing) {
    TMemoryDataSet* data = MemoryCities();
    source->SetDataSet(data);
    label->SetDataField("CITY");
    label->SetDataSource(source);
    EXPECT_EQ(Walk(data), kWalk);

    data->Edit();
    data->FieldByName("CITY")->SetAsString("Pula");
    EXPECT_EQ(label->Caption(), "Pula");
    data->Post();
    EXPECT_EQ(Painted(), "Pula");

    // The display text, not the stored value.
    auto* rate = dynamic_cast<TNumericField*>(data->FieldByName("RATE"));
    ASSERT_NE(rate, nullptr);
    rate->SetDisplayFormat("0.000");
    label->SetDataField("RATE");
    EXPECT_EQ(label->Caption(), "2.250");

    data->Close();
    EXPECT_EQ(label->Caption(), "");
}

TEST_F(DBLabelTest, FollowsAnSqliteTableAndQuery) {
    const std::string path = SqliteCities();
    auto* table = new TTable(owner.get());
    table->SetDatabaseName(path);
    table->SetTableName("cities");
    table->Open();
    source->SetDataSet(table);
    label->SetDataSource(source);
    label->SetDataField("CITY");
    EXPECT_EQ(Walk(table), kWalk);
    table->Edit();
    table->FieldByName("CITY")->SetAsString("Bern");
    table->Post();
    EXPECT_EQ(label->Caption(), "Bern");
    table->Close();

    auto* query = new TQuery(owner.get());
    query->SetDatabaseName(path);
    TStringList sql;
    sql.SetText("SELECT CITY FROM cities ORDER BY ID DESC");
    query->SetSQL(&sql);
    source->SetDataSet(query);
    query->Open();
    EXPECT_EQ(label->Caption(), "Graz");
    query->Next();
    EXPECT_EQ(label->Caption(), "Bern");
    EXPECT_EQ(Painted(), "Bern");
}

TEST_F(DBLabelTest, ShowsItsNameOnlyWhileDesignedWithoutAField) {
    EXPECT_EQ(Painted(), "");
    EXPECT_EQ(label->Caption(), "");
    label->SetDesigning(true);
    EXPECT_EQ(Painted(), "CityLabel");
    // A caption set in code is replaced by the field text when painted.
    label->SetCaption("stale");
    EXPECT_EQ(Painted(), "CityLabel");
    // A field takes over from the name.
    TMemoryDataSet* data = MemoryCities();
    source->SetDataSet(data);
    label->SetDataField("CITY");
    label->SetDataSource(source);
    EXPECT_EQ(label->Caption(), "Lyon");
}

TEST_F(DBLabelTest, AnswersTheDataLinkQueryAndForgetsAFreedSource) {
    EXPECT_EQ(DataLinkOf(label), label->DataLink());
    EXPECT_EQ(label->DataLink()->Control(), label);
    TMemoryDataSet* data = MemoryCities();
    source->SetDataSet(data);
    label->SetDataSource(source);
    label->SetDataField("CITY");
    EXPECT_EQ(label->Field(), data->FieldByName("CITY"));
    EXPECT_EQ(source->DataLinkCount(), 1);
    EXPECT_THROW(label->SetDataField("NOSUCH"), EDatabaseError);

    label->SetDataField("CITY");
    EXPECT_EQ(label->Caption(), "Lyon");
    source->Free();
    EXPECT_EQ(label->DataSource(), nullptr);
    EXPECT_EQ(label->Field(), nullptr);
    EXPECT_EQ(label->Caption(), "");
    EXPECT_EQ(Painted(), "");
}

TEST_F(DBLabelTest, AutoSizeMeasuresTheFieldText) {
    TMemoryDataSet* data = MemoryCities();
    source->SetDataSet(data);
    label->SetDataSource(source);
    label->SetDataField("CITY");
    label->SetAutoSize(true);
    TBitmap measure;
    measure.Canvas()->SetFont(label->Font());
    EXPECT_EQ(label->Width(), measure.Canvas()->TextWidth("Lyon"));
    EXPECT_EQ(label->Height(), measure.Canvas()->TextHeight("Lyon"));
    data->Next();
    EXPECT_EQ(label->Width(), measure.Canvas()->TextWidth("Porto"));
}

TEST_F(DBLabelTest, FrameAndFont3DAreNotWrittenWithTheForm) {
    owner->SetName("Cities");
    label->SetParent(owner.get());
    label->SetDataSource(source);
    label->SetDataField("CITY");
    label->Font3D()->SetStyle3D(fontRaised);
    label->Frame()->SetFrameStyle(frameLowered);
    label->Frame()->SetFrameWidth(2);
    const std::string text = ComponentToText(owner.get());
    EXPECT_EQ(text.find("Font3D"), std::string::npos) << text;
    EXPECT_EQ(text.find("Frame"), std::string::npos) << text;
    EXPECT_NE(text.find("DataSource = Source"), std::string::npos) << text;
    EXPECT_NE(text.find("DataField = 'CITY'"), std::string::npos) << text;

    TComponentPtr<TForm> copy(new TForm(nullptr, 0));
    ReadComponentText(text, copy.get());
    auto* reloaded = dynamic_cast<TZylDBLabel*>(copy->FindComponent("CityLabel"));
    auto* reloadedSource = dynamic_cast<TDataSource*>(copy->FindComponent("Source"));
    ASSERT_TRUE(reloaded && reloadedSource);
    EXPECT_EQ(reloaded->Font3D()->Style3D(), fontOnlyHighlight);
    EXPECT_EQ(reloaded->Frame()->FrameStyle(), frameNone);
    EXPECT_EQ(reloaded->Frame()->FrameWidth(), 1);
    EXPECT_FALSE(reloaded->ShowAccelChar());
    EXPECT_EQ(reloaded->DataSource(), reloadedSource);
    // The reloaded link works once the source has data.
    TMemoryDataSet* data = MemoryCities();
    reloadedSource->SetDataSet(data);
    EXPECT_EQ(reloaded->Caption(), "Lyon");
}

}  // namespace
