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

// A query with the record-set behaviour the screens rely on (aquSb, aquTp, aquFz): SQL text with
// bound values, open, first / next / eof, the current row, fields by name and position,
// edit / post, append / post / cancel, delete, ExecSQL and blobs. Open reads every row of the
// result (a static cursor); rows come in rowid order unless the SQL orders them. A row of a
// single-table SELECT can be edited, appended or deleted; each post is one statement, so a
// failure leaves no half-written row.
class Query : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

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
    void first();
    void next();
    void prior();
    void last();
    // 0-based number of the current row, -1 when there is none.
    int recNo() const { return m_cur; }
    void moveTo(int row);

    int fieldCount() const { return static_cast<int>(m_fields.size()); }
    const QStringList& fieldNames() const { return m_fields; }
    QString fieldName(int i) const { return m_fields.value(i); }
    int fieldIndex(const QString& name) const;
    bool hasField(const QString& name) const { return fieldIndex(name) >= 0; }

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

    void edit();
    void append();
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
    void loadRowFromDb(qint64 rowid, std::vector<QVariant>& row);

    Connection& m_con;
    QString m_name;
    QString m_sql;
    QVariantList m_binds;
    QString m_table;
    bool m_hasRowid = false;
    State m_state = State::Inactive;
    QStringList m_fields;
    std::vector<std::vector<QVariant>> m_rows;
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

private:
    QString m_tableName;
};

}  // namespace kovu
