// Dataset text export and import against an SQLite table: the sqlite3 tool and Python's csv module
// as independent writers and readers, fixed-width files, and the failures that must leave the
// table and the file as they were.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "pellic/zyltdbascii.h"
#include "pellic/zyltdbasciitext_internal.h"
#include "support/real_peers.h"
#include "support/tempdir.h"
#include "support/ui_fixture.h"
#include "vcl/dbtables.h"
#include "vcl/designintf.h"
#include "vcl/stdctrls.h"
#include "vcl/streaming.h"

namespace pellic {
void Register();
}  // namespace pellic

namespace dbascii_tests {

using namespace pellic;

std::string Hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const char c : bytes) {
        hex += kDigits[static_cast<unsigned char>(c) >> 4];
        hex += kDigits[static_cast<unsigned char>(c) & 15];
    }
    return hex;
}

// Python's csv module as reader and writer; rows travel as lines of hex values joined by '|'.
constexpr std::string_view kCsvScript = R"(import csv, sys
mode, path, delimiter = sys.argv[1], sys.argv[2], sys.argv[3]
if mode == 'read':
    with open(path, newline='', encoding='utf-8') as f:
        for row in csv.reader(f, delimiter=delimiter):
            print('|'.join(v.encode().hex() for v in row))
else:
    with open(path, 'w', newline='', encoding='utf-8') as f:
        w = csv.writer(f, delimiter=delimiter)
        for line in sys.stdin.read().split():
            w.writerow([bytes.fromhex(v).decode() for v in line.split('|')])
)";

class DBAsciiTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        path = dir.File("data.db");
        file = dir.File("out.txt");
        zyltest::WriteTextFile(dir.File("csvtool.py"), kCsvScript);
        zyltest::WriteTextFile(path, "");
        database.reset(new vcl::TDatabase(nullptr));
        database->SetDatabaseName(path);
        database->Execute(
            "CREATE TABLE people (ID INTEGER PRIMARY KEY, NAME VARCHAR(10), CITY VARCHAR(40));"
            "INSERT INTO people VALUES (1, 'Bob', 'Paris'), (2, 'Ann', 'Rome');");
        table = OpenTable("people");
        source.reset(new vcl::TDataSource(nullptr));
        source->SetDataSet(table.get());
        ascii.reset(new TZylDBAscii(nullptr));
        ascii->SetName("DBAscii1");
        ascii->SetDataSource(source.get());
        ascii->SetFilename(file);
    }
    void TearDown() override {
        ascii.reset();
        source.reset();
        table.reset();
        database.reset();
        UiFixture::TearDown();
    }

    vcl::TComponentPtr<vcl::TTable> OpenTable(const std::string& name) {
        vcl::TComponentPtr<vcl::TTable> t(new vcl::TTable(nullptr));
        t->SetDatabaseName(path);
        t->SetTableName(name);
        t->Open();
        return t;
    }
    void Columns(std::initializer_list<std::pair<const char*, const char*>> columns) {
        ascii->Fields()->Clear();
        for (const auto& [field, header] : columns) {
            TZylADField* column = ascii->Fields()->Add();
            column->SetDataField(field);
            column->SetHeader(header);
        }
    }
    // Every row of the table as "a|b|c", values as the fields give them.
    static std::vector<std::string> Rows(vcl::TDataSet& data) {
        std::vector<std::string> rows;
        data.First();
        while (!data.Eof()) {
            std::string row;
            for (int i = 0; i < data.FieldCount(); ++i)
                row += (i ? "|" : "") + data.Fields()[i]->AsString();
            rows.push_back(row);
            data.Next();
        }
        return rows;
    }
    std::string Python(const std::string& mode, const std::string& target, const std::string& delimiter,
                       const std::string& input = {}) {
        const std::string feed = input.empty() ? "" : "echo '" + input + "' | ";
        return zyltest::RunCommand(feed + "python3 '" + dir.File("csvtool.py") + "' " + mode + " '" + target +
                                   "' '" + delimiter + "'");
    }
    std::string Written() const { return zyltest::ReadTextFile(file); }

    zyltest::TempDir dir;
    std::string path, file;
    vcl::TComponentPtr<vcl::TDatabase> database;
    vcl::TComponentPtr<vcl::TTable> table;
    vcl::TComponentPtr<vcl::TDataSource> source;
    vcl::TComponentPtr<TZylDBAscii> ascii;
};

