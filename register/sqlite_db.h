#pragma once
// A thin owner of an SQLite connection and its statements. Every failing call raises a
// DatabaseFault naming what kind of fault it was, so callers stop before they touch the
// controller and tell the fitter why in words.

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace krv::reg {

enum class FaultKind {
    Full,     // no room left on the disk (or the database reached its size limit)
    ReadOnly, // the file or its folder cannot be written
    Locked,   // another program held the database longer than the busy timeout
    Damaged,  // not a database, or its pages are corrupt
    Newer,    // written by a newer version of the tool
    Other,
};

class DatabaseFault : public std::runtime_error {
public:
    DatabaseFault(FaultKind kind, const std::string& detail)
        : std::runtime_error(detail), kind_(kind) {}
    FaultKind kind() const { return kind_; }

private:
    FaultKind kind_;
};

class Statement {
public:
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&&) = delete;

    // Binding by 1-based position, as SQLite counts.
    Statement& bind(int index, int64_t value);
    Statement& bind(int index, std::string_view text);
    Statement& bind(int index, std::span<const uint8_t> blob);
    Statement& bindNull(int index);
    // A row is there to read; false when the statement is done.
    bool step();
    // Runs it to the end, for statements that return no rows.
    void run();
    void reset();

    bool isNull(int column) const;
    int64_t integer(int column) const;
    std::string text(int column) const;
    std::vector<uint8_t> blob(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

class Database {
public:
    enum class Mode { ReadWrite, ReadOnly };
    // ":memory:" for a database that lives only in this object. Opens, never creates the
    // folder; a file that is not a database raises Damaged at the first read.
    explicit Database(const std::string& path, Mode mode = Mode::ReadWrite);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void exec(std::string_view sql);
    Statement prepare(std::string_view sql) { return Statement(db_, sql); }
    int64_t lastInsertId() const;
    int changes() const;
    const std::string& path() const { return path_; }
    sqlite3* handle() { return db_; }

private:
    sqlite3* db_ = nullptr;
    std::string path_;
};

// Commits on commit(); rolled back when left without it (an exception on the way). Within
// another transaction it is a savepoint of that one.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Database& db_;
    bool nested_;
    bool done_ = false;
};

// Raises the fault for an SQLite result code (primary or extended).
[[noreturn]] void raiseFault(sqlite3* db, int code, std::string_view during);

} // namespace krv::reg
