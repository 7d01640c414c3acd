// SQLite binding shared by tables and queries: connections, value conversion, statements.
#include "db/database.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace vcl {

namespace sqlite {

Statement::Statement(sqlite3* db, std::string_view sql, const TComponent* owner) : db_(db), owner_(owner) {
    if (sql.size() > static_cast<size_t>(INT32_MAX)) DatabaseError("SQL text too long", owner);
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, &tail_) != SQLITE_OK) Fail();
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

void Statement::Fail() const {
    DatabaseError(sqlite3_errmsg(db_), owner_);
}

bool Statement::Step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    Fail();
}

void Statement::BindText(int index, std::string_view text) {
    if (sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8) !=
        SQLITE_OK)
        Fail();
}

void Statement::BindInt64(int index, Int64 value) {
    if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) Fail();
}

std::string Statement::Text(int column) const {
    auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt_, column))) : std::string();
}

std::string QuoteIdentifier(std::string_view name) {
    std::string quoted = "\"";
    for (char ch : name) {
        if (ch == '"') quoted += '"';
        quoted += ch;
    }
    quoted += '"';
    return quoted;
}

void Exec(sqlite3* db, const char* sql, const TComponent* owner) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : sqlite3_errmsg(db);
        sqlite3_free(error);
        DatabaseError(message, owner);
    }
}

bool IsDateType(TFieldType type) {
    return type == TFieldType::ftDate || type == TFieldType::ftTime || type == TFieldType::ftDateTime;
}

namespace {

constexpr double kUnixEpoch = 25569.0;       // 1970-01-01 as TDateTime
constexpr double kJulianOffset = 2415018.5;  // Julian day of 1899-12-30

// Reads "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS[.fff]]" (or with 'T') and "HH:MM[:SS[.fff]]".
bool ParseIsoDateTime(const std::string& text, TDateTime& result) {
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    double fraction = 0;
    const char* p = text.c_str();
    const char* end = p + text.size();
    auto digits = [&](int count, unsigned& value) {
        value = 0;
        for (int i = 0; i < count; ++i, ++p) {
            if (p >= end || *p < '0' || *p > '9') return false;
            value = value * 10 + static_cast<unsigned>(*p - '0');
        }
        return true;
    };
    auto time = [&]() {
        if (!digits(2, hour) || p >= end || *p++ != ':' || !digits(2, minute)) return false;
        if (p < end && *p == ':') {
            ++p;
            if (!digits(2, second)) return false;
            if (p < end && *p == '.') {
                ++p;
                double scale = 0.1;
                while (p < end && *p >= '0' && *p <= '9') {
                    fraction += (*p++ - '0') * scale;
                    scale /= 10;
                }
            }
        }
        return hour < 24 && minute < 60 && second < 60;
    };
    TDateTime date = 0, clock = 0;
    bool hasDate = false;
    if (text.size() >= 10 && text[4] == '-') {
        if (!digits(4, year) || *p++ != '-' || !digits(2, month) || *p++ != '-' || !digits(2, day))
            return false;
        if (!TryEncodeDate(static_cast<Word>(year), static_cast<Word>(month), static_cast<Word>(day), date))
            return false;
        hasDate = true;
        if (p < end && (*p == ' ' || *p == 'T')) ++p;
    }
    if (p < end) {
        if (!time()) return false;
        clock = (hour * 3600.0 + minute * 60.0 + second + fraction) / SecsPerDay;
    }
    if (p != end) return false;
    result = hasDate ? ComposeDateTime(date, clock) : clock;
    return true;
}

std::string FormatIso(TDateTime value, TFieldType type) {
    Word year, month, day, hour, minute, second, msec;
    DecodeDate(value, year, month, day);
    DecodeTime(value, hour, minute, second, msec);
    char text[64];
    if (type == TFieldType::ftDate) {
        std::snprintf(text, sizeof text, "%04u-%02u-%02u", year, month, day);
    } else {
        char clock[32];
        if (msec)
            std::snprintf(clock, sizeof clock, "%02u:%02u:%02u.%03u", hour, minute, second, msec);
        else
            std::snprintf(clock, sizeof clock, "%02u:%02u:%02u", hour, minute, second);
        if (type == TFieldType::ftTime)
            std::snprintf(text, sizeof text, "%s", clock);
        else
            std::snprintf(text, sizeof text, "%04u-%02u-%02u %s", year, month, day, clock);
    }
    return text;
}

}  // namespace

