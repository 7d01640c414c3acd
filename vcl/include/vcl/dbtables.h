// Datasets on SQLite database files: the database binding, tables, queries and their parameters.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "vcl/db.h"

struct sqlite3;

namespace vcl {

class TDBDataSet;

// A connection to one database file (DatabaseName is its path). Datasets with the same
// DatabaseName share an existing TDatabase; without one they open a private connection.
class TDatabase : public TComponent {
    VCL_DECLARE_CLASS(TDatabase, TComponent)
public:
    explicit TDatabase(TComponent* owner);
    ~TDatabase() override;

    const std::string& DatabaseName() const { return databaseName_; }
    // Raises EDatabaseError while connected.
    void SetDatabaseName(const std::string& name);
    bool Connected() const { return handle_ != nullptr; }
    // A missing, locked or damaged file raises EDatabaseError "Cannot open database 'X': reason".
    void SetConnected(bool connected);
    void Open() { SetConnected(true); }
    // Closes every dataset using this connection first.
    void Close() { SetConnected(false); }
    // Opens the file read-only.
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    bool IsSQLBased() const { return true; }

    bool InTransaction() const;
    void StartTransaction();
    void Commit();
    void Rollback();
    // Runs statements without results; raises EDatabaseError with SQLite's message on failure.
    void Execute(const std::string& sql);
    int DataSetCount() const { return static_cast<int>(dataSets_.size()); }
    // The native connection, nullptr while disconnected.
    sqlite3* Handle() const { return handle_; }

    TNotifyEvent AfterConnect, AfterDisconnect, BeforeConnect, BeforeDisconnect;

    void Loaded() override;

    static void Publish(Published<TDatabase>& p) {
        p.Property("DatabaseName", &TDatabase::DatabaseName, &TDatabase::SetDatabaseName);
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

    std::string databaseName_;
    sqlite3* handle_ = nullptr;
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
    // Binds to the named database (connecting it if needed) and returns the native handle.
    sqlite3* OpenDatabase();
    void CloseDatabase();
    [[noreturn]] void RaiseSQLiteError() const;

private:
    friend class TDatabase;
    std::string databaseName_;
    TDatabase* database_ = nullptr;
    std::unique_ptr<TDatabase, TComponentDeleter> privateDatabase_;
};

// A table of a database file: columns become fields, the table's indexes IndexDefs; posting
// writes the row by rowid inside a savepoint.
class TTable : public TDBDataSet {
    VCL_DECLARE_CLASS(TTable, TDBDataSet)
public:
    explicit TTable(TComponent* owner) : TDBDataSet(owner) {}
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
    void LoadRecords() override;
    void InternalClose() override;
    void InternalEdit(const TDataRecord& record) override;
    void InternalPost(TDataRecord& record, const std::vector<bool>& changed, bool inserting) override;
    void InternalDelete(const TDataRecord& record) override;
    void InternalRefresh() override;
    bool FieldCaseInsensitive(const TField* field) const override;
    std::string DefaultKeyFields() const override;

private:
    void ReadColumns(sqlite3* db);
    void ReadIndexes(sqlite3* db);
    void RereadRecord(sqlite3* db, TDataRecord& record);
    std::string QuotedTable() const;

    std::string tableName_;
    std::vector<bool> caseInsensitive_;  // by FieldDefs position
    std::string primaryKey_;
    int rowidAlias_ = -1;  // FieldDefs position of an INTEGER PRIMARY KEY column
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
    void InternalRefresh() override;
    bool SourceWritable() const override { return false; }

private:
    void SQLChanged();
    std::string SQLText() const;
    void Fetch(bool defineFields);

    std::unique_ptr<TStringList> sql_;
    std::unique_ptr<TParams> params_;
    bool paramCheck_ = true;
    int rowsAffected_ = -1;
    std::vector<TFieldType> columnTypes_;
    std::vector<std::vector<Variant>> rows_;
};

}  // namespace vcl