// ---------------------------------------------------------------------------------------------
// The file layout

TEST_F(DBAsciiTest, ExportWritesHeaderDelimitersAndPaddingAndRestoresAnInactiveDataset) {
    Columns({{"NAME", "Name"}, {"CITY", "City"}});
    ascii->SetDelimiter(';');
    ascii->SetPrintHeader(true);
    table->Close();
    std::vector<std::string> written;
    int done = 0;
    ascii->ExportBeforeWrite = [&](vcl::TObject*, std::string line) { written.push_back(line); };
    ascii->OnExportDone = [&](vcl::TObject*) { ++done; };
    ascii->DoExport();
    EXPECT_EQ(Written(), "[Name];[City]\r\nBob;Paris\r\nAnn;Rome\r\n");
    EXPECT_EQ(written, (std::vector<std::string>{"Bob;Paris", "Ann;Rome"}));
    EXPECT_EQ(done, 1);
    EXPECT_FALSE(table->Active()) << "opened for the export and closed again";

    // Fixed width pads to the field's size, headers never; #0 separates by default.
    ascii->SetDelimiter('\0');
    ascii->SetFixedWidth(true);
    Columns({{"ID", "Id"}, {"NAME", "Name"}, {"CITY", "City"}});
    ascii->DoExport();
    using namespace std::string_literals;
    EXPECT_EQ(Written(),
              "[Id]\0[Name]\0[City]\r\n"s
              "1\0Bob       \0Paris                                   \r\n"s
              "2\0Ann       \0Rome                                    \r\n"s);
    EXPECT_EQ(TZylDBAscii::SetFixed("Grüße", 7), "Grüße  ") << "padding counts characters";
    EXPECT_EQ(TZylDBAscii::SetFixed("toolong", 3), "toolong");
    EXPECT_EQ(TZylDBAscii::SetFixed("x", 0), "x");

    // Without a dataset only the done event runs.
    ascii->SetDataSource(nullptr);
    ascii->DoExport();
    EXPECT_EQ(done, 3);
}

TEST_F(DBAsciiTest, FixedWidthFilesRoundTrip) {
    Columns({{"ID", "Id"}, {"NAME", "Name"}, {"CITY", "City"}});
    ascii->SetDelimiter('\0');
    ascii->SetFixedWidth(true);
    ascii->SetPrintHeader(true);
    ascii->DoExport();
    const std::string first = Written();

    database->Execute("CREATE TABLE copy (ID INTEGER PRIMARY KEY, NAME VARCHAR(10), CITY VARCHAR(40));");
    auto copy = OpenTable("copy");
    source->SetDataSet(copy.get());
    ascii->DoImport();
    // The padding stays part of the values, so the copy writes the same file again.
    EXPECT_EQ(Rows(*copy),
              (std::vector<std::string>{"1|Bob       |Paris                                   ",
                                        "2|Ann       |Rome                                    "}));
    ascii->DoExport();
    EXPECT_EQ(Written(), first);
}

