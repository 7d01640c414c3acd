// Tables and queries larger than their record window: navigation across the window's edges,
// bookmarks and searches outside it, deletes at its end, and rows changed by another connection.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "db_test_support.h"

namespace window_tests {

using namespace vcl;
using dbtest::ErrorOf;
using dbtest::Kind;

class WindowedTable : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override { ZYL_SKIP_WITHOUT_POSTGRES(GetParam()); }
    // People 1..rows, read through a window of four records.
    TComponentPtr<TDataSet> Make(int rows) {
        TComponentPtr<TDataSet> data(dbtest::MakePeople(GetParam(), rows, dir_));
        data->Close();
        data->SetWindowLimit(4);
        data->Open();
        return data;
    }
    static int Id(TDataSet& data) { return data.FieldByName("ID")->AsInteger(); }
    zyltest::TempDir dir_;
};

TEST_P(WindowedTable, ScansBothWaysAcrossWindowsWithPositions) {
    auto data = Make(10);
    std::string forward, positions;
    for (data->First(); !data->Eof(); data->Next()) {
        forward += std::to_string(Id(*data)) + " ";
        positions += std::to_string(data->RecNo()) + " ";
    }
    EXPECT_EQ(forward, "1 2 3 4 5 6 7 8 9 10 ");
    EXPECT_EQ(positions, forward);
    EXPECT_EQ(data->RecordCount(), 10);

    std::string backward;
    for (data->Last(); !data->Bof(); data->Prior())
        backward += std::to_string(Id(*data)) + " ";
    EXPECT_EQ(backward, "10 9 8 7 6 5 4 3 2 1 ");

    data->Last();
    EXPECT_EQ(data->RecNo(), 10) << "the last window knows its place by counting";
    EXPECT_EQ(data->MoveBy(-7), -7);
    EXPECT_EQ(Id(*data), 3);
    EXPECT_EQ(data->MoveBy(-100), -2);
    EXPECT_TRUE(data->Bof());
    EXPECT_EQ(data->MoveBy(100), 9);
    EXPECT_TRUE(data->Eof());
    data->SetRecNo(6);
    EXPECT_EQ(Id(*data), 6);
    EXPECT_EQ(ErrorOf([&] { data->SetRecNo(11); }), "EDatabaseError: Record number 11 out of range");
}

TEST_P(WindowedTable, BookmarksReachRowsOutsideTheWindow) {
    auto data = Make(10);
    data->Next();
    TBookmark second = data->GetBookmark();
    data->SetRecNo(9);
    TBookmark ninth = data->GetBookmark();
    EXPECT_LT(data->CompareBookmarks(second, ninth), 0);
    EXPECT_GT(data->CompareBookmarks(ninth, second), 0);
    ASSERT_TRUE(data->BookmarkValid(second));
    data->GotoBookmark(second);
    EXPECT_EQ(Id(*data), 2);
    EXPECT_EQ(data->RecNo(), 2);
    data->GotoBookmark(ninth);
    data->Delete();
    data->First();
    EXPECT_FALSE(data->BookmarkValid(ninth));
    EXPECT_EQ(ErrorOf([&] { data->GotoBookmark(ninth); }), "EDatabaseError: Record not found");
}

TEST_P(WindowedTable, DeletingTheLastRowOfAWindowMovesToTheNextRow) {
    auto data = Make(10);
    data->MoveBy(3);  // the fourth row, the last the first window holds
    ASSERT_EQ(Id(*data), 4);
    data->Delete();
    EXPECT_EQ(Id(*data), 5) << "the next row comes from the table";
    EXPECT_EQ(data->RecordCount(), 9);
    data->Last();
    data->Delete();
    EXPECT_EQ(Id(*data), 9) << "deleting the table's last row moves to the new last";
    std::string rest;
    for (data->First(); !data->Eof(); data->Next())
        rest += std::to_string(Id(*data));
    EXPECT_EQ(rest, "12356789");
}

