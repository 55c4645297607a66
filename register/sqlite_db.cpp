#include "register/sqlite_db.h"

#include <sqlite3.h>
#include <utility>

namespace krv::reg {

namespace {

FaultKind kindOf(int code) {
    switch (code & 0xFF) {
    case SQLITE_FULL:
        return FaultKind::Full;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
        return FaultKind::ReadOnly;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return FaultKind::Locked;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return FaultKind::Damaged;
    case SQLITE_IOERR:
        // The system's "no space" comes as a write error on some paths.
        return code == SQLITE_IOERR_WRITE || code == SQLITE_IOERR_FSYNC ? FaultKind::Full
                                                                        : FaultKind::Other;
    default:
        return FaultKind::Other;
    }
}

void check(sqlite3* db, int code, std::string_view during) {
    if (code != SQLITE_OK) {
        raiseFault(db, code, during);
    }
}

} // namespace

void raiseFault(sqlite3* db, int code, std::string_view during) {
    std::string detail(during);
    detail += ": ";
    detail += db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    throw DatabaseFault(kindOf(db != nullptr ? sqlite3_extended_errcode(db) : code), detail);
}

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
    check(db_,
          sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &statement_, nullptr),
          sql);
}

Statement::~Statement() {
    sqlite3_finalize(statement_);
}

Statement::Statement(Statement&& other) noexcept
    : db_(other.db_), statement_(std::exchange(other.statement_, nullptr)) {}

Statement& Statement::bind(int index, int64_t value) {
    check(db_, sqlite3_bind_int64(statement_, index, value), "bind");
    return *this;
}

Statement& Statement::bind(int index, std::string_view text) {
    // An empty view may point nowhere, which SQLite would store as NULL.
    check(db_,
          sqlite3_bind_text(statement_, index, text.empty() ? "" : text.data(),
                            static_cast<int>(text.size()), SQLITE_TRANSIENT),
          "bind");
    return *this;
}

Statement& Statement::bind(int index, std::span<const uint8_t> blob) {
    check(db_,
          sqlite3_bind_blob(statement_, index, blob.data(), static_cast<int>(blob.size()),
                            SQLITE_TRANSIENT),
          "bind");
    return *this;
}

Statement& Statement::bindNull(int index) {
    check(db_, sqlite3_bind_null(statement_, index), "bind");
    return *this;
}

bool Statement::step() {
    const int code = sqlite3_step(statement_);
    if (code == SQLITE_ROW) {
        return true;
    }
    if (code == SQLITE_DONE) {
        return false;
    }
    const std::string sql = sqlite3_sql(statement_);
    sqlite3_reset(statement_);
    raiseFault(db_, code, sql);
}

void Statement::run() {
    while (step()) {
    }
}

void Statement::reset() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

bool Statement::isNull(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

int64_t Statement::integer(int column) const {
    return sqlite3_column_int64(statement_, column);
}

std::string Statement::text(int column) const {
    const auto* text = sqlite3_column_text(statement_, column);
    return text == nullptr
               ? std::string()
               : std::string(reinterpret_cast<const char*>(text),
                             static_cast<size_t>(sqlite3_column_bytes(statement_, column)));
}

std::vector<uint8_t> Statement::blob(int column) const {
    const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(statement_, column));
    const auto size = static_cast<size_t>(sqlite3_column_bytes(statement_, column));
    return bytes == nullptr ? std::vector<uint8_t>() : std::vector<uint8_t>(bytes, bytes + size);
}

Database::Database(const std::string& path, Mode mode) : path_(path) {
    const int flags = (mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY
                                              : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) |
                      SQLITE_OPEN_NOMUTEX;
    const int code = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    if (code != SQLITE_OK) {
        const DatabaseFault fault(kindOf(code), path + ": " + sqlite3_errstr(code));
        sqlite3_close(db_);
        db_ = nullptr;
        throw fault;
    }
    sqlite3_extended_result_codes(db_, 1);
}

Database::~Database() {
    sqlite3_close_v2(db_);
}

void Database::exec(std::string_view sql) {
    const std::string text(sql);
    check(db_, sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr), sql);
}

int64_t Database::lastInsertId() const {
    return sqlite3_last_insert_rowid(db_);
}

int Database::changes() const {
    return sqlite3_changes(db_);
}

Transaction::Transaction(Database& db)
    : db_(db), nested_(sqlite3_get_autocommit(db.handle()) == 0) {
    // IMMEDIATE takes the write lock at once, so a busy database fails here, before any work.
    db_.exec(nested_ ? "SAVEPOINT nested" : "BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
    if (!done_) {
        try {
            db_.exec(nested_ ? "ROLLBACK TO nested; RELEASE nested" : "ROLLBACK");
        } catch (const DatabaseFault&) {
            // SQLite already rolled back after the error that brought us here.
        }
    }
}

void Transaction::commit() {
    db_.exec(nested_ ? "RELEASE nested" : "COMMIT");
    done_ = true;
}

} // namespace krv::reg