TEST_F(DBAsciiTest, ImportSplitsColumnsSkipsEmptyLinesAndTheHeaderOnlyWhenAsked) {
    database->Execute("DELETE FROM people;");
    table->Refresh();
    Columns({{"ID", ""}, {"NAME", ""}, {"CITY", ""}});
    ascii->SetDelimiter(';');
    zyltest::WriteTextFile(file, "7;Kim\r\n\r\n8;Lee;Oslo;extra;more\nSolo\r\n");
    std::vector<std::string> events;
    ascii->ImportBeforeInsert = [&](vcl::TObject*, std::string line) { events.push_back("insert " + line); };
    ascii->ImportBeforePost = [&](vcl::TObject*, std::string line) { events.push_back("post " + line); };
    ascii->OnImportSuccess = [&](vcl::TObject*, std::string line) { events.push_back("ok " + line); };
    ascii->DoImport();
    // Too few delimiters: the middle columns are empty and the last takes the rest.
    EXPECT_EQ(Rows(*table), (std::vector<std::string>{"7||Kim", "8|Lee|Oslo;extra;more", "9||Solo"}))
        << "a line without delimiters goes to the last column; the table numbers the empty key";
    EXPECT_EQ(events.size(), 9u);
    EXPECT_EQ(events[3], "insert 8;Lee;Oslo;extra;more");
    EXPECT_EQ(events[4], "post 8;Lee;Oslo;extra;more");
    EXPECT_EQ(events[5], "ok 8;Lee;Oslo;extra;more");

    // The first line goes only with PrintHeader, whatever it holds.
    database->Execute("DELETE FROM people;");
    table->Refresh();
    zyltest::WriteTextFile(file, "20;Header;Row\r\n21;Sam;Lima\r\n");
    ascii->SetPrintHeader(true);
    ascii->DoImport();
    EXPECT_EQ(Rows(*table), (std::vector<std::string>{"21|Sam|Lima"}));
}

TEST_F(DBAsciiTest, RecordReaderHandlesQuotesAndLineEnds) {
    struct Case {
        std::string_view text;
        std::vector<std::string> values;
        std::string_view raw;
    };
    const Case cases[] = {
        {"a,\"b,c\",d\r\nnext", {"a", "b,c", "d"}, "a,\"b,c\",d"},
        {"\"say \"\"hi\"\"\",x", {"say \"hi\"", "x"}, "\"say \"\"hi\"\"\",x"},
        {"\"two\r\nlines\",y\rz", {"two\r\nlines", "y"}, "\"two\r\nlines\",y"},
        {"\"ab\"cd,e\"f\"", {"abcd", "e\"f\""}, "\"ab\"cd,e\"f\""},  // quotes open only at the start
        {"\"never closed,x\r\ny", {"never closed,x\r\ny"}, "\"never closed,x\r\ny"},
        {",,", {"", "", ""}, ",,"},
    };
    for (const Case& c : cases) {
        size_t pos = 0;
        std::string_view raw;
        std::vector<dbasciitext::Cell> cells;
        ASSERT_TRUE(dbasciitext::ReadRecord(c.text, pos, ',', raw, cells)) << c.text;
        std::vector<std::string> values;
        for (const auto& cell : cells)
            values.push_back(cell.value);
        EXPECT_EQ(values, c.values) << c.text;
        EXPECT_EQ(raw, c.raw);
    }
    // CR, LF and CR LF each end one line; CR LF LF leaves an empty line between.
    size_t pos = 0;
    std::string_view raw;
    std::vector<dbasciitext::Cell> cells;
    std::vector<std::string> lines;
    while (dbasciitext::ReadRecord("a\rb\nc\r\n\nd", pos, ',', raw, cells))
        lines.emplace_back(raw);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "", "d"}));

    // A quote as the delimiter turns quoting off: values are written and split as they stand.
    pos = 0;
    ASSERT_TRUE(dbasciitext::ReadRecord("\"a\"\"b", pos, '"', raw, cells));
    ASSERT_EQ(cells.size(), 4u);
    EXPECT_EQ(cells[1].value, "a");
    std::string line;
    dbasciitext::AppendValue(line, "x,\"y", '"');
    EXPECT_EQ(line, "x,\"y");
}

// ---------------------------------------------------------------------------------------------
// Independent readers and writers