TEST_P(WindowedTable, SearchesAndRangesRunInTheDatabase) {
    auto data = Make(10);
    EXPECT_TRUE(data->Locate("NAME", {"NAME9"}, {TLocateOption::loCaseInsensitive}));
    EXPECT_EQ(Id(*data), 9);
    EXPECT_EQ(data->RecNo(), 9);
    EXPECT_TRUE(data->Locate("ID", {"7"}, {}));
    EXPECT_EQ(Id(*data), 7);
    EXPECT_FALSE(data->Locate("ID", {"seven"}, {}));
    EXPECT_EQ(Id(*data), 7) << "a failed Locate keeps the position";
    EXPECT_TRUE(data->Locate("NAME", {"name1"}, {TLocateOption::loPartialKey}));
    EXPECT_EQ(Id(*data), 1) << "the first match in order";
    EXPECT_EQ(data->Lookup("ID", {8}, "NAME").AsString(), "name8");
    EXPECT_TRUE(data->Lookup("ID", {80}, "NAME").IsNull());

    data->SetIndexFieldNames("NAME");  // name1, name10, name2, ...
    data->First();
    data->Next();
    EXPECT_EQ(Id(*data), 10);
    EXPECT_TRUE(data->FindKey({"name6"}));
    EXPECT_EQ(data->RecNo(), 7);
    data->FindNearest({"name55"});
    EXPECT_EQ(Id(*data), 6);
    data->FindNearest({"zzz"});
    EXPECT_EQ(Id(*data), 9) << "past every key: the last row";
    data->SetRange({"name3"}, {"name7"});
    EXPECT_EQ(data->RecordCount(), 5);
    std::string ranged;
    for (data->First(); !data->Eof(); data->Next())
        ranged += std::to_string(Id(*data));
    EXPECT_EQ(ranged, "34567");
    data->CancelRange();
    EXPECT_EQ(data->RecordCount(), 10);
}

// Orders on keys with nulls, on a unique key and on a descending index, read through a window
// of four both ways: reading down from a value must still reach the null rows after it.
TEST_P(WindowedTable, OrdersWithNullsAndUniqueKeysReadTheSameBothWays) {
    std::string path = dbtest::NewDatabase(GetParam(), dir_);
    std::string sql =
        "CREATE TABLE items (ID INTEGER PRIMARY KEY, GRADE INTEGER, LABEL VARCHAR(10) NOT NULL);"
        "CREATE INDEX by_grade_desc ON items (GRADE DESC);";
    const char* grades[] = {"3", "NULL", "1", "3", "NULL", "2", "1", "NULL", "3", "2", "1", "NULL"};
    for (int id = 1; id <= 12; ++id)
        sql += "INSERT INTO items VALUES (" + std::to_string(id) + ", " + grades[id - 1] + ", 'L" +
               std::to_string(id % 3) + "');";
    dbtest::Execute(path, sql);
    TComponentPtr<TTable> table(new TTable(nullptr));
    table->SetDatabaseName(path);
    table->SetTableName("items");
    table->SetWindowLimit(4);
    const struct {
        const char* fieldNames;
        const char* indexName;
        const char* expected;
    } orders[] = {
        {"", "", "1 2 3 4 5 6 7 8 9 10 11 12 "},      {"ID", "", "1 2 3 4 5 6 7 8 9 10 11 12 "},
        {"GRADE", "", "2 5 8 12 3 7 11 6 10 1 4 9 "}, {"GRADE;ID", "", "2 5 8 12 3 7 11 6 10 1 4 9 "},
        {"LABEL", "", "3 6 9 12 1 4 7 10 2 5 8 11 "}, {"", "by_grade_desc", "1 4 9 6 10 3 7 11 2 5 8 12 "},
    };
    for (const auto& order : orders) {
        table->Close();
        table->SetIndexFieldNames(order.fieldNames);
        if (*order.indexName) table->SetIndexName(order.indexName);
        table->Open();
        std::string forward, backward;
        for (table->First(); !table->Eof(); table->Next())
            forward += std::to_string(Id(*table)) + " ";
        for (table->Last(); !table->Bof(); table->Prior())
            backward = std::to_string(Id(*table)) + " " + backward;
        EXPECT_EQ(forward, order.expected) << order.fieldNames << order.indexName;
        EXPECT_EQ(backward, order.expected) << order.fieldNames << order.indexName;
        // Back from the first row past the nulls (or from the middle) across a window's edge.
        ASSERT_TRUE(table->Locate("ID", {9}, {}));
        std::string before;
        for (int i = 0; i < 6 && !table->Bof(); ++i, table->Prior())
            before += std::to_string(Id(*table)) + " ";
        std::vector<std::string> ids;
        for (std::string rest = order.expected; !rest.empty(); rest.erase(0, rest.find(' ') + 1))
            ids.push_back(rest.substr(0, rest.find(' ')));
        auto at = static_cast<int>(std::find(ids.begin(), ids.end(), "9") - ids.begin());
        std::string expected;
        for (int i = at; i >= 0 && i > at - 6; --i)
            expected += ids[static_cast<size_t>(i)] + " ";
        EXPECT_EQ(before, expected) << order.fieldNames << order.indexName;
    }
}

