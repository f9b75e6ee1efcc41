#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <initializer_list>
#include <utility>
#include <vector>

#include "data/Connection.h"

namespace kovu {

// A picture not yet read from the file: its length in bytes.
struct LazyBlob {
    qint64 length = 0;
};

// A query with the record-set behaviour the screens rely on (aquSb, aquTp, aquFz): SQL text with
// bound values, open, first / next / eof, the current row, fields by name and position,
// edit / post, append / post / cancel, delete, ExecSQL and blobs. Open reads every row of the
// result (a static cursor); rows come in rowid order unless the SQL orders them. A row of a
// single-table SELECT can be edited, appended or deleted through the columns it takes from the
// table as they are; aliased and computed columns are read-only. Each post is one statement, so
// a failure leaves no half-written row.
//
// Writes reach the row they mean or fail: an edit or a delete changes exactly one row, and a
// record set whose rows may have gone (a DELETE elsewhere, another program's commit, the file
// opened again) reads its rows again before it writes and refuses when its current row is no
// longer what it showed.
//
// Moving never writes by surprise: a pending edit or append is cancelled by a move unless the
// caller asks for it to be posted (Pending::Post).
class Query : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };
    // What a move does with a pending edit or append.
    enum class Pending { Cancel, Post };

    Query(Connection& connection, const QString& name, QObject* parent = nullptr);

    const QString& name() const { return m_name; }
    Connection& connection() { return m_con; }

    // Clears the SQL text and sets one statement with its bound values ('?' places).
    void setSql(const QString& sql, const QVariantList& binds = {});
    const QString& sql() const { return m_sql; }
    const QVariantList& binds() const { return m_binds; }

    void open();
    void close();
    bool isOpen() const { return m_state != State::Inactive; }
    State state() const { return m_state; }
    // Runs the SQL text as a statement that returns no rows; returns the changed rows.
    int execSql();

    int recordCount() const { return static_cast<int>(m_rows.size()); }
    bool isEmpty() const { return m_rows.empty(); }
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    void first(Pending pending = Pending::Cancel);
    void next(Pending pending = Pending::Cancel);
    void prior(Pending pending = Pending::Cancel);
    void last(Pending pending = Pending::Cancel);
    // 0-based number of the current row, -1 when there is none.
    int recNo() const { return m_cur; }
    void moveTo(int row, Pending pending = Pending::Cancel);
    // Runs the SQL text again, staying on the same row where it is still there.
    void refresh();

    int fieldCount() const { return static_cast<int>(m_fields.size()); }
    const QStringList& fieldNames() const { return m_fields; }
    QString fieldName(int i) const { return m_fields.value(i); }
    int fieldIndex(const QString& name) const;
    bool hasField(const QString& name) const { return fieldIndex(name) >= 0; }
    // Whether a field can be assigned: a column of the query's table under its own name.
    bool isWritable(int field) const {
        return field >= 0 && field < static_cast<int>(m_writable.size()) && m_writable[field];
    }

    // Values of the current row (the edit buffer while editing or appending); invalid when there
    // is no current row.
    QVariant value(int field) const;
    QVariant value(const QString& field) const { return value(requireField(field)); }
    QString text(const QString& field) const { return value(field).toString(); }
    QString text(int field) const { return value(field).toString(); }
    int integer(const QString& field) const;
    int integer(int field) const;
    bool boolean(const QString& field) const { return value(field).toBool(); }
    QByteArray blob(const QString& field) const { return value(field).toByteArray(); }
    QByteArray blob(int field) const { return value(field).toByteArray(); }
    bool isNull(const QString& field) const { return isNull(requireField(field)); }
    bool isNull(int field) const;
    // Value of any row without moving the cursor.
    QVariant valueAt(int row, int field) const;
    // Whether a cell holds a picture (or other binary value), without reading it.
    bool isBlobCell(int row, int field) const;

    void edit();
    // A pending edit or append is settled first as a move would settle it.
    void append(Pending pending = Pending::Cancel);
    void setValue(int field, const QVariant& v);
    void setValue(const QString& field, const QVariant& v) { setValue(requireField(field), v); }
    void post();
    void cancel();
    void deleteRecord();
    // Edits the current row, assigns the fields and posts; a failure cancels the edit and raises.
    void updateCurrent(std::initializer_list<std::pair<QString, QVariant>> fields);

    // The single table of the SELECT, empty when the query is not editable.
    const QString& tableName() const { return m_table; }

Q_SIGNALS:
    // Rows or columns changed (open, close, post, delete).
    void changed();

private:
    int requireField(const QString& name) const;
    void requireOpen(const char* what) const;
    // Runs the statement and reads every row; the cursor is left on no row.
    void readRows();
    bool loadRowFromDb(qint64 rowid, std::vector<QVariant>& row);
    void settlePending(Pending pending);
    // Before a write through the current row: reads the rows again when they may have gone, and
    // refuses when the current row is no longer the row the record set showed.
    void ensureCurrentRow();
    qint64 dataVersion();
    QString quotedColumn(int field) const;
    // The cell of a row, a picture read from the file the first time it is asked for.
    QVariant cell(int row, int field) const;

    Connection& m_con;
    QString m_name;
    QString m_sql;
    QVariantList m_binds;
    QString m_table;
    QString m_columnList;  // what the SELECT takes, for reading one row again
    bool m_hasRowid = false;
    std::vector<bool> m_writable;
    QStringList m_origins;  // table column of each field, empty for read-only ones
    quint64 m_generation = 0;
    qint64 m_dataVersion = 0;
    State m_state = State::Inactive;
    QStringList m_fields;
    // Rows as read; a picture column holds a LazyBlob (its length) until its value is asked for.
    mutable std::vector<std::vector<QVariant>> m_rows;
    std::vector<bool> m_lazy;
    std::vector<qint64> m_rowids;
    std::vector<QVariant> m_buffer;
    std::vector<bool> m_modified;
    int m_cur = -1;
    bool m_eof = true;
    bool m_bof = true;
};

// tabCj: a whole table opened by its name.
class Table : public Query {
    Q_OBJECT
public:
    Table(Connection& connection, const QString& name, QObject* parent = nullptr);
    void setTableName(const QString& table);
    const QString& table() const { return m_tableName; }
    // Opens the table's columns without reading its rows: enough to append one. setTableName
    // again shows the whole table at the next open.
    void openForAppend();

private:
    QString m_tableName;
};

}  // namespace kovu

Q_DECLARE_METATYPE(kovu::LazyBlob)
