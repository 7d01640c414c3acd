// The database binding shared by tables and queries: connections through the engine's driver.
#include <algorithm>

#include "db/driver.h"
#include "vcl/dbtables.h"

namespace vcl {

// ---------------------------------------------------------------------------------------------
// TDatabase

namespace {
std::vector<TDatabase*>& Databases() {
    static std::vector<TDatabase*> list;
    return list;
}
}  // namespace

VCL_DEFINE_CLASS(TDatabase, TComponent)

TDatabase::TDatabase(TComponent* owner) : TComponent(owner), params_(std::make_unique<TStringList>()) {
    Databases().push_back(this);
}

TDatabase::~TDatabase() {
    auto& list = Databases();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    std::vector<TDBDataSet*> users = dataSets_;
    for (TDBDataSet* dataSet : users) {
        try {
            dataSet->Close();
        } catch (...) {
            // The connection goes regardless.
        }
        dataSet->database_ = nullptr;
    }
    dataSets_.clear();
    connection_.reset();
}

TDatabase* TDatabase::FindDatabase(const std::string& name) {
    for (TDatabase* database : Databases())
        if (!database->databaseName_.empty() && database->databaseName_ == name && !database->IsDestroying())
            return database;
    return nullptr;
}

void TDatabase::SetDatabaseName(const std::string& name) {
    if (name == databaseName_) return;
    if (Connected()) DatabaseError("Cannot perform this operation on a connected database", this);
    databaseName_ = name;
}

void TDatabase::SetDriverName(const std::string& name) {
    if (name == driverName_) return;
    if (Connected()) DatabaseError("Cannot perform this operation on a connected database", this);
    driverName_ = name;
}

void TDatabase::SetParams(const TStrings* params) {
    if (Connected()) DatabaseError("Cannot perform this operation on a connected database", this);
    params_->Assign(params);
}

bool TDatabase::UsesPostgres() const {
    if (!driverName_.empty()) return SameText(driverName_, "POSTGRESQL") || SameText(driverName_, "POSTGRES");
    std::string name = LowerCase(databaseName_);
    return name.starts_with("postgresql://") || name.starts_with("postgres://") ||
           (name.find("dbname=") != std::string::npos || name.find("host=") != std::string::npos);
}

std::vector<std::pair<std::string, std::string>> TDatabase::PostgresSettings() const {
    // The framework's parameter names, and libpq's own for anything else.
    static const std::pair<const char*, const char*> kNames[] = {
        {"HOST", "host"},       {"SERVER NAME", "host"},     {"PORT", "port"},
        {"DATABASE", "dbname"}, {"DATABASE NAME", "dbname"}, {"USER NAME", "user"},
        {"USER", "user"},       {"PASSWORD", "password"},
    };
    std::vector<std::pair<std::string, std::string>> settings;
    bool named = false;
    for (int i = 0; i < params_->Count(); ++i) {
        std::string line = params_->Strings(i);
        size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        std::string key = UpperCase(Trim(line.substr(0, equals)));
        std::string value = line.substr(equals + 1);
        std::string keyword = LowerCase(key);
        for (const auto& [name, libpq] : kNames)
            if (key == name) keyword = libpq;
        named = named || keyword == "dbname";
        settings.emplace_back(keyword, value);
    }
    // A URI or connection string in DatabaseName goes first, so that Params can override it.
    if (!named || databaseName_.find('=') != std::string::npos ||
        databaseName_.find("://") != std::string::npos)
        settings.insert(settings.begin(), {"dbname", databaseName_});
    return settings;
}

void TDatabase::SetReadOnly(bool readOnly) {
    if (readOnly == readOnly_) return;
    if (Connected()) DatabaseError("Cannot perform this operation on a connected database", this);
    readOnly_ = readOnly;
}

void TDatabase::Loaded() {
    TComponent::Loaded();
    if (streamedConnected_) {
        streamedConnected_ = false;
        SetConnected(true);
    }
}

void TDatabase::SetConnected(bool connected) {
    if (ComponentState().Contains(csLoading)) {
        streamedConnected_ = connected;
        return;
    }
    if (connected == Connected()) return;
    if (connected) {
        if (BeforeConnect) BeforeConnect(this);
        Connect();
        if (AfterConnect) AfterConnect(this);
    } else {
        if (BeforeDisconnect) BeforeDisconnect(this);
        Disconnect();
        if (AfterDisconnect) AfterDisconnect(this);
    }
}

void TDatabase::RaiseError(const std::string& context) const {
    DatabaseError(Format(dbconsts::SCannotOpenDatabase, {databaseName_, context}), this);
}

void TDatabase::Connect() {
    if (databaseName_.empty()) DatabaseError(std::string(dbconsts::SNoDatabaseName), this);
    std::string error;
    if (UsesPostgres()) {
        connection_ = dbdriver::ConnectPostgres(PostgresSettings(), error);
        if (connection_ && readOnly_)
            connection_->ExecuteScript("SET default_transaction_read_only = on", this);
    } else if (driverName_.empty() || SameText(driverName_, "SQLITE")) {
        connection_ = dbdriver::ConnectSQLite(databaseName_, readOnly_, error);
    } else {
        error = "unknown driver '" + driverName_ + "'";
    }
    if (!connection_) RaiseError(error);
}

void TDatabase::Disconnect() {
    std::vector<TDBDataSet*> users = dataSets_;
    for (TDBDataSet* dataSet : users)
        dataSet->Close();
    connection_.reset();
}

bool TDatabase::InTransaction() const {
    return connection_ && connection_->InTransaction();
}

void TDatabase::StartTransaction() {
    SetConnected(true);
    if (InTransaction()) DatabaseError(std::string(dbconsts::STransactionActive), this);
    connection_->ExecuteScript("BEGIN", this);
}

void TDatabase::Commit() {
    if (!InTransaction()) DatabaseError(std::string(dbconsts::SNoTransaction), this);
    connection_->ExecuteScript("COMMIT", this);
}

void TDatabase::Rollback() {
    if (!InTransaction()) DatabaseError(std::string(dbconsts::SNoTransaction), this);
    connection_->ExecuteScript("ROLLBACK", this);
}

void TDatabase::Execute(const std::string& sql) {
    SetConnected(true);
    connection_->ExecuteScript(sql, this);
}

// ---------------------------------------------------------------------------------------------
// TDBDataSet

VCL_DEFINE_CLASS(TDBDataSet, TDataSet)

TDBDataSet::~TDBDataSet() {
    CloseDatabase();
}

void TDBDataSet::SetDatabaseName(const std::string& name) {
    if (name == databaseName_) return;
    CheckInactive();
    databaseName_ = name;
}

dbdriver::Connection& TDBDataSet::OpenDatabase() {
    if (database_) return *database_->connection_;
    if (databaseName_.empty()) DatabaseError(std::string(dbconsts::SNoDatabaseName), this);
    TDatabase* database = TDatabase::FindDatabase(databaseName_);
    if (!database) {
        privateDatabase_.reset(new TDatabase(nullptr));
        privateDatabase_->SetDatabaseName(databaseName_);
        database = privateDatabase_.get();
    }
    try {
        database->SetConnected(true);
    } catch (...) {
        privateDatabase_.reset();
        throw;
    }
    database_ = database;
    database_->dataSets_.push_back(this);
    return *database_->connection_;
}

dbdriver::Connection& TDBDataSet::Connection() const {
    if (!database_ || !database_->connection_) DatabaseError("Database not connected", this);
    return *database_->connection_;
}

void TDBDataSet::CloseDatabase() {
    if (database_) {
        auto& users = database_->dataSets_;
        users.erase(std::remove(users.begin(), users.end(), this), users.end());
    }
    database_ = nullptr;
    privateDatabase_.reset();
}

}  // namespace vcl