TEST_P(WindowedTable, PostedRowsAreReadBackAroundTheirKey) {
    auto data = Make(10);
    data->SetIndexFieldNames("ID");
    data->Edit();
    data->FieldByName("ID")->SetAsInteger(95);
    data->Post();
    EXPECT_EQ(Id(*data), 95);
    EXPECT_EQ(data->RecNo(), 10) << "the window follows the row to its new place";
    data->Prior();
    EXPECT_EQ(Id(*data), 10);
    data->Append();
    data->FieldByName("ID")->SetAsInteger(50);
    data->FieldByName("NAME")->SetAsString("fifty");
    data->Post();
    EXPECT_EQ(data->RecNo(), 10);
    data->Next();
    EXPECT_EQ(Id(*data), 95);
}

// With the controls disabled a post reads no neighbours back (an import posts a million rows): the
// posted row alone is the window, and navigation from it must still find the rows on both sides.
TEST_P(WindowedTable, RowsPostedWithControlsDisabledKeepTheirNeighbours) {
    auto data = Make(10);
    data->SetIndexFieldNames("ID");
    data->DisableControls();
    for (int id : {55, 0, 99}) {
        data->Append();
        data->FieldByName("ID")->SetAsInteger(id);
        data->Post();
    }
    data->SetRecNo(7);
    data->Edit();
    data->FieldByName("NAME")->SetAsString("six");
    data->Post();
    data->EnableControls();
    EXPECT_EQ(data->FieldByName("NAME")->AsString(), "six");
    EXPECT_EQ(data->RecNo(), 7) << "counted, since the window no longer knows its place";
    data->Prior();
    EXPECT_EQ(Id(*data), 5);
    data->Next();
    data->Next();
    EXPECT_EQ(Id(*data), 7);
    std::string backward;
    for (data->Last(); !data->Bof(); data->Prior())
        backward += std::to_string(Id(*data)) + " ";
    EXPECT_EQ(backward, "99 55 10 9 8 7 6 5 4 3 2 1 0 ");
    EXPECT_EQ(data->RecordCount(), 13);
}

// A bulk append posts each row alone inside the caller's transaction: a refused row leaves the
// transaction usable, and a posted row's defaults arrive once someone asks for them.
TEST_P(WindowedTable, BulkAppendsReadRowsBackWhenAskedAndSurviveARefusedRow) {
    auto data = Make(10);
    auto& table = static_cast<TTable&>(*data);
    data->Close();
    dbtest::Execute(table.DatabaseName(),
                    "ALTER TABLE people ADD COLUMN CITY VARCHAR(10) DEFAULT 'Oslo';"
                    "CREATE UNIQUE INDEX people_id ON people (ID)");
    data->Open();
    data->SetIndexFieldNames("ID");
    std::string afterPost;
    data->AfterPost = [&](TDataSet* sender) {
        if (Id(*sender) == 21) afterPost = sender->FieldByName("CITY")->AsString();
    };
    table.Database()->StartTransaction();
    data->BeginBulkAppend();
    int refused = 0;
    for (int id : {20, 5, 21, 0}) {
        data->Append();
        data->FieldByName("ID")->SetAsInteger(id);
        data->FieldByName("NAME")->SetAsString("n" + std::to_string(id));
        try {
            data->Post();
        } catch (const EDatabaseError&) {
            ++refused;
            data->Cancel();
        }
    }
    EXPECT_EQ(refused, 1);
    EXPECT_EQ(afterPost, "Oslo") << "read back when the handler asked";
    EXPECT_EQ(Id(*data), 0);
    EXPECT_EQ(data->FieldByName("CITY")->AsString(), "Oslo");
    data->EndBulkAppend();
    table.Database()->Commit();
    EXPECT_FALSE(data->ControlsDisabled());
    data->Next();
    EXPECT_EQ(Id(*data), 1) << "navigation reads the neighbours in the index order";
    std::string backward;
    for (data->Last(); !data->Bof(); data->Prior())
        backward += std::to_string(Id(*data)) + data->FieldByName("CITY")->AsString().substr(0, 1) + " ";
    EXPECT_EQ(backward, "21O 20O 10O 9O 8O 7O 6O 5O 4O 3O 2O 1O 0O ");
    EXPECT_EQ(data->RecordCount(), 13);
}

