#include <gtest/gtest.h>

#include <fstream>

#include "db_test_support.h"

namespace {

using namespace vcl;
using dbtest::ErrorOf;

class SQLiteTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dbtest::NewDatabase(dir_);
        dbtest::Execute(
            path_,
            "CREATE TABLE items (id INTEGER PRIMARY KEY, code VARCHAR(8) NOT NULL, name TEXT COLLATE NOCASE,"
            " qty SMALLINT DEFAULT 1, price MONEY, made DATE, seen DATETIME, ok BOOLEAN, pic BLOB, w REAL);"
            "CREATE UNIQUE INDEX by_code ON items (code);"
            "CREATE INDEX by_name_qty ON items (name, qty DESC);"
            "CREATE INDEX by_expr ON items (lower(code));"
            "INSERT INTO items (id, code, name, qty) VALUES (1, 'C', 'pear', 5), (2, 'A', 'Apple', 2),"
            " (3, 'B', 'apple', 9), (4, 'D', 'fig', 1);");
        table_->SetDatabaseName(path_);
        table_->SetTableName("items");
    }
    std::string Codes() {
        std::string codes;
        for (table_->First(); !table_->Eof(); table_->Next())
            codes += table_->FieldByName("code")->AsString();
        return codes;
    }
    std::string Query(const std::string& sql) {
        TComponentPtr<TQuery> query(new TQuery(nullptr));
        query->SetDatabaseName(path_);
        query->SQL()->SetText(sql);
        query->Open();
        std::string result;
        for (; !query->Eof(); query->Next())
            for (TField* field : query->Fields())
                result += (field->IsNull() ? "null" : field->AsString()) + ";";
        return result;
    }
    zyltest::TempDir dir_;
    std::string path_;
    TComponentPtr<TTable> table_{new TTable(nullptr)};
};

TEST_F(SQLiteTableTest, ColumnsBecomeTypedFields) {
    table_->Open();
    struct Expected {
        const char* name;
        TClass cls;
        Integer size;
    } expected[] = {
        {"id", TAutoIncField::StaticClass(), 0},     {"code", TStringField::StaticClass(), 8},
        {"name", TMemoField::StaticClass(), 0},      {"qty", TSmallintField::StaticClass(), 0},
        {"price", TCurrencyField::StaticClass(), 0}, {"made", TDateField::StaticClass(), 0},
        {"seen", TDateTimeField::StaticClass(), 0},  {"ok", TBooleanField::StaticClass(), 0},
        {"pic", TBlobField::StaticClass(), 0},       {"w", TFloatField::StaticClass(), 0},
    };
    ASSERT_EQ(table_->FieldCount(), 10);
    for (size_t i = 0; i < std::size(expected); ++i) {
        TField* field = table_->Fields()[static_cast<int>(i)];
        EXPECT_EQ(field->FieldName(), expected[i].name);
        EXPECT_EQ(field->ClassType(), expected[i].cls) << expected[i].name;
        EXPECT_EQ(field->Size(), expected[i].size) << expected[i].name;
    }
    EXPECT_TRUE(table_->FieldByName("code")->Required());
    EXPECT_FALSE(table_->FieldByName("qty")->Required()) << "a default makes a value optional";
    EXPECT_TRUE(table_->Database()->IsSQLBased());
}

TEST_F(SQLiteTableTest, IndexDefsComeFromTheTablesIndexes) {
    table_->Open();
    ASSERT_EQ(table_->IndexDefs()->Count(), 2) << "the expression index is left out";
    TIndexDef* code = table_->IndexDefs()->Find("by_code");
    ASSERT_NE(code, nullptr);
    EXPECT_EQ(code->Fields(), "code");
    EXPECT_TRUE(code->Options().Contains(TIndexOption::ixUnique));
    TIndexDef* name = table_->IndexDefs()->Find("by_name_qty");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->Fields(), "name;qty");
    EXPECT_EQ(name->DescFields(), "qty");
    EXPECT_EQ(name->CaseInsFields(), "name");
}