Variant ReadColumn(sqlite3_stmt* stmt, int column, TFieldType type) {
    switch (sqlite3_column_type(stmt, column)) {
        case SQLITE_INTEGER: {
            Int64 value = sqlite3_column_int64(stmt, column);
            if (IsDateType(type))
                return Variant::FromDateTime(static_cast<double>(value) / SecsPerDay + kUnixEpoch);
            if (type == TFieldType::ftBoolean) return value != 0;
            if (type == TFieldType::ftCurrency) {
                if (value > INT64_MAX / Currency::kScale || value < INT64_MIN / Currency::kScale)
                    return value;
                return Currency::FromRaw(value * Currency::kScale);
            }
            if (type == TFieldType::ftFloat) return static_cast<double>(value);
            return value;
        }
        case SQLITE_FLOAT: {
            double value = sqlite3_column_double(stmt, column);
            if (IsDateType(type)) return Variant::FromDateTime(value - kJulianOffset);
            if (type == TFieldType::ftBoolean) return value != 0;
            if (type == TFieldType::ftCurrency && std::abs(value) < 9.2e14) return Currency(value);
            return value;
        }
        case SQLITE_TEXT: {
            auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
            std::string value(text, static_cast<size_t>(sqlite3_column_bytes(stmt, column)));
            TDateTime date = 0;
            if (IsDateType(type) && ParseIsoDateTime(value, date)) return Variant::FromDateTime(date);
            return value;
        }
        case SQLITE_BLOB: {
            auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt, column));
            return std::string(bytes ? bytes : "", static_cast<size_t>(sqlite3_column_bytes(stmt, column)));
        }
        default:
            return Variant();
    }
}

void BindValue(Statement& statement, int index, const Variant& value, TFieldType type,
               const TComponent* owner) {
    sqlite3_stmt* stmt = statement.Handle();
    int rc = SQLITE_OK;
    switch (value.VarType()) {
        case TVarType::varNull:
            rc = sqlite3_bind_null(stmt, index);
            break;
        case TVarType::varBoolean:
            rc = sqlite3_bind_int(stmt, index, value.AsBoolean() ? 1 : 0);
            break;
        case TVarType::varInteger:
            rc = sqlite3_bind_int64(stmt, index, value.AsInt64());
            break;
        case TVarType::varFloat:
            rc = sqlite3_bind_double(stmt, index, value.AsFloat());
            break;
        case TVarType::varCurrency: {
            Currency money = value.AsCurrency();
            if (money.raw % Currency::kScale == 0)
                rc = sqlite3_bind_int64(stmt, index, money.raw / Currency::kScale);
            else
                rc = sqlite3_bind_double(stmt, index, money.ToDouble());
            break;
        }
        case TVarType::varDate:
            statement.BindText(
                index, FormatIso(value.AsDateTime(), IsDateType(type) ? type : TFieldType::ftDateTime));
            return;
        case TVarType::varString: {
            const std::string& bytes = *value.StringPtr();
            if (type == TFieldType::ftBlob || type == TFieldType::ftGraphic ||
                type == TFieldType::ftTypedBinary)
                rc = sqlite3_bind_blob64(stmt, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
            else
                rc = sqlite3_bind_text64(stmt, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT,
                                         SQLITE_UTF8);
            break;
        }
    }
    if (rc != SQLITE_OK) DatabaseError(sqlite3_errmsg(sqlite3_db_handle(stmt)), owner);
}

TColumnType MapDeclaredType(std::string_view declared) {
    std::string upper = UpperCase(declared);
    auto has = [&](const char* word) { return upper.find(word) != std::string::npos; };
    // The first number in parentheses is the size; absurd sizes fall back to a memo.
    Integer size = 0;
    bool sizeGiven = false, sizeValid = true;
    if (size_t open = upper.find('('); open != std::string::npos) {
        Int64 value = 0;
        size_t i = open + 1;
        while (i < upper.size() && upper[i] == ' ')
            ++i;
        size_t start = i;
        while (i < upper.size() && upper[i] >= '0' && upper[i] <= '9' && value <= 1'000'000)
            value = value * 10 + (upper[i++] - '0');
        if (i > start) {
            sizeGiven = true;
            sizeValid = value >= 1 && value <= 8192;
            size = static_cast<Integer>(std::min<Int64>(value, 8192));
        }
    }
    if (has("BOOL")) return {TFieldType::ftBoolean, 0};
    if (has("DATETIME") || has("TIMESTAMP")) return {TFieldType::ftDateTime, 0};
    if (has("DATE")) return {TFieldType::ftDate, 0};
    if (has("TIME")) return {TFieldType::ftTime, 0};
    if (has("MONEY") || has("CURRENCY")) return {TFieldType::ftCurrency, 0};
    if (has("GRAPHIC") || has("IMAGE")) return {TFieldType::ftGraphic, 0};
    if (has("MEMO")) return {TFieldType::ftMemo, 0};
    if (has("WORD")) return {TFieldType::ftWord, 0};
    if (has("INT")) {
        if (has("SMALLINT") || has("TINYINT") || has("INT2")) return {TFieldType::ftSmallint, 0};
        if (has("BIGINT") || has("INT8")) return {TFieldType::ftLargeint, 0};
        return {TFieldType::ftInteger, 0};
    }
    if (has("CHAR") || has("CLOB") || has("TEXT")) {
        if (sizeGiven && sizeValid) return {TFieldType::ftString, size};
        if (!sizeGiven && has("CHAR") && !has("CLOB") && !has("TEXT")) return {TFieldType::ftString, 255};
        return {TFieldType::ftMemo, 0};
    }
    if (has("BLOB") || upper.empty()) return {TFieldType::ftBlob, 0};
    return {TFieldType::ftFloat, 0};
}

std::string DeclaredType(TFieldType type, Integer size) {
    switch (type) {
        case TFieldType::ftString:
        case TFieldType::ftFixedChar:
        case TFieldType::ftWideString:
            return "VARCHAR(" + IntToStr(size > 0 ? size : 20) + ")";
        case TFieldType::ftSmallint:
            return "SMALLINT";
        case TFieldType::ftInteger:
            return "INTEGER";
        case TFieldType::ftWord:
            return "WORD INTEGER";
        case TFieldType::ftLargeint:
            return "BIGINT";
        case TFieldType::ftAutoInc:
            return "INTEGER PRIMARY KEY AUTOINCREMENT";
        case TFieldType::ftBoolean:
            return "BOOLEAN";
        case TFieldType::ftFloat:
        case TFieldType::ftBCD:
            return "FLOAT";
        case TFieldType::ftCurrency:
            return "MONEY";
        case TFieldType::ftDate:
            return "DATE";
        case TFieldType::ftTime:
            return "TIME";
        case TFieldType::ftDateTime:
            return "DATETIME";
        case TFieldType::ftMemo:
        case TFieldType::ftFmtMemo:
            return "MEMO TEXT";
        case TFieldType::ftGraphic:
            return "GRAPHIC BLOB";
        default:
            return "BLOB";
    }
}

}  // namespace sqlite