// In the natural order the window stays one row however many go in, and reads on from it.
TEST_P(WindowedTable, BulkAppendsInTheNaturalOrderReadOnFromTheLastRow) {
    auto data = Make(6);
    data->BeginBulkAppend();
    for (int id = 7; id <= 9; ++id) {
        data->Append();
        data->FieldByName("ID")->SetAsInteger(id);
        data->Post();
    }
    data->EndBulkAppend();
    EXPECT_EQ(Id(*data), 9);
    EXPECT_EQ(data->RecNo(), 9);
    std::string backward;
    for (; !data->Bof(); data->Prior())
        backward += std::to_string(Id(*data)) + " ";
    EXPECT_EQ(backward, "9 8 7 6 5 4 3 2 1 ");
}

TEST_P(WindowedTable, RefreshShowsAnotherConnectionsChangeAndPostingFollowsTheKey) {
    TComponentPtr<TDataSet> data(dbtest::MakePeople(GetParam(), 10, dir_));
    auto* table = static_cast<TTable*>(data.get());
    data->Close();
    // Another connection to the same database (another spelling of the path for SQLite). A
    // PostgreSQL row is followed by its key: without one its place on disk moves with each update.
    std::string other = GetParam() == Kind::postgres ? table->DatabaseName() : dir_.File(".") + "/test.db";
    if (GetParam() == Kind::postgres) dbtest::Execute(other, "ALTER TABLE people ADD PRIMARY KEY (ID)");
    data->SetWindowLimit(4);
    data->Open();
    data->SetRecNo(6);
    dbtest::Execute(other,
                    "UPDATE people SET NAME = 'renamed' WHERE ID = 6; DELETE FROM people WHERE ID = 7");
    EXPECT_EQ(data->FieldByName("NAME")->AsString(), "name6") << "the window holds what it read";
    data->Refresh();
    EXPECT_EQ(data->FieldByName("NAME")->AsString(), "renamed");
    data->Next();
    EXPECT_EQ(Id(*data), 8);

    dbtest::Execute(other, "UPDATE people SET NAME = 'theirs' WHERE ID = 8");
    data->Edit();
    data->FieldByName("ID")->SetAsInteger(80);
    data->Post();
    EXPECT_EQ(data->FieldByName("NAME")->AsString(), "theirs") << "only the changed field is written";
    dbtest::Execute(other, "DELETE FROM people WHERE ID = 80");
    EXPECT_EQ(ErrorOf([&] { data->Edit(); }),
              "EDatabaseError: Couldn't perform the edit because another user changed the record");
    EXPECT_EQ(data->State(), dsBrowse);
}

// A scan reads on through one statement for many windows; whatever else runs on the connection
// in between (another table's scan, a posted edit) ends it, and the scan goes on where it was.
TEST_P(WindowedTable, ScansGoOnAcrossOtherStatementsOnTheirConnection) {
    auto data = Make(100);
    auto* table = static_cast<TTable*>(data.get());
    if (GetParam() == Kind::postgres) {
        // Rows followed by their key: a row without one moves on disk, and in disk order, when updated.
        data->Close();
        dbtest::Execute(table->DatabaseName(), "ALTER TABLE people ADD PRIMARY KEY (ID)");
        data->Open();
    }
    TComponentPtr<TTable> other(new TTable(nullptr));
    other->SetDatabaseName(table->DatabaseName());
    other->SetTableName(table->TableName());
    other->SetWindowLimit(4);
    other->Open();
    std::string seen, theirs;
    for (data->First(); !data->Eof(); data->Next()) {
        seen += std::to_string(Id(*data)) + " ";
        if (Id(*data) == 30)
            for (other->First(); !other->Eof(); other->Next())
                theirs += other->FieldByName("ID")->AsString() + " ";
        if (Id(*data) == 60) {
            data->Edit();
            data->FieldByName("NAME")->SetAsString("sixty");
            data->Post();
        }
    }
    std::string all;
    for (int id = 1; id <= 100; ++id)
        all += std::to_string(id) + " ";
    EXPECT_EQ(seen, all);
    EXPECT_EQ(theirs, all);
    EXPECT_TRUE(data->Locate("NAME", {"sixty"}, {}));
    EXPECT_EQ(Id(*data), 60);
}

