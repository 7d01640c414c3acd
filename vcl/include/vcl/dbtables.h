// Datasets on SQLite database files and PostgreSQL servers: the database binding, tables, queries
// and their parameters.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vcl/db.h"

namespace vcl {

namespace dbdriver {
class Connection;
class ResultCursor;
class Row;
struct ParamRef;
struct TableInfo;
}  // namespace dbdriver

class TDBDataSet;

// A connection to one database. SQLite is the default driver: DatabaseName is the file's path.
// PostgreSQL is chosen by DriverName "POSTGRESQL", or by a DatabaseName that is a connection URI
// ("postgresql://user@host:port/database") or a libpq connection string ("host=... dbname=...");
// Params then give HOST, PORT, DATABASE, USER NAME and PASSWORD (other names pass to libpq as
// they stand, in lower case). Datasets with the same DatabaseName share an existing TDatabase;
// without one they open a private connection.
class TDatabase : public TComponent {
    VCL_DECLARE_CLASS(TDatabase, TComponent)
public:
    explicit TDatabase(TComponent* owner);
    ~TDatabase() override;

    const std::string& DatabaseName() const { return databaseName_; }
    // Raises EDatabaseError while connected.
    void SetDatabaseName(const std::string& name);
    bool Connected() const { return connection_ != nullptr; }
    // A missing, locked or damaged file, or a server that refuses, raises EDatabaseError
    // "Cannot open database 'X': reason".
    void SetConnected(bool connected);
    void Open() { SetConnected(true); }
    // Closes every dataset using this connection first.
    void Close() { SetConnected(false); }
    // Opens the file read-only.
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    bool IsSQLBased() const { return true; }
    // "SQLITE" or "POSTGRESQL"; empty chooses by DatabaseName. Raises EDatabaseError while connected.
    const std::string& DriverName() const { return driverName_; }
    void SetDriverName(const std::string& name);
    TStrings* Params() const { return params_.get(); }
    void SetParams(const TStrings* params);
    // Whether this database talks to a PostgreSQL server.
    bool UsesPostgres() const;

    bool InTransaction() const;
    void StartTransaction();
    void Commit();
    void Rollback();
    // Runs statements without results; raises EDatabaseError with the engine's message on failure.
    void Execute(const std::string& sql);
    int DataSetCount() const { return static_cast<int>(dataSets_.size()); }

    TNotifyEvent AfterConnect, AfterDisconnect, BeforeConnect, BeforeDisconnect;

    void Loaded() override;

    static void Publish(Published<TDatabase>& p) {
        p.Property("DatabaseName", &TDatabase::DatabaseName, &TDatabase::SetDatabaseName);
        p.Property("DriverName", &TDatabase::DriverName, &TDatabase::SetDriverName);
        p.Property("Params", &TDatabase::Params);
        p.Property("ReadOnly", &TDatabase::ReadOnly, &TDatabase::SetReadOnly, false);
        p.Property("Connected", &TDatabase::Connected, &TDatabase::SetConnected, false);
        p.Event("AfterConnect", &TDatabase::AfterConnect);
        p.Event("AfterDisconnect", &TDatabase::AfterDisconnect);
        p.Event("BeforeConnect", &TDatabase::BeforeConnect);
        p.Event("BeforeDisconnect", &TDatabase::BeforeDisconnect);
    }

    // The connected or connectable database registered under a name; nullptr when none.
    static TDatabase* FindDatabase(const std::string& name);

private:
    friend class TDBDataSet;
    void Connect();
    void Disconnect();
    [[noreturn]] void RaiseError(const std::string& context) const;
    std::vector<std::pair<std::string, std::string>> PostgresSettings() const;

    std::string databaseName_, driverName_;
    std::unique_ptr<TStringList> params_;
    std::unique_ptr<dbdriver::Connection> connection_;
    bool readOnly_ = false;
    bool streamedConnected_ = false;
    std::vector<TDBDataSet*> dataSets_;
};

// A dataset reading from a database file.
class TDBDataSet : public TDataSet {
    VCL_DECLARE_CLASS(TDBDataSet, TDataSet)
public:
    explicit TDBDataSet(TComponent* owner) : TDataSet(owner) {}
    ~TDBDataSet() override;