// ---------------------------------------------------------------------------------------------
// TDatabase

namespace {
std::vector<TDatabase*>& Databases() {
    static std::vector<TDatabase*> list;
    return list;
}
}  // namespace

VCL_DEFINE_CLASS(TDatabase, TComponent)

TDatabase::TDatabase(TComponent* owner) : TComponent(owner) {
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
    if (handle_) sqlite3_close_v2(handle_);
    handle_ = nullptr;
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
    if (databaseName_.find('\0') != std::string::npos) RaiseError("invalid file name");
    int flags = (readOnly_ ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(databaseName_.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string reason = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close_v2(db);
        RaiseError(reason);
    }
    // Reading the schema now turns a damaged or locked file into an error at connect time.
    char* error = nullptr;
    rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        std::string reason = error ? error : sqlite3_errmsg(db);
        sqlite3_free(error);
        sqlite3_close_v2(db);
        RaiseError(reason);
    }
    handle_ = db;
}

void TDatabase::Disconnect() {
    std::vector<TDBDataSet*> users = dataSets_;
    for (TDBDataSet* dataSet : users)
        dataSet->Close();
    if (handle_ && !sqlite3_get_autocommit(handle_))
        sqlite3_exec(handle_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(handle_);
    handle_ = nullptr;
}

bool TDatabase::InTransaction() const {
    return handle_ && !sqlite3_get_autocommit(handle_);
}

void TDatabase::StartTransaction() {
    SetConnected(true);
    if (InTransaction()) DatabaseError(std::string(dbconsts::STransactionActive), this);
    sqlite::Exec(handle_, "BEGIN", this);
}

void TDatabase::Commit() {
    if (!InTransaction()) DatabaseError(std::string(dbconsts::SNoTransaction), this);
    sqlite::Exec(handle_, "COMMIT", this);
}

void TDatabase::Rollback() {
    if (!InTransaction()) DatabaseError(std::string(dbconsts::SNoTransaction), this);
    sqlite::Exec(handle_, "ROLLBACK", this);
}

void TDatabase::Execute(const std::string& sql) {
    SetConnected(true);
    if (sql.find('\0') != std::string::npos) DatabaseError("SQL text contains a NUL character", this);
    sqlite::Exec(handle_, sql.c_str(), this);
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

sqlite3* TDBDataSet::OpenDatabase() {
    if (database_) return database_->Handle();
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
    return database_->Handle();
}

void TDBDataSet::CloseDatabase() {
    if (database_) {
        auto& users = database_->dataSets_;
        users.erase(std::remove(users.begin(), users.end(), this), users.end());
    }
    database_ = nullptr;
    privateDatabase_.reset();
}

void TDBDataSet::RaiseSQLiteError() const {
    DatabaseError(database_ && database_->Handle() ? sqlite3_errmsg(database_->Handle()) : "not connected",
                  this);
}

}  // namespace vcl
