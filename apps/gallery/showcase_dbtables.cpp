// Showcases of the database tables: the same data-aware form over an SQLite file and over a
// PostgreSQL server. The PostgreSQL form is shown when ZYL_POSTGRES_URI names a server.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "gallery.h"
#include "vcl/dbctrls.h"
#include "vcl/dbtables.h"
#include "vcl/stdctrls.h"

using namespace vcl;

namespace {

using gallery::Place;

constexpr const char* kContacts =
    "DROP TABLE IF EXISTS contacts;"
    "CREATE TABLE contacts (id INTEGER PRIMARY KEY, name VARCHAR(30) NOT NULL, city VARCHAR(20),"
    " active BOOLEAN, notes TEXT);"
    "INSERT INTO contacts VALUES (1, 'Ada Byron', 'London', TRUE, 'Prefers letters.'),"
    " (2, 'Carl Gauss', 'Brunswick', FALSE, 'Calls on Mondays.'),"
    " (3, 'Emmy Noether', 'Erlangen', TRUE, 'Invoices quarterly,\nby post.'),"
    " (4, 'Henri Poincare', 'Nancy', TRUE, NULL)";

struct ContactForm {
    TForm* form;
    TLabel* position;
};

ContactForm BuildContactForm(gallery::Album& album, const std::string& caption, TTable* table) {
    ContactForm f{};
    f.form = album.NewForm(caption, 320, 196);
    auto* source = new TDataSource(f.form);
    source->SetDataSet(table);
    struct Row {
        const char* label;
        const char* field;
        int top;
    };
    for (const Row& row : {Row{"&Name:", "name", 12}, Row{"&City:", "city", 40}}) {
        auto* label = Place<TLabel>(f.form, 8, row.top + 4, 60, 13);
        label->SetCaption(row.label);
        auto* edit = Place<TDBEdit>(f.form, 72, row.top, 160, 21);
        edit->SetDataSource(source);
        edit->SetDataField(row.field);
        label->SetFocusControl(edit);
    }
    auto* active = Place<TDBCheckBox>(f.form, 72, 68, 160, 17);
    active->SetCaption("&Active customer");
    active->SetDataSource(source);
    active->SetDataField("active");
    auto* notesLabel = Place<TLabel>(f.form, 8, 94, 60, 13);
    notesLabel->SetCaption("N&otes:");
    auto* notes = Place<TDBMemo>(f.form, 72, 92, 240, 56);
    notes->SetDataSource(source);
    notes->SetDataField("notes");
    auto* idLabel = Place<TLabel>(f.form, 240, 16, 30, 13);
    idLabel->SetCaption("No.");
    auto* id = Place<TDBText>(f.form, 270, 16, 40, 13);
    id->SetDataSource(source);
    id->SetDataField("id");
    f.position = Place<TLabel>(f.form, 8, 164, 304, 13);
    return f;
}

void ShowContacts(gallery::Album& album, const std::string& engine, const std::string& database) {
    TComponentPtr<TDatabase> connection(new TDatabase(nullptr));
    connection->SetDatabaseName(database);
    connection->Execute(kContacts);
    TComponentPtr<TTable> table(new TTable(nullptr));
    table->SetDatabaseName(database);
    table->SetTableName("contacts");
    table->SetIndexFieldNames("name");
    table->Open();
    ContactForm f = BuildContactForm(album, "Contacts (" + engine + ")", table.get());
    auto describe = [&] {
        f.position->SetCaption("Record " + IntToStr(table->RecNo()) + " of " +
                               IntToStr(table->RecordCount()) + ", ordered by name, on " + engine);
    };
    table->Locate("city", {"Erlangen"}, {});
    describe();
    album.Shoot("Browsing", f.form, table.get());
    table->Edit();
    table->FieldByName("city")->SetAsString("Göttingen");
    f.position->SetCaption("Editing: the city changed, not yet posted");
    album.Shoot("Editing", f.form, table.get());
    table->Post();
    table->Last();
    describe();
    album.Shoot("Last record, notes empty", f.form, table.get());
    f.form->Hide();
}

gallery::Registration sqliteTable{
    "TTable (SQLite)", "framework",
    "A data-aware form over an SQLite table: edits, a check box, a memo and a text label following "
    "the current record, read through the table's record window.",
    [](gallery::Album& album) {
        std::filesystem::path folder = std::filesystem::temp_directory_path() / "zyl-gallery-db";
        std::filesystem::create_directories(folder);
        std::string path = (folder / "contacts.db").string();
        std::ofstream(path, std::ios::trunc).flush();
        ShowContacts(album, "SQLite", path);
        std::filesystem::remove_all(folder);
    }};

gallery::Registration postgresTable{
    "TTable (PostgreSQL)", "framework",
    "The same form over a PostgreSQL table, given a server in ZYL_POSTGRES_URI "
    "(scripts/postgres-server start FOLDER prints one).",
    [](gallery::Album& album) {
        const char* uri = std::getenv("ZYL_POSTGRES_URI");
        if (!uri || !*uri) return;
        ShowContacts(album, "PostgreSQL", uri);
    }};

}  // namespace