    const std::string& DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const std::string& name);
    // The connection in use while open; nullptr while closed.
    TDatabase* Database() const { return database_; }

protected:
    // Binds to the named database (connecting it if needed) and returns its connection.
    dbdriver::Connection& OpenDatabase();
    void CloseDatabase();
    dbdriver::Connection& Connection() const;

private:
    friend class TDatabase;
    std::string databaseName_;
    TDatabase* database_ = nullptr;
    std::unique_ptr<TDatabase, TComponentDeleter> privateDatabase_;
};

// A table of a database: columns become fields, the table's indexes IndexDefs. Rows are read a
// window at a time in the order of the active index (ORDER BY), sought by their keys; posting
// writes the row by its identity (rowid, integer key or tuple id) atomically.
class TTable : public TDBDataSet {
    VCL_DECLARE_CLASS(TTable, TDBDataSet)
public:
    explicit TTable(TComponent* owner);
    ~TTable() override;

    const std::string& TableName() const { return tableName_; }
    void SetTableName(const std::string& name);
    bool Exists();
    // Creates the table from FieldDefs and IndexDefs; the dataset must be closed.
    void CreateTable();
    void DeleteTable();
    // Deletes every row of the table.
    void EmptyTable();

    static void Publish(Published<TTable>& p) {
        p.Property("DatabaseName", &TTable::DatabaseName, &TTable::SetDatabaseName);
        p.Property("IndexFieldNames", &TTable::IndexFieldNames, &TTable::SetIndexFieldNames);
        p.Property("IndexName", &TTable::IndexName, &TTable::SetIndexName);
        p.Property("ReadOnly", &TTable::ReadOnly, &TTable::SetReadOnly, false);
        p.Property("TableName", &TTable::TableName, &TTable::SetTableName);
    }

protected:
    void InternalOpen() override;
    void LoadRecords() override {}
    void InternalClose() override;
    void InternalEdit(const TDataRecord& record) override;
    void InternalPost(TDataRecord& record, const std::vector<bool>& changed, bool inserting) override;
    void InternalDelete(const TDataRecord& record) override;
    bool FieldCaseInsensitive(const TField* field) const override;
    std::string DefaultKeyFields() const override;

    bool Windowed() const override { return true; }
    bool SeeksByKey() const override { return true; }
    void FetchRecords(const TDataRecord* anchor, bool forward, int limit,
                      std::vector<std::unique_ptr<TDataRecord>>& rows) override;
    void ReadAheadRecords(const TDataRecord& anchor, bool forward, int limit) override;
    std::unique_ptr<TDataRecord> FetchRecord(Int64 id) override;
    Int64 CountRecords(const TDataRecord* before) override;
    std::unique_ptr<TDataRecord> FetchRecordAt(Int64 position) override;
    std::unique_ptr<TDataRecord> SeekRecord(const std::vector<Variant>& key, bool nearest) override;
    std::unique_ptr<TDataRecord> LocateRecord(const std::vector<TField*>& fields,
                                              const std::vector<Variant>& values,
                                              TLocateOptions options) override;

private:
    struct Sql;
    // The statement reading FetchRecords' rows, without its limit; `nullable` is the first key
    // when its null rows must be read apart, after them.
    std::string FetchStatement(const TDataRecord* anchor, bool forward, Sql& statement,
                               const OrderKey*& nullable) const;
    // Reads FetchRecords' rows from the open scan when it continues at `anchor`.
    bool ReadScan(const std::string& sql, const TDataRecord& anchor, int limit,
                  std::vector<std::unique_ptr<TDataRecord>>& rows);
    // Makes records of the rows of a statement starting with SelectList's columns.
    std::function<bool(const dbdriver::Row&)> Recorder(std::vector<std::unique_ptr<TDataRecord>>& rows);
    void ReadColumns(dbdriver::Connection& connection);
    std::unique_ptr<TDataRecord> RereadRecord(Int64 id);
    // Inserts a row of a bulk append: one statement, the row left unread.
    void BulkInsert(TDataRecord& record, const std::vector<bool>& changed);
    std::string QuotedTable() const;
    // "SELECT <the identity and every column> FROM <table>", made when the columns are read.
    const std::string& SelectList() const { return selectList_; }
    // Reads the rows of a statement starting with SelectList's columns.
    void ReadRows(const std::string& sql, Sql& statement, std::vector<std::unique_ptr<TDataRecord>>& rows);
    std::unique_ptr<TDataRecord> ReadOne(const std::string& sql, Sql& statement);
    std::string OrderBy(bool forward) const;
    std::string KeyExpression(const OrderKey& key) const;
    // The condition that a row lies beyond the anchor's leading values in the reading direction
    // (or is level with them, when inclusive).
    std::string Beyond(Sql& statement, const std::vector<Variant>& anchor, bool hasIdentity, Int64 identity,
                       bool forward, bool inclusive, bool nullsApart = false) const;
    bool KeyNotNull(const OrderKey& key) const;
    // Whether the order's keys tell every row apart: they hold the whole primary key, compared
    // as stored, and none of its columns can be null. The identity then breaks no ties.
    bool OrderUnique() const;
    std::string RangeCondition(Sql& statement) const;
    std::vector<Variant> AnchorKey(const TDataRecord& record) const;

