#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

#include "platform/Errors.h"

struct sqlite3;
struct sqlite3_stmt;

namespace kovu {

// The database password of kovu.mdb, also used when the file is compacted.
inline constexpr const char* kDatabasePassword = "pqvlmtr";
inline constexpr const char* kDatabaseFileName = "kovu.mdb";

// con1: the one connection to the practice database. It is opened once at start-up and stays open;
// after close() the next statement reopens the same file with the same key.
class Connection {
public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens file with key; raises WrongKeyError when the key does not open it, ReadOnlyError when
    // the file or its folder cannot be written, and OpenError naming the cause when it is missing,
    // no file, empty or without tables, or held by another copy of the program. A file that is
    // refused is left as it was, and a missing file is never created.
    void open(const QString& file, const QString& key);
    // Makes file as a new, empty database with key and opens it; a file already there is refused.
    void create(const QString& file, const QString& key);
    // Starts opening file with key on a worker thread: the checks, the key derivation (the longest
    // part of start-up), the first read and the log mode, so the program can build its window
    // meanwhile. The next open() of the same file with the same key takes that connection over,
    // waiting for it when it is not ready, and raises its errors then; an open() of another file
    // closes it. Nothing else touches the file before that open().
    static void openAhead(const QString& file, const QString& key);
    // Closes the file; it is left in rollback-journal mode, so nothing but the file stays beside it.
    void close();
    bool isOpen() const { return m_db != nullptr; }
    const QString& file() const { return m_file; }
    const QString& key() const { return m_key; }

    // The open handle, reopening the file when the connection was closed.
    sqlite3* handle();

    // Runs one statement with bound values; returns the number of changed rows.
    int exec(const QString& sql, const QVariantList& binds = {});
    // First column of the first row, or an invalid variant when there is no row.
    QVariant scalar(const QString& sql, const QVariantList& binds = {});

    // Transactions nest: the outermost is "BEGIN IMMEDIATE" (the write lock taken at once, so a
    // multi-row change never fails half-way for want of it), inner ones are savepoints. The depth
    // follows what SQLite reports: a COMMIT that fails but leaves the transaction open stays counted,
    // and a transaction that SQLite rolled back by itself is no longer counted.
    void begin();
    void commit();
    void rollback();
    bool inTransaction();
    int transactionDepth();

    // Grows whenever rows may have gone from under an open record set: a DELETE through this
    // connection, or the file opened again (it may have been replaced). Record sets compare it
    // before they write.
    quint64 generation() const { return m_generation; }
    void noteRowsRemoved() { ++m_generation; }

    // Prepares sql and binds values; the caller finalises. Raises on error.
    sqlite3_stmt* prepare(const QString& sql, const QVariantList& binds);
    [[noreturn]] void raiseError(const QString& what);

private:
    void take(const QString& file, const QString& key, sqlite3* db);

    sqlite3* m_db = nullptr;
    QString m_file;
    QString m_key;
    int m_depth = 0;
    quint64 m_generation = 1;
};

// The database file cannot be opened for a reason the message names: it is missing, no file, empty
// or without tables, or another copy of the program holds it.
class OpenError : public KovuError {
public:
    using KovuError::KovuError;
};

// The database file or its folder cannot be written: the program cannot keep scores or settings.
class ReadOnlyError : public OpenError {
public:
    using OpenError::OpenError;
};

// The key does not open the file: a wrong password, or a file that is no database at all (the
// library cannot tell the two apart).
class WrongKeyError : public KovuError {
public:
    using KovuError::KovuError;
};

// Binds values to a prepared statement: null, integer, bool, real, text, blob, date-time.
void bindValues(sqlite3_stmt* st, const QVariantList& binds);
// Reads column i of the current row into a variant, typed by the declared column type.
QVariant columnValue(sqlite3_stmt* st, int i);

// One transaction; rolled back unless commit() was called.
class Transaction {
public:
    explicit Transaction(Connection& c) : m_c(c) { m_c.begin(); }
    ~Transaction() {
        if (!m_done) {
            try {
                m_c.rollback();
            } catch (...) {
            }
        }
    }
    void commit() {
        m_c.commit();
        m_done = true;
    }

private:
    Connection& m_c;
    bool m_done = false;
};

}  // namespace kovu