TEST_F(DBAsciiTest, ExportOfEveryFieldTypeMatchesTheSqliteTool) {
    database->Execute(
        "CREATE TABLE kinds (ID INTEGER PRIMARY KEY, NAME VARCHAR(30), SMALL SMALLINT, BIG BIGINT, "
        "PRICE FLOAT, NOTE TEXT, DATA BLOB, FLAG BOOLEAN, DAY DATE, STAMP DATETIME, COST MONEY);"
        "INSERT INTO kinds VALUES (1, 'plain', -3, 9007199254740993, 3.5, 'two\nlines', X'68693B', 1, "
        "'2024-02-29', '2024-02-29 13:45:00', 12.5);"
        "INSERT INTO kinds VALUES (2, 'semi;colon', 32767, -1, -0.25, 'say \"hi\"', X'6F6B', 0, "
        "'1999-12-31', '2000-01-01 00:00:00', 0);"
        "INSERT INTO kinds VALUES (3, 'comma,here', NULL, NULL, 0.1, NULL, NULL, NULL, NULL, NULL, NULL);");
    auto kinds = OpenTable("kinds");
    source->SetDataSet(kinds.get());
    ASSERT_TRUE(ascii->InsertAllFields());
    ASSERT_EQ(ascii->Fields()->Count(), 11);
    // The types whose text both write alike: integers, floats, strings, memos and blobs.
    while (ascii->Fields()->Count() > 7)
        ascii->Fields()->Delete(7);
    for (const char delimiter : {';', ','}) {
        ascii->SetDelimiter(delimiter);
        ascii->DoExport();
        const std::string tool = zyltest::RunCommand(
            // The dot command reads the escapes of the line end.
            std::string("sqlite3 -csv -cmd '.separator ") + delimiter + " \\r\\n' '" + path +
            "' 'SELECT ID, NAME, SMALL, BIG, PRICE, NOTE, DATA FROM kinds'");
        ASSERT_FALSE(tool.empty()) << "the sqlite3 tool is missing";
        EXPECT_EQ(Written(), tool) << delimiter;
    }

    // The rest goes through the fields' own text and comes back to the same values.
    ascii->InsertAllFields();
    ascii->SetDelimiter(',');
    ascii->DoExport();
    database->Execute(
        "CREATE TABLE kinds2 (ID INTEGER PRIMARY KEY, NAME VARCHAR(30), SMALL SMALLINT, BIG BIGINT, "
        "PRICE FLOAT, NOTE TEXT, DATA BLOB, FLAG BOOLEAN, DAY DATE, STAMP DATETIME, COST MONEY);");
    auto copy = OpenTable("kinds2");
    source->SetDataSet(copy.get());
    int failures = 0;
    ascii->OnImportException = [&](vcl::TObject*, std::string) { ++failures; };
    ascii->DoImport();
    EXPECT_EQ(failures, 0);
    std::vector<std::string> expected = Rows(*kinds);
    EXPECT_EQ(Rows(*copy), expected);
}

TEST_F(DBAsciiTest, PythonReadsBackEveryValue) {
    database->Execute("CREATE TABLE notes (ID INTEGER PRIMARY KEY, BODY TEXT);");
    auto notes = OpenTable("notes");
    const std::vector<std::string> bodies = {"a,b",          "semi;colon", "say \"hi\"", "\"leading",
                                             "two\r\nlines", "lone\nfeed", "cr\ronly",   "",
                                             "Grüße 日本語", " spaced ",   "tab\there"};
    for (size_t i = 0; i < bodies.size(); ++i)
        notes->InsertRecord({static_cast<int>(i + 1), bodies[i]});
    source->SetDataSet(notes.get());
    ascii->InsertAllFields();
    for (const char delimiter : {',', ';', '\t'}) {
        ascii->SetDelimiter(delimiter);
        ascii->DoExport();
        const std::string read = Python("read", file, std::string(1, delimiter));
        std::string expected;
        for (size_t i = 0; i < bodies.size(); ++i)
            expected += Hex(std::to_string(i + 1)) + "|" + Hex(bodies[i]) + "\n";
        EXPECT_EQ(read, expected) << int(delimiter);
    }

    // A lone empty column still makes a record that reads back.
    Columns({{"BODY", "Body"}});
    ascii->DoExport();
    EXPECT_NE(Python("read", file, "\t").find("\n\n"), std::string::npos) << Python("read", file, "\t");
}