TEST_P(WindowedTable, QueriesLargerThanTheirWindowReadByPosition) {
    std::string path = dbtest::NewDatabase(GetParam(), dir_);
    std::string sql = "CREATE TABLE numbers (n INTEGER);";
    for (int i = 1; i <= 9; ++i)
        sql += "INSERT INTO numbers VALUES (" + std::to_string(i) + ");";
    dbtest::Execute(path, sql);
    TComponentPtr<TQuery> query(new TQuery(nullptr));
    query->SetDatabaseName(path);
    query->SetWindowLimit(3);
    query->SQL()->SetText("SELECT n, n * n AS square FROM numbers WHERE n > :low ORDER BY n DESC");
    query->ParamByName("low")->SetAsInteger(1);
    query->Open();
    std::string seen;
    for (; !query->Eof(); query->Next())
        seen += query->FieldByName("n")->AsString();
    EXPECT_EQ(seen, "98765432");
    EXPECT_EQ(query->RecordCount(), 8);
    query->Last();
    EXPECT_EQ(query->FieldByName("square")->AsInteger(), 4);
    query->First();
    EXPECT_EQ(query->FieldByName("n")->AsInteger(), 9);
    EXPECT_TRUE(query->Locate("n", {3}, {}));
    EXPECT_EQ(query->RecNo(), 7);
    EXPECT_EQ(ErrorOf([&] { query->SetIndexFieldNames("n"); }).substr(0, 45),
              "EDatabaseError: Cannot order, range or search");
}

INSTANTIATE_TEST_SUITE_P(Engines, WindowedTable, ::testing::Values(Kind::sqlite, Kind::postgres),
                         [](const auto& param) { return std::string(dbtest::KindName(param.param)); });

// ---------------------------------------------------------------------------------------------

class PostgresTable : public ::testing::Test {
protected:
    void SetUp() override {
        ZYL_SKIP_WITHOUT_POSTGRES(Kind::postgres);
        uri_ = dbtest::PostgresDatabase();
    }
    std::string uri_;
};