TEST_F(SQLiteTableTest, OrderFollowsTheActiveIndex) {
    table_->Open();
    EXPECT_EQ(Codes(), "CABD") << "primary key order";
    table_->SetIndexName("by_code");
    EXPECT_EQ(Codes(), "ABCD");
    table_->SetIndexName("by_name_qty");
    EXPECT_EQ(Codes(), "BADC") << "name without case, then qty descending";
    table_->SetIndexFieldNames("qty");
    EXPECT_EQ(table_->IndexName(), "");
    EXPECT_EQ(Codes(), "DACB");
}

TEST_F(SQLiteTableTest, FindKeyAndRangeOverTheActiveIndex) {
    table_->Open();
    EXPECT_TRUE(table_->FindKey({3})) << "the primary key serves without an index";
    EXPECT_EQ(table_->FieldByName("code")->AsString(), "B");
    table_->SetIndexName("by_name_qty");
    EXPECT_TRUE(table_->FindKey({"APPLE", 2}));
    EXPECT_EQ(table_->FieldByName("code")->AsString(), "A");
    EXPECT_TRUE(table_->FindKey({"apple"}));
    EXPECT_EQ(table_->FieldByName("code")->AsString(), "B") << "partial key finds the first in index order";
    EXPECT_FALSE(table_->FindKey({"kiwi"}));
    EXPECT_EQ(ErrorOf([&] {
                  table_->FindKey({"a", 1, 2});
              }),
              "EDatabaseError: Too many values for the key fields");
    EXPECT_EQ(ErrorOf([&] {
                  table_->FindKey({"apple", "many"});
              }),
              "EConvertError: 'many' is not a valid integer value");
    EXPECT_EQ(table_->State(), dsBrowse);
    table_->SetRange({"apple"}, {"fig"});
    EXPECT_EQ(Codes(), "BAD");
}

TEST_F(SQLiteTableTest, PostWritesThroughAndReadsDefaultsBack) {
    table_->Open();
    table_->Append();
    table_->FieldByName("code")->SetAsString("E");
    table_->FieldByName("price")->SetAsString("2.50");
    table_->FieldByName("made")->SetAsDateTime(EncodeDate(2024, 3, 1));
    table_->FieldByName("seen")->SetAsDateTime(EncodeDate(2024, 3, 1) + EncodeTime(13, 5, 7, 250));
    table_->FieldByName("ok")->SetAsBoolean(true);
    table_->FieldByName("pic")->SetAsString(std::string("a\0b", 3));
    table_->Post();
    EXPECT_EQ(table_->FieldByName("id")->AsInteger(), 5) << "the new rowid is read back";
    EXPECT_EQ(table_->FieldByName("qty")->AsInteger(), 1) << "the column default is read back";
    EXPECT_EQ(
        Query("SELECT code || ';' || qty || ';' || price || ';' || made || ';' || seen || ';' || ok || ';' ||"
              " length(pic) || ';' || typeof(pic) FROM items WHERE id = 5"),
        "E;1;2.5;2024-03-01;2024-03-01 13:05:07.250;1;3;blob;");

    table_->Locate("code", {"A"}, {});
    table_->Edit();
    table_->FieldByName("name")->SetAsString("apricot");
    table_->Post();
    EXPECT_EQ(Query("SELECT name FROM items WHERE code = 'A'"), "apricot;");
    table_->Delete();
    EXPECT_EQ(Query("SELECT count(*) FROM items"), "4;");
    table_->Close();
    table_->Open();
    table_->Locate("code", {"E"}, {});
    EXPECT_EQ(table_->FieldByName("seen")->AsDateTime(), EncodeDate(2024, 3, 1) + EncodeTime(13, 5, 7, 250));
    EXPECT_EQ(table_->FieldByName("pic")->AsString(), std::string("a\0b", 3));
}