TEST_F(DBAsciiTest, ImportOfAFileWrittenByPythonRestoresTheTable) {
    const std::vector<std::vector<std::string>> rows = {
        {"ID", "BODY", "NUM"},  // the header line
        {"1", "a,b", "10"},      {"2", "say \"hi\"\r\nand bye", "-5"},
        {"3", "", ""},           {"4", "Grüße 日本語", "0"},
        {"5", "\"quoted\"", "7"}};
    std::string input;
    for (const auto& row : rows) {
        std::string line;
        for (const auto& value : row)
            line += (line.empty() ? "" : "|") + Hex(value.empty() ? std::string() : value);
        input += line + " ";
    }
    // An empty value travels as "", which split() would drop: mark it and let Python read it empty.
    for (size_t at = input.find("||"); at != std::string::npos; at = input.find("||"))
        input.replace(at, 2, "|-|");
    for (size_t at = input.find("| "); at != std::string::npos; at = input.find("| "))
        input.replace(at, 2, "|- ");
    zyltest::WriteTextFile(
        dir.File("csvtool.py"),
        std::string(kCsvScript)
            .replace(std::string(kCsvScript).find("bytes.fromhex(v)"), 16, "bytes.fromhex(v.strip('-'))"));
    Python("write", file, ",", input);
    database->Execute("CREATE TABLE notes (ID INTEGER PRIMARY KEY, BODY TEXT, NUM INTEGER);");
    auto notes = OpenTable("notes");
    notes->Close();
    source->SetDataSet(notes.get());
    Columns({{"ID", "ID"}, {"BODY", "BODY"}, {"NUM", "NUM"}});
    ascii->SetDelimiter(',');
    ascii->SetPrintHeader(true);
    ascii->DoImport();
    EXPECT_FALSE(notes->Active());
    notes->Open();
    std::vector<std::string> expected;
    for (size_t i = 1; i < rows.size(); ++i)
        expected.push_back(rows[i][0] + "|" + rows[i][1] + "|" + rows[i][2]);
    EXPECT_EQ(Rows(*notes), expected);
}

// ---------------------------------------------------------------------------------------------
// Failures

TEST_F(DBAsciiTest, ARefusedRecordIsReportedCancelledAndTheImportGoesOn) {
    Columns({{"ID", ""}, {"NAME", ""}});
    ascii->SetDelimiter(';');
    // A value the field refuses, a duplicate key the table refuses, then good records.
    zyltest::WriteTextFile(file, "x1;Bad\r\n1;Dup\r\n5;Eve\r\n6;Max\r\n");
    std::vector<std::string> failed, succeeded;
    ascii->OnImportException = [&](vcl::TObject*, std::string line) { failed.push_back(line); };
    ascii->OnImportSuccess = [&](vcl::TObject*, std::string line) { succeeded.push_back(line); };
    ascii->DoImport();
    EXPECT_EQ(failed, (std::vector<std::string>{"x1;Bad", "1;Dup"}));
    EXPECT_EQ(succeeded, (std::vector<std::string>{"5;Eve", "6;Max"})) << "no success after a failed post";
    EXPECT_EQ(table->State(), vcl::dsBrowse);
    auto check = OpenTable("people");
    EXPECT_EQ(Rows(*check), (std::vector<std::string>{"1|Bob|Paris", "2|Ann|Rome", "5|Eve|", "6|Max|"}));
}

// The file is read in blocks of 1 MiB: a record running across the first block's end, with its CR
// as the block's last byte and its LF as the next block's first, goes in whole and once.
TEST_F(DBAsciiTest, RecordsAcrossTheReadersBlocksGoInWhole) {
    Columns({{"ID", ""}, {"CITY", ""}});
    ascii->SetDelimiter(';');
    constexpr size_t kBlock = 1 << 20;
    const std::string head = "5;Oslo\r\n6;";
    // The last record is longer than three blocks: the reader's buffer grows to hold it.
    std::string text = head + std::string(kBlock - 1 - head.size(), 'x') + "\r\n7;\"a\r\nb\"\r\n8;" +
                       std::string(3 * kBlock + 5, 'y') + "\r\n";
    ASSERT_EQ(text[kBlock - 1], '\r');
    zyltest::WriteTextFile(file, text);
    std::vector<std::string> succeeded;
    ascii->OnImportSuccess = [&](vcl::TObject*, std::string line) { succeeded.push_back(line.substr(0, 8)); };
    ascii->DoImport();
    EXPECT_EQ(succeeded, (std::vector<std::string>{"5;Oslo", "6;xxxxxx", "7;\"a\r\nb\"", "8;yyyyyy"}));
    auto check = OpenTable("people");
    EXPECT_EQ(Rows(*check),
              (std::vector<std::string>{"1|Bob|Paris", "2|Ann|Rome", "5||Oslo", "6||" + std::string(40, 'x'),
                                        "7||a\r\nb", "8||" + std::string(40, 'y')}));
}

