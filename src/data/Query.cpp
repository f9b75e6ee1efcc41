#include "data/Query.h"

#include <sqlcipher/sqlite3.h>

#include <QRegularExpression>

#include "platform/Errors.h"

namespace kovu {

namespace {

const char* kRowidColumn = "kovu_rowid_";

// "SELECT <list> FROM <table> [WHERE ...|ORDER BY ...]" over one table, without aggregates.
bool singleTableSelect(const QString& sql, QString* table, QString* rest) {
    static const QRegularExpression re(
        R"(^\s*SELECT\s+(.+?)\s+FROM\s+\[?([A-Za-z_][A-Za-z0-9_]*)\]?\s*(?:(WHERE|ORDER)\b.*)?$)",
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = re.match(sql);
    if (!m.hasMatch()) return false;
    const QString list = m.captured(1);
    if (list.contains('(') || list.trimmed().startsWith("DISTINCT", Qt::CaseInsensitive)) return false;
    *table = m.captured(2);
    *rest = sql.mid(m.capturedStart(1));
    return true;
}

}  // namespace

Query::Query(Connection& connection, const QString& name, QObject* parent)
    : QObject(parent), m_con(connection), m_name(name) {
    setObjectName(name);
}

void Query::setSql(const QString& sql, const QVariantList& binds) {
    if (isOpen()) close();
    m_sql = sql;
    m_binds = binds;
}

void Query::open() {
    if (isOpen()) close();
    QString table, rest;
    m_hasRowid = singleTableSelect(m_sql, &table, &rest);
    m_table = m_hasRowid ? table : QString();
    QString sql = m_sql;
    if (m_hasRowid) {
        // Rows come in table order unless the statement orders them, whatever index SQLite uses.
        static const QRegularExpression orderBy(R"(\bORDER\s+BY\b)",
                                                QRegularExpression::CaseInsensitiveOption);
        sql = QStringLiteral("SELECT _rowid_ AS %1, %2").arg(kRowidColumn, rest);
        if (!orderBy.match(rest).hasMatch()) sql += QStringLiteral(" ORDER BY _rowid_");
    }
    sqlite3_stmt* st = m_con.prepare(sql, m_binds);
    const int cols = sqlite3_column_count(st);
    const int firstCol = m_hasRowid ? 1 : 0;
    m_fields.clear();
    for (int i = firstCol; i < cols; ++i) m_fields << QString::fromUtf8(sqlite3_column_name(st, i));
    m_rows.clear();
    m_rowids.clear();
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        std::vector<QVariant> row;
        row.reserve(cols - firstCol);
        for (int i = firstCol; i < cols; ++i) row.push_back(columnValue(st, i));
        m_rows.push_back(std::move(row));
        m_rowids.push_back(m_hasRowid ? sqlite3_column_int64(st, 0) : 0);
    }
    if (rc != SQLITE_DONE) {
        const QString msg = QString::fromUtf8(sqlite3_errmsg(m_con.handle()));
        sqlite3_finalize(st);
        m_rows.clear();
        m_rowids.clear();
        fail(QStringLiteral("%1: 查询失败：%2\n%3").arg(m_name, msg, m_sql));
    }
    sqlite3_finalize(st);
    m_state = State::Browse;
    first();
    Q_EMIT changed();
}

void Query::close() {
    if (m_state == State::Inactive) return;
    m_state = State::Inactive;
    m_rows.clear();
    m_rowids.clear();
    m_buffer.clear();
    m_modified.clear();
    m_cur = -1;
    m_eof = m_bof = true;
    Q_EMIT changed();
}

int Query::execSql() {
    if (isOpen()) close();
    return m_con.exec(m_sql, m_binds);
}

void Query::requireOpen(const char* what) const {
    if (m_state == State::Inactive)
        fail(QStringLiteral("%1: 数据集没有打开，不能%2。").arg(m_name, QString::fromUtf8(what)));
}

void Query::first() {
    if (m_state == State::Edit || m_state == State::Insert) post();
    m_cur = m_rows.empty() ? -1 : 0;
    m_eof = m_rows.empty();
    m_bof = true;
}

void Query::next() {
    if (m_state == State::Edit || m_state == State::Insert) post();
    if (m_rows.empty()) {
        m_eof = true;
        return;
    }
    if (m_cur + 1 < recordCount()) {
        ++m_cur;
        m_bof = false;
    } else {
        m_eof = true;
    }
}

void Query::prior() {
    if (m_state == State::Edit || m_state == State::Insert) post();
    if (m_cur > 0) {
        --m_cur;
        m_eof = false;
    } else {
        m_bof = true;
    }
}

void Query::last() {
    if (m_state == State::Edit || m_state == State::Insert) post();
    m_cur = m_rows.empty() ? -1 : recordCount() - 1;
    m_eof = true;
    m_bof = m_rows.empty();
    if (!m_rows.empty()) m_eof = false;
}

void Query::moveTo(int row) {
    if (row < 0 || row >= recordCount()) return;
    if (m_state == State::Edit || m_state == State::Insert) post();
    m_cur = row;
    m_eof = false;
    m_bof = row == 0;
}

int Query::fieldIndex(const QString& name) const {
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields.at(i).compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

int Query::requireField(const QString& name) const {
    const int i = fieldIndex(name);
    if (i < 0) fail(QStringLiteral("%1: 找不到字段“%2”。").arg(m_name, name));
    return i;
}

QVariant Query::value(int field) const {
    if (field < 0 || field >= fieldCount())
        fail(QStringLiteral("%1: 字段序号 %2 超出范围。").arg(m_name).arg(field));
    if (m_state == State::Edit || m_state == State::Insert) return m_buffer.at(field);
    if (m_cur < 0 || m_cur >= recordCount()) return QVariant();
    return m_rows.at(m_cur).at(field);
}

QVariant Query::valueAt(int row, int field) const {
    if (row < 0 || row >= recordCount() || field < 0 || field >= fieldCount()) return QVariant();
    return m_rows.at(row).at(field);
}

int Query::integer(const QString& field) const { return integer(requireField(field)); }

int Query::integer(int field) const {
    const QVariant v = value(field);
    if (!v.isValid() || v.isNull()) return 0;
    if (v.metaType().id() == QMetaType::QString) {
        bool ok = false;
        const int n = v.toString().trimmed().toInt(&ok);
        if (!ok) fail(QStringLiteral("“%1”不是有效的整数。").arg(v.toString()));
        return n;
    }
    return v.toInt();
}

bool Query::isNull(int field) const {
    const QVariant v = value(field);
    return !v.isValid() || v.isNull();
}

void Query::edit() {
    requireOpen("修改");
    if (m_state == State::Edit || m_state == State::Insert) return;
    if (!m_hasRowid) fail(QStringLiteral("%1: 这个查询的记录不能修改。").arg(m_name));
    if (m_cur < 0) fail(QStringLiteral("%1: 没有当前记录，不能修改。").arg(m_name));
    m_buffer = m_rows.at(m_cur);
    m_modified.assign(m_fields.size(), false);
    m_state = State::Edit;
}

void Query::append() {
    requireOpen("添加");
    if (m_state == State::Edit || m_state == State::Insert) post();
    if (!m_hasRowid) fail(QStringLiteral("%1: 这个查询不能添加记录。").arg(m_name));
    m_buffer.assign(m_fields.size(), QVariant());
    m_modified.assign(m_fields.size(), false);
    m_state = State::Insert;
}

void Query::setValue(int field, const QVariant& v) {
    if (m_state != State::Edit && m_state != State::Insert)
        fail(QStringLiteral("%1: 数据集不在编辑状态。").arg(m_name));
    if (field < 0 || field >= fieldCount())
        fail(QStringLiteral("%1: 字段序号 %2 超出范围。").arg(m_name).arg(field));
    m_buffer[field] = v;
    m_modified[field] = true;
}

void Query::loadRowFromDb(qint64 rowid, std::vector<QVariant>& row) {
    QStringList cols;
    for (const QString& f : m_fields) cols << QStringLiteral("\"%1\"").arg(QString(f).replace('"', "\"\""));
    sqlite3_stmt* st = m_con.prepare(
        QStringLiteral("SELECT %1 FROM %2 WHERE _rowid_ = ?").arg(cols.join(", "), m_table), {rowid});
    if (sqlite3_step(st) == SQLITE_ROW) {
        row.clear();
        for (int i = 0; i < fieldCount(); ++i) row.push_back(columnValue(st, i));
    }
    sqlite3_finalize(st);
}

void Query::post() {
    if (m_state != State::Edit && m_state != State::Insert) return;
    QStringList cols;
    QVariantList binds;
    for (int i = 0; i < fieldCount(); ++i) {
        if (!m_modified.at(i)) continue;
        cols << QStringLiteral("\"%1\"").arg(QString(m_fields.at(i)).replace('"', "\"\""));
        binds << m_buffer.at(i);
    }
    if (m_state == State::Edit) {
        if (!cols.isEmpty()) {
            QStringList sets;
            for (const QString& c : cols) sets << c + " = ?";
            binds << m_rowids.at(m_cur);
            // Stays in edit state when the statement fails, so nothing is lost silently.
            m_con.exec(QStringLiteral("UPDATE %1 SET %2 WHERE _rowid_ = ?").arg(m_table, sets.join(", ")),
                       binds);
            loadRowFromDb(m_rowids.at(m_cur), m_rows[m_cur]);
        }
    } else {
        const QString sql = cols.isEmpty()
                                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_table)
                                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                      .arg(m_table, cols.join(", "),
                                           QStringList(cols.size(), QStringLiteral("?")).join(", "));
        m_con.exec(sql, binds);
        const qint64 rowid = sqlite3_last_insert_rowid(m_con.handle());
        std::vector<QVariant> row = m_buffer;
        loadRowFromDb(rowid, row);
        m_rows.push_back(std::move(row));
        m_rowids.push_back(rowid);
        m_cur = recordCount() - 1;
        m_eof = false;
    }
    m_state = State::Browse;
    m_buffer.clear();
    m_modified.clear();
    Q_EMIT changed();
}

void Query::cancel() {
    if (m_state != State::Edit && m_state != State::Insert) return;
    m_state = State::Browse;
    m_buffer.clear();
    m_modified.clear();
}

void Query::deleteRecord() {
    requireOpen("删除");
    cancel();
    if (!m_hasRowid) fail(QStringLiteral("%1: 这个查询的记录不能删除。").arg(m_name));
    if (m_cur < 0) fail(QStringLiteral("%1: 没有当前记录，不能删除。").arg(m_name));
    m_con.exec(QStringLiteral("DELETE FROM %1 WHERE _rowid_ = ?").arg(m_table), {m_rowids.at(m_cur)});
    m_rows.erase(m_rows.begin() + m_cur);
    m_rowids.erase(m_rowids.begin() + m_cur);
    if (m_cur >= recordCount()) m_cur = recordCount() - 1;
    m_eof = m_rows.empty();
    Q_EMIT changed();
}

void Query::updateCurrent(std::initializer_list<std::pair<QString, QVariant>> fields) {
    edit();
    try {
        for (const auto& [name, v] : fields) setValue(name, v);
        post();
    } catch (...) {
        cancel();
        throw;
    }
}

Table::Table(Connection& connection, const QString& name, QObject* parent)
    : Query(connection, name, parent) {}

void Table::setTableName(const QString& table) {
    static const QRegularExpression ident("^[A-Za-z_][A-Za-z0-9_]*$");
    if (!ident.match(table).hasMatch()) fail(QStringLiteral("表名“%1”不对。").arg(table));
    m_tableName = table;
    setSql(QStringLiteral("SELECT * FROM %1").arg(table));
}

}  // namespace kovu