// A posted row is read back as stored: what a trigger did to it and the defaults show.
TEST_F(SQLiteTableTest, PostedRowsShowWhatTriggersDidToThem) {
    dbtest::Execute(path_,
                    "CREATE TABLE log (n INTEGER PRIMARY KEY, note TEXT DEFAULT 'new');"
                    "CREATE TRIGGER stamp AFTER INSERT ON items BEGIN"
                    " UPDATE items SET name = 'stamped ' || NEW.code WHERE id = NEW.id; END;");
    table_->Open();
    table_->Append();
    table_->FieldByName("code")->SetAsString("T");
    table_->Post();
    EXPECT_EQ(table_->FieldByName("name")->AsString(), "stamped T");
    EXPECT_EQ(table_->FieldByName("qty")->AsInteger(), 1);

    TComponentPtr<TTable> log(new TTable(nullptr));
    log->SetDatabaseName(path_);
    log->SetTableName("log");
    log->Open();
    log->Append();
    log->Post();  // no values at all: the defaults and the new key come back
    EXPECT_EQ(log->FieldByName("n")->AsInteger(), 1);
    EXPECT_EQ(log->FieldByName("note")->AsString(), "new");
}

TEST_F(SQLiteTableTest, FailedPostKeepsEditStateWithSQLiteMessage) {
    table_->SetName("Items");
    table_->Open();
    table_->Edit();
    table_->FieldByName("code")->SetAsString("B");
    EXPECT_EQ(ErrorOf([&] { table_->Post(); }),
              "EDatabaseError: Items: UNIQUE constraint failed: items.code");
    EXPECT_EQ(table_->State(), dsEdit);
    EXPECT_EQ(table_->FieldByName("code")->AsString(), "B");
    TDataAction chosen = TDataAction::daFail;
    table_->OnPostError = [&](TDataSet*, EDatabaseError&, TDataAction& action) { action = chosen; };
    chosen = TDataAction::daAbort;
    EXPECT_EQ(ErrorOf([&] { table_->Post(); }), "EAbort: Operation aborted");
    table_->Cancel();
    EXPECT_EQ(Query("SELECT code FROM items WHERE id = 1"), "C;") << "nothing of the failed post remains";
}

TEST_F(SQLiteTableTest, TransactionsSpanPosts) {
    TComponentPtr<TDatabase> database(new TDatabase(nullptr));
    database->SetDatabaseName(path_);
    database->StartTransaction();
    table_->Open();
    EXPECT_EQ(table_->Database(), database.get()) << "datasets share a database of the same name";
    table_->Edit();
    table_->FieldByName("name")->SetAsString("gone");
    table_->Post();
    database->Rollback();
    table_->Refresh();
    EXPECT_EQ(table_->FieldByName("name")->AsString(), "pear");
    EXPECT_EQ(ErrorOf([&] { database->Commit(); }), "EDatabaseError: No transaction active");
    database->Close();
    EXPECT_FALSE(table_->Active()) << "closing the database closes its datasets";
}

TEST_F(SQLiteTableTest, BadFilesAndNamesGiveClearErrors) {
    TComponentPtr<TTable> other(new TTable(nullptr));
    other->SetDatabaseName(dir_.File("missing.db"));
    other->SetTableName("items");
    EXPECT_EQ(ErrorOf([&] { other->Open(); }), "EDatabaseError: Cannot open database '" +
                                                   dir_.File("missing.db") +
                                                   "': unable to open database file");

    std::string junk = dir_.File("junk.db");
    std::ofstream(junk) << std::string(4096, 'x');
    other->SetDatabaseName(junk);
    EXPECT_EQ(ErrorOf([&] { other->Open(); }),
              "EDatabaseError: Cannot open database '" + junk + "': file is not a database");

    TComponentPtr<TDatabase> locker(new TDatabase(nullptr));
    // Another spelling of the path, so that the table opens a connection of its own.
    locker->SetDatabaseName(dir_.File(".") + "/test.db");
    locker->Execute("BEGIN EXCLUSIVE; UPDATE items SET qty = 0;");
    other->SetDatabaseName(path_);
    std::string locked = ErrorOf([&] { other->Open(); });
    EXPECT_NE(locked.find("database is locked"), std::string::npos) << locked;
    locker->Rollback();

    other->SetTableName("nothing");
    EXPECT_EQ(ErrorOf([&] { other->Open(); }), "EDatabaseError: Table 'nothing' does not exist");
    other->SetTableName("");
    EXPECT_EQ(ErrorOf([&] { other->Open(); }), "EDatabaseError: Missing TableName property");
    EXPECT_FALSE(other->Active());
}