    std::string tableName_;
    std::unique_ptr<dbdriver::TableInfo> info_;
    std::string selectList_;
    // The statement streaming a scan: where it stands and how many rows it may still give.
    struct Scan {
        uint64_t ticket = 0;
        std::string statement;
        Int64 lastId = 0;
        int left = 0;
        // Whether the next `limit` rows of `sql` after `anchor` are this scan's next rows.
        bool Covers(const std::string& sql, const TDataRecord& anchor, int limit) const {
            return ticket && anchor.id == lastId && sql == statement && limit <= left;
        }
    } scan_;
    std::vector<bool> caseInsensitive_;  // by FieldDefs position
    std::vector<bool> notNull_;          // by FieldDefs position
    std::string primaryKey_;
    // A bulk append's record slots by FieldDefs position, and the columns and values of its
    // current row, kept from row to row.
    std::vector<int> postSlots_;
    std::vector<std::string> bulkColumns_;
    std::vector<dbdriver::ParamRef> bulkValues_;
    std::vector<size_t> bulkSlots_;
};

enum class TParamType : uint8_t { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };
VCL_ENUM_NAMES(TParamType, "ptUnknown", "ptInput", "ptOutput", "ptInputOutput", "ptResult")

class TParam : public TCollectionItem {
    VCL_DECLARE_CLASS(TParam, TCollectionItem)
public:
    explicit TParam(TCollection* collection) : TCollectionItem(collection) {}

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    TFieldType DataType() const { return dataType_; }
    void SetDataType(TFieldType type) { dataType_ = type; }
    TParamType ParamType() const { return paramType_; }
    void SetParamType(TParamType type) { paramType_ = type; }
    // Assigned at least once (Null counts): unbound parameters refuse to execute.
    bool Bound() const { return bound_; }
    void SetBound(bool bound) { bound_ = bound; }
    bool IsNull() const { return value_.IsNull(); }
    void Clear() { SetValue(Variant()); }

    const Variant& Value() const { return value_; }
    void SetValue(const Variant& value);
    std::string AsString() const { return value_.AsString(); }
    void SetAsString(const std::string& value);
    Integer AsInteger() const { return static_cast<Integer>(value_.AsInt64()); }
    void SetAsInteger(Integer value);
    double AsFloat() const { return value_.AsFloat(); }
    void SetAsFloat(double value);
    bool AsBoolean() const { return value_.AsBoolean(); }
    void SetAsBoolean(bool value);
    TDateTime AsDateTime() const { return value_.AsDateTime(); }
    void SetAsDateTime(TDateTime value);
    Currency AsCurrency() const { return value_.AsCurrency(); }
    void SetAsCurrency(Currency value);
    std::string DisplayName() const override { return name_; }