TEST_F(DBAsciiTest, EveryRecordFiresItsEventsAndTheTableIsNavigableAfterwards) {
    Columns({{"ID", ""}, {"NAME", ""}});
    ascii->SetDelimiter(';');
    zyltest::WriteTextFile(file, "3;Cid\r\n1;Dup\r\n4;Dan\r\n");
    std::map<std::string, int> fired;
    auto count = [&fired](const char* name) { return [&fired, name](vcl::TDataSet*) { ++fired[name]; }; };
    table->BeforeInsert = count("BeforeInsert");
    table->AfterInsert = count("AfterInsert");
    table->OnNewRecord = count("OnNewRecord");
    table->BeforePost = count("BeforePost");
    table->AfterPost = count("AfterPost");
    table->FieldByName("NAME")->OnValidate = [&fired](vcl::TField*) { ++fired["OnValidate"]; };
    ascii->ImportBeforeInsert = [&](vcl::TObject*, std::string) { ++fired["ImportBeforeInsert"]; };
    ascii->ImportBeforePost = [&](vcl::TObject*, std::string) { ++fired["ImportBeforePost"]; };
    ascii->OnImportException = [&](vcl::TObject*, std::string) { ++fired["OnImportException"]; };
    ascii->OnImportSuccess = [&](vcl::TObject*, std::string) { ++fired["OnImportSuccess"]; };
    ascii->DoImport();
    EXPECT_EQ(fired, (std::map<std::string, int>{{"AfterInsert", 3},
                                                 {"AfterPost", 2},
                                                 {"BeforeInsert", 3},
                                                 {"BeforePost", 3},
                                                 {"ImportBeforeInsert", 3},
                                                 {"ImportBeforePost", 3},
                                                 {"OnImportException", 1},
                                                 {"OnImportSuccess", 2},
                                                 {"OnNewRecord", 3},
                                                 {"OnValidate", 3}}));
    EXPECT_FALSE(table->ControlsDisabled());
    EXPECT_EQ(table->FieldByName("NAME")->AsString(), "Dan") << "on the last record that went in";
    table->Prior();
    EXPECT_EQ(table->FieldByName("NAME")->AsString(), "Cid");
    table->Prior();
    EXPECT_EQ(table->FieldByName("NAME")->AsString(), "Ann");
    table->Next();
    table->Next();
    table->Next();
    EXPECT_TRUE(table->Eof());
    EXPECT_EQ(table->RecordCount(), 4);
}