TEST_F(SQLiteTableTest, QueryParametersAndReadOnlyResults) {
    TComponentPtr<TQuery> query(new TQuery(nullptr));
    query->SetDatabaseName(path_);
    query->SQL()->SetText(
        "SELECT code, qty * 2 AS twice FROM items -- :notaparam\nWHERE qty >= :low AND code <> ':x'"
        " ORDER BY code");
    ASSERT_EQ(query->ParamCount(), 1);
    EXPECT_EQ(ErrorOf([&] { query->Open(); }), "EDatabaseError: No value for parameter 'low'");
    query->ParamByName("LOW")->SetAsInteger(2);
    query->Open();
    EXPECT_EQ(query->RecordCount(), 3);
    EXPECT_EQ(query->FieldByName("twice")->ClassType(), TLargeintField::StaticClass());
    EXPECT_EQ(query->FieldByName("twice")->AsInteger(), 4);
    EXPECT_FALSE(query->CanModify());
    EXPECT_EQ(ErrorOf([&] { query->Edit(); }), "EDatabaseError: Cannot modify a read-only dataset");
    EXPECT_EQ(ErrorOf([&] { query->ParamByName("high"); }), "EDatabaseError: Parameter 'high' not found");

    query->SQL()->SetText("UPDATE items SET qty = :q WHERE code IN ('A', 'B'); ");
    EXPECT_FALSE(query->Active()) << "changing the text closes the query";
    query->ParamByName("q")->SetValue(Variant());
    query->ExecSQL();
    EXPECT_EQ(query->RowsAffected(), 2);
    EXPECT_EQ(ErrorOf([&] { query->Open(); }), "EDatabaseError: Error creating cursor handle");
    query->SQL()->Clear();
    EXPECT_EQ(ErrorOf([&] { query->ExecSQL(); }), "EDatabaseError: No SQL statement available");
    EXPECT_EQ(Query("SELECT qty FROM items WHERE code = 'A'"), "null;");
}

TEST(SQLiteSchema, CreateTableRoundTripsFieldDefs) {
    zyltest::TempDir dir;
    std::string path = dbtest::NewDatabase(dir);
    TComponentPtr<TTable> table(new TTable(nullptr));
    table->SetDatabaseName(path);
    table->SetTableName("made");
    const TFieldType types[] = {TFieldType::ftAutoInc, TFieldType::ftString,   TFieldType::ftSmallint,
                                TFieldType::ftWord,    TFieldType::ftLargeint, TFieldType::ftBoolean,
                                TFieldType::ftFloat,   TFieldType::ftCurrency, TFieldType::ftDate,
                                TFieldType::ftTime,    TFieldType::ftMemo,     TFieldType::ftGraphic};
    for (size_t i = 0; i < std::size(types); ++i)
        table->FieldDefs()->Add("F" + std::to_string(i), types[i], types[i] == TFieldType::ftString ? 12 : 0);
    table->IndexDefs()->Add("ByName", "F1", {TIndexOption::ixCaseInsensitive});
    table->CreateTable();
    EXPECT_TRUE(table->Exists());
    table->Open();
    for (size_t i = 0; i < std::size(types); ++i)
        EXPECT_EQ(table->Fields()[static_cast<int>(i)]->DataType(), types[i]) << i;
    EXPECT_EQ(table->FieldByName("F1")->Size(), 12);
    ASSERT_NE(table->IndexDefs()->Find("ByName"), nullptr);
    EXPECT_TRUE(table->IndexDefs()->Find("ByName")->Options().Contains(TIndexOption::ixCaseInsensitive));
    table->Close();
    table->DeleteTable();
    EXPECT_FALSE(table->Exists());
}

}  // namespace