TEST_F(PostgresTable, FieldTypesMapBothWays) {
    TComponentPtr<TTable> table(new TTable(nullptr));
    table->SetDatabaseName(uri_);
    table->SetTableName("kinds");
    const std::pair<TFieldType, Integer> defs[] = {
        {TFieldType::ftAutoInc, 0},  {TFieldType::ftSmallint, 0}, {TFieldType::ftInteger, 0},
        {TFieldType::ftLargeint, 0}, {TFieldType::ftBCD, 0},      {TFieldType::ftCurrency, 0},
        {TFieldType::ftFloat, 0},    {TFieldType::ftString, 12},  {TFieldType::ftMemo, 0},
        {TFieldType::ftBoolean, 0},  {TFieldType::ftDate, 0},     {TFieldType::ftTime, 0},
        {TFieldType::ftDateTime, 0}, {TFieldType::ftBlob, 0}};
    for (size_t i = 0; i < std::size(defs); ++i)
        table->FieldDefs()->Add("f" + std::to_string(i), defs[i].first, defs[i].second);
    table->CreateTable();
    table->Open();
    for (size_t i = 0; i < std::size(defs); ++i)
        EXPECT_EQ(table->FieldDefs()->Items(static_cast<int>(i))->DataType(), defs[i].first) << i;
    EXPECT_EQ(table->FieldByName("f7")->Size(), 12);

    const TDateTime when = EncodeDate(2024, 2, 29) + EncodeTime(13, 5, 7, 250);
    const std::string bytes(
        "a\0\xff"
        "b",
        4);
    table->Append();
    table->FieldByName("f1")->SetAsInteger(-32768);
    table->FieldByName("f2")->SetAsInteger(2147483647);
    table->FieldByName("f3")->SetAsLargeInt(9007199254740993LL);
    table->FieldByName("f4")->SetAsFloat(0.5);
    table->FieldByName("f5")->SetAsString("12.3456");
    table->FieldByName("f6")->SetAsFloat(-1.25e-7);
    table->FieldByName("f7")->SetAsString("h\xC3\xA9llo 'x'");
    table->FieldByName("f8")->SetAsString(std::string(10000, 'm'));
    table->FieldByName("f9")->SetAsBoolean(true);
    table->FieldByName("f10")->SetAsDateTime(EncodeDate(2024, 2, 29));
    table->FieldByName("f11")->SetAsDateTime(EncodeTime(23, 59, 58, 0));
    table->FieldByName("f12")->SetAsDateTime(when);
    table->FieldByName("f13")->SetAsString(bytes);
    table->Post();
    table->AppendRecord({});  // every column NULL
    table->Close();
    table->Open();
    EXPECT_EQ(table->FieldByName("f0")->AsInteger(), 1) << "the server numbers the key";
    EXPECT_EQ(table->FieldByName("f1")->AsInteger(), -32768);
    EXPECT_EQ(table->FieldByName("f2")->AsInteger(), 2147483647);
    EXPECT_EQ(table->FieldByName("f3")->AsLargeInt(), 9007199254740993LL);
    EXPECT_EQ(table->FieldByName("f4")->AsFloat(), 0.5);
    EXPECT_EQ(table->FieldByName("f5")->AsCurrency(), Currency::FromRaw(123456));
    EXPECT_EQ(table->FieldByName("f6")->AsFloat(), -1.25e-7);
    EXPECT_EQ(table->FieldByName("f7")->AsString(), "h\xC3\xA9llo 'x'");
    EXPECT_EQ(table->FieldByName("f8")->AsString().size(), 10000u);
    EXPECT_TRUE(table->FieldByName("f9")->AsBoolean());
    EXPECT_EQ(table->FieldByName("f10")->AsDateTime(), EncodeDate(2024, 2, 29));
    EXPECT_EQ(table->FieldByName("f11")->AsDateTime(), EncodeTime(23, 59, 58, 0));
    EXPECT_EQ(table->FieldByName("f12")->AsDateTime(), when);
    EXPECT_EQ(table->FieldByName("f13")->AsString(), bytes);
    table->Next();
    for (int i = 1; i < table->FieldCount(); ++i)
        EXPECT_TRUE(table->Fields()[i]->IsNull()) << i;
}

TEST_F(PostgresTable, ServerMessagesBecomeDatabaseErrors) {
    dbtest::Execute(uri_,
                    "CREATE TABLE items (id SERIAL PRIMARY KEY, code VARCHAR(8) UNIQUE NOT NULL);"
                    "INSERT INTO items (code) VALUES ('A'), ('B')");
    TComponentPtr<TTable> table(new TTable(nullptr));
    table->SetName("Items");
    table->SetDatabaseName(uri_);
    table->SetTableName("items");
    table->Open();
    table->Edit();
    table->FieldByName("code")->SetAsString("B");
    EXPECT_EQ(ErrorOf([&] { table->Post(); }),
              "EDatabaseError: Items: duplicate key value violates unique constraint \"items_code_key\"");
    EXPECT_EQ(table->State(), dsEdit);
    table->Cancel();
    EXPECT_EQ(table->FieldByName("code")->AsString(), "A");

    TComponentPtr<TDatabase> refused(new TDatabase(nullptr));
    refused->SetDatabaseName("shop");
    refused->SetDriverName("POSTGRESQL");
    refused->Params()->Add("HOST=127.0.0.1");
    refused->Params()->Add("PORT=1");
    std::string error = ErrorOf([&] { refused->Open(); });
    EXPECT_EQ(error.rfind("EDatabaseError: Cannot open database 'shop': ", 0), 0u) << error;
    EXPECT_NE(error.find("127.0.0.1"), std::string::npos) << error;
}

}  // namespace window_tests