    static void Publish(Published<TParam>& p) {
        p.Property("Name", &TParam::Name, &TParam::SetName);
        p.Property("DataType", &TParam::DataType, &TParam::SetDataType, TFieldType::ftUnknown);
        p.Property("ParamType", &TParam::ParamType, &TParam::SetParamType, TParamType::ptUnknown);
    }

private:
    std::string name_;
    TFieldType dataType_ = TFieldType::ftUnknown;
    TParamType paramType_ = TParamType::ptUnknown;
    Variant value_;
    bool bound_ = false;
};

class TParams : public TOwnedCollection {
    VCL_DECLARE_CLASS(TParams, TOwnedCollection)
public:
    explicit TParams(TPersistent* owner) : TOwnedCollection(owner, TParam::StaticClass()) {}

    TParam* Items(int index) const { return static_cast<TParam*>(TCollection::Items(index)); }
    TParam* CreateParam(TFieldType type, const std::string& name, TParamType paramType);
    // Case-insensitive; nullptr when absent.
    TParam* FindParam(std::string_view name) const;
    // Raises EDatabaseError "Parameter 'X' not found".
    TParam* ParamByName(std::string_view name) const;
    // The :name parameters of the SQL text in order of first use, outside quotes and comments
    // ("::" is not a parameter). With doCreate the list is rebuilt, keeping known values.
    std::vector<std::string> ParseSQL(std::string_view sql, bool doCreate);
};

// Results of an SQL statement (read-only), or statements run for their effect with ExecSQL.
class TQuery : public TDBDataSet {
    VCL_DECLARE_CLASS(TQuery, TDBDataSet)
public:
    explicit TQuery(TComponent* owner);
    ~TQuery() override;

    // Changing the text closes the query and rebuilds Params.
    TStrings* SQL() const { return sql_.get(); }
    void SetSQL(const TStrings* sql) { sql_->Assign(sql); }
    TParams* Params() const { return params_.get(); }
    int ParamCount() const { return params_->Count(); }
    TParam* ParamByName(std::string_view name) const { return params_->ParamByName(name); }
    // Whether Params follows the SQL text.
    bool ParamCheck() const { return paramCheck_; }
    void SetParamCheck(bool check) { paramCheck_ = check; }
    // Runs every statement of the text; RowsAffected counts the last one's changes.
    void ExecSQL();
    int RowsAffected() const { return rowsAffected_; }

    static void Publish(Published<TQuery>& p) {
        p.Property("DatabaseName", &TQuery::DatabaseName, &TQuery::SetDatabaseName);
        p.Property("ParamCheck", &TQuery::ParamCheck, &TQuery::SetParamCheck, true);
        p.Property("Params", &TQuery::Params);
        p.Property("SQL", &TQuery::SQL);
    }

protected:
    void InternalOpen() override;
    void LoadRecords() override;
    void InternalClose() override;
    void InternalRefresh() override;
    bool SourceWritable() const override { return false; }

    // A result that fits the window is held whole; a larger one is read by position.
    bool Windowed() const override { return result_ != nullptr; }
    void FetchRecords(const TDataRecord* anchor, bool forward, int limit,
                      std::vector<std::unique_ptr<TDataRecord>>& rows) override;
    std::unique_ptr<TDataRecord> FetchRecord(Int64 id) override;
    Int64 CountRecords(const TDataRecord* before) override;
    std::unique_ptr<TDataRecord> FetchRecordAt(Int64 position) override;

private:
    void SQLChanged();
    std::string SQLText() const;
    void Fetch(bool defineFields);
    // Reads rows [position, position + count) as records whose identity is their 1-based position.
    void ReadAt(Int64 position, int count, std::vector<std::unique_ptr<TDataRecord>>& rows);

    std::unique_ptr<TStringList> sql_;
    std::unique_ptr<TParams> params_;
    bool paramCheck_ = true;
    int rowsAffected_ = -1;
    std::vector<TFieldType> columnTypes_;
    std::vector<std::vector<Variant>> rows_;
    std::unique_ptr<dbdriver::ResultCursor> result_;
    std::optional<Int64> resultCount_;
};

}  // namespace vcl