TEST_F(DBAsciiTest, EveryErrorPathClosesTheFileCancelsTheRecordAndRestoresActive) {
    Columns({{"ID", ""}, {"NAME", ""}});
    ascii->SetDelimiter(';');
    table->Close();

    // A missing file, an unwritable one.
    ascii->SetFilename(dir.File("missing.txt"));
    EXPECT_THROW(ascii->DoImport(), vcl::EInOutError);
    EXPECT_FALSE(table->Active());
    ascii->SetFilename(dir.File("no/such/folder/out.txt"));
    EXPECT_THROW(ascii->DoExport(), vcl::EInOutError);
    EXPECT_FALSE(table->Active());

    // An unknown column ends the import with the data-access error, before anything is inserted,
    // and leaves an existing export file alone.
    ascii->SetFilename(file);
    zyltest::WriteTextFile(file, "9;Zed\r\n");
    Columns({{"ID", ""}, {"NOSUCH", ""}});
    try {
        ascii->DoImport();
        ADD_FAILURE() << "no error";
    } catch (const vcl::EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("Field 'NOSUCH' not found"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(table->Active());
    EXPECT_THROW(ascii->DoExport(), vcl::EDatabaseError);
    EXPECT_EQ(Written(), "9;Zed\r\n");

    // A handler that raises halfway through a record: the record is cancelled, nothing stays.
    Columns({{"ID", ""}, {"NAME", ""}});
    table->Open();
    ascii->ImportBeforePost = [](vcl::TObject*, std::string) { throw vcl::EDatabaseError("refused"); };
    ascii->OnImportException = [](vcl::TObject*, std::string) { throw std::runtime_error("handler failed"); };
    EXPECT_THROW(ascii->DoImport(), std::runtime_error);
    EXPECT_TRUE(table->Active());
    EXPECT_EQ(table->State(), vcl::dsBrowse);
    EXPECT_EQ(Rows(*OpenTable("people")).size(), 2u);
}

TEST_F(DBAsciiTest, AHandlerMayFreeTheComponent) {
    Columns({{"ID", ""}, {"NAME", ""}});
    ascii->SetDelimiter(';');
    zyltest::WriteTextFile(file, "5;Eve\r\n6;Max\r\n7;Kim\r\n");
    int posts = 0;
    ascii->ImportBeforePost = [&](vcl::TObject*, std::string) {
        if (++posts == 2) ascii.reset();
    };
    table->Close();
    TZylDBAscii* running = ascii.get();
    running->DoImport();
    EXPECT_EQ(posts, 2);
    EXPECT_FALSE(table->Active()) << "the table is restored all the same";
    EXPECT_EQ(Rows(*OpenTable("people")), (std::vector<std::string>{"1|Bob|Paris", "2|Ann|Rome", "5|Eve|"}));

    ascii.reset(new TZylDBAscii(nullptr));
    ascii->SetDataSource(source.get());
    ascii->SetFilename(file);
    ascii->InsertAllFields();
    ascii->ExportBeforeWrite = [&](vcl::TObject*, std::string) { ascii.reset(); };
    running = ascii.get();
    running->DoExport();
    EXPECT_FALSE(table->Active());
}

TEST_F(DBAsciiTest, NulBytesAndTheZeroDelimiterSurviveTheRoundTrip) {
    using namespace std::string_literals;
    database->Execute(
        "CREATE TABLE blobs (ID INTEGER PRIMARY KEY, DATA BLOB, NAME VARCHAR(10));"
        "INSERT INTO blobs VALUES (1, X'610062', 'after');");
    auto blobs = OpenTable("blobs");
    source->SetDataSet(blobs.get());
    ascii->InsertAllFields();
    ascii->DoExport();
    EXPECT_EQ(Written(), "1\0\"a\0b\"\0after\r\n"s);
    database->Execute("DELETE FROM blobs;");
    blobs->Refresh();
    ascii->DoImport();
    blobs->First();
    EXPECT_EQ(blobs->FieldByName("DATA")->AsString(), "a\0b"s);
    EXPECT_EQ(blobs->FieldByName("NAME")->AsString(), "after");
}

// ---------------------------------------------------------------------------------------------
// Columns and the design-time editors

TEST_F(DBAsciiTest, InsertAllFieldsNeedsAnActiveDatasetAndKeepsTheColumnsOtherwise) {
    Columns({{"NAME", "Name"}});
    table->Close();
    EXPECT_FALSE(ascii->InsertAllFields());
    ASSERT_EQ(ascii->Fields()->Count(), 1) << "nothing deleted for an inactive dataset";
    table->Open();
    EXPECT_TRUE(ascii->InsertAllFields());
    ASSERT_EQ(ascii->Fields()->Count(), 3);
    EXPECT_EQ(ascii->Fields()->Items(2)->DataField(), "CITY");
    EXPECT_EQ(ascii->Fields()->Items(2)->Header(), "CITY");
    EXPECT_EQ(ascii->Fields()->Items(2)->DBAscii(), ascii.get());
    EXPECT_EQ(ascii->Fields()->Items(2)->DisplayName(), "CITY");

    // The columns and settings travel with the form; a #0 delimiter is the default and not written.
    std::string text = vcl::ComponentToText(ascii.get());
    EXPECT_EQ(text.find("Delimiter"), std::string::npos) << text;
    ascii->SetDelimiter(';');
    ascii->SetPrintHeader(true);
    text = vcl::ComponentToText(ascii.get());
    vcl::TComponentPtr<TZylDBAscii> read(new TZylDBAscii(nullptr));
    vcl::ReadComponentText(text, read.get());
    ASSERT_EQ(read->Fields()->Count(), 3);
    EXPECT_EQ(read->Fields()->Items(1)->Header(), "NAME");
    EXPECT_EQ(read->Delimiter(), ';');
    EXPECT_TRUE(read->PrintHeader());
    read->Fields()->SetItems(0, ascii->Fields()->Items(2));
    EXPECT_EQ(read->Fields()->Items(0)->DataField(), "CITY");

    // The data source going away clears the link.
    source.reset();
    EXPECT_EQ(ascii->DataSource(), nullptr);
    EXPECT_FALSE(ascii->InsertAllFields());
    EXPECT_EQ(ascii->Fields()->Count(), 3);
}

TEST_F(DBAsciiTest, TheEditorsFillTheColumnsAndOfferTheFieldNames) {
    pellic::Register();
    for (const vcl::TPalettePage& page : vcl::Palette())
        if (page.name == "Zyl Data-Aware") {
            EXPECT_EQ(page.classes.front(), TZylDBAscii::StaticClass());
        }
    EXPECT_EQ(vcl::GetComponentEditorClass(TZylDBAscii::StaticClass()),
              TZylDBAsciiConfigEditor::StaticClass());
    EXPECT_EQ(vcl::GetEditorClass(*TZylADField::StaticClass()->FindProperty("DataField"),
                                  TZylADField::StaticClass()),
              TZylItemDataFieldProperty::StaticClass());
    TZylDBAsciiConfigEditor editor;
    editor.Initialize(ascii.get(), nullptr);
    ASSERT_EQ(editor.GetVerbCount(), 1);
    EXPECT_EQ(editor.GetVerb(0), "&Insert All Fields");
    EXPECT_THROW(editor.GetVerb(1), vcl::EListError);

    table->Close();
    std::string message;
    win32::testing::SetModalScript([&](std::string_view) {
        for (int i = 0; i < vcl::Screen->FormCount(); ++i) {
            vcl::TCustomForm* form = vcl::Screen->Forms(i);
            if (auto* label = dynamic_cast<vcl::TLabel*>(form->FindComponent("Message"))) {
                message = label->Caption();
                form->SetModalResult(vcl::mrOk);
            }
        }
    });
    editor.Edit();
    EXPECT_EQ(message, "DBAscii1 has not a ACTIVE dataset assigned against it.");
    table->Open();
    editor.ExecuteVerb(0);
    EXPECT_EQ(ascii->Fields()->Count(), 3);

    // The DataField list: the dataset's field names, sorted, for one column or several.
    ascii->Fields()->Items(0)->SetDataField("NAME");
    const vcl::TPropInfo* info = TZylADField::StaticClass()->FindProperty("DataField");
    ASSERT_NE(info, nullptr);
    auto editorFor = [&](std::vector<vcl::TPersistent*> columns) {
        return vcl::CreatePropertyEditor(TZylItemDataFieldProperty::StaticClass(), nullptr, columns, info);
    };
    auto one = editorFor({ascii->Fields()->Items(0)});
    EXPECT_EQ(one->Values(), (std::vector<std::string>{"CITY", "ID", "NAME"}));
    EXPECT_EQ(one->GetValue(), "NAME");
    EXPECT_TRUE(one->GetAttributes().Contains(vcl::paMultiSelect));
    auto both = editorFor({ascii->Fields()->Items(0), ascii->Fields()->Items(1)});
    both->SetValue("CITY");
    EXPECT_EQ(ascii->Fields()->Items(1)->DataField(), "CITY");
    ascii->SetDataSource(nullptr);
    EXPECT_TRUE(one->Values().empty());
}

}  // namespace dbascii_tests
