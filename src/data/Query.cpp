#include "data/Query.h"

#include <sqlcipher/sqlite3.h>

#include <algorithm>

#include "platform/Errors.h"

namespace kovu {

using namespace Qt::StringLiterals;

namespace {

const char* kRowidColumn = "kovu_rowid_";

// The statements are scanned by hand rather than with regular expressions: the first record set
// of every start would otherwise compile them (half a millisecond before the window shows).

bool isAsciiIdentStart(QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_'; }

// Names, and the words of a statement, are made of ASCII letters, digits and "_": a name in
// Chinese next to a keyword leaves the keyword a word of its own.
bool isAsciiIdentChar(QChar c) { return isAsciiIdentStart(c) || (c >= u'0' && c <= u'9'); }

qsizetype skipSpaces(QStringView s, qsizetype i) {
    while (i < s.size() && s[i].isSpace()) ++i;
    return i;
}

// Where the word w (any case) stands on its own in s at or after from, or -1.
qsizetype findWord(QStringView s, QLatin1StringView w, qsizetype from = 0) {
    for (qsizetype i = s.indexOf(w, from, Qt::CaseInsensitive); i >= 0;
         i = s.indexOf(w, i + 1, Qt::CaseInsensitive)) {
        const qsizetype after = i + w.size();
        if ((i == 0 || !isAsciiIdentChar(s[i - 1])) && (after == s.size() || !isAsciiIdentChar(s[after])))
            return i;
    }
    return -1;
}

bool startsWithWord(QStringView s, QLatin1StringView w) {
    return s.startsWith(w, Qt::CaseInsensitive) && (s.size() == w.size() || !isAsciiIdentChar(s[w.size()]));
}

// Whether s holds one of words as a word of its own; with call, only where "(" follows it.
bool holdsWord(QStringView s, std::initializer_list<QLatin1StringView> words, bool call = false) {
    for (QLatin1StringView w : words)
        for (qsizetype i = findWord(s, w); i >= 0; i = findWord(s, w, i + 1)) {
            const qsizetype after = skipSpaces(s, i + w.size());
            if (!call || (after < s.size() && s[after] == u'(')) return true;
        }
    return false;
}

// "SELECT <list> FROM <table> [WHERE ...] [ORDER BY ...] [LIMIT ...]" over one table, without
// aggregates, groups, joins or compound parts: the statements whose rows are rows of the table.
bool singleTableSelect(const QString& sql, QString* table, QString* list, QString* rest) {
    const QStringView s(sql);
    const qsizetype select = skipSpaces(s, 0);
    if (!startsWithWord(s.mid(select), "SELECT"_L1)) return false;
    const qsizetype listStart = skipSpaces(s, select + 6);
    if (listStart == select + 6) return false;
    // The list ends at the first FROM, between blanks, that a table name follows.
    for (qsizetype from = findWord(s, "FROM"_L1, listStart + 1); from >= 0;
         from = findWord(s, "FROM"_L1, from + 1)) {
        if (!s[from - 1].isSpace()) continue;
        qsizetype i = skipSpaces(s, from + 4);
        if (i == from + 4) continue;
        if (i < s.size() && s[i] == u'[') ++i;
        const qsizetype nameStart = i;
        if (i >= s.size() || !isAsciiIdentStart(s[i])) continue;
        while (i < s.size() && isAsciiIdentChar(s[i])) ++i;
        const qsizetype nameEnd = i;
        if (i < s.size() && s[i] == u']') ++i;
        i = skipSpaces(s, i);
        const QStringView tail = s.mid(i);
        if (!tail.isEmpty() && !startsWithWord(tail, "WHERE"_L1) && !startsWithWord(tail, "ORDER"_L1) &&
            !startsWithWord(tail, "LIMIT"_L1))
            continue;
        const QStringView l = s.mid(listStart, from - listStart).trimmed();
        if (l.isEmpty() || startsWithWord(l, "DISTINCT"_L1)) return false;
        if (holdsWord(l, {"count"_L1, "sum"_L1, "min"_L1, "max"_L1, "avg"_L1, "total"_L1, "group_concat"_L1},
                      true))
            return false;
        if (holdsWord(tail, {"GROUP"_L1, "HAVING"_L1, "UNION"_L1, "INTERSECT"_L1, "EXCEPT"_L1, "JOIN"_L1}))
            return false;
        *table = s.mid(nameStart, nameEnd - nameStart).toString();
        *list = l.toString();
        *rest = tail.toString();
        return true;
    }
    return false;
}

// Whether s orders its rows: ORDER and BY as words with blanks between them.
bool ordersRows(QStringView s) {
    for (qsizetype i = findWord(s, "ORDER"_L1); i >= 0; i = findWord(s, "ORDER"_L1, i + 1)) {
        const qsizetype by = skipSpaces(s, i + 5);
        if (by > i + 5 && startsWithWord(s.mid(by), "BY"_L1)) return true;
    }
    return false;
}

// The statement with the rowid in front; rows in table order unless it orders them, the order
// going before a LIMIT.
QString withRowid(const QString& table, const QString& list, const QString& rest) {
    QString head = rest;
    QString tail;
    const qsizetype limit = findWord(rest, "LIMIT"_L1);
    if (limit >= 0) {
        head = rest.left(limit);
        tail = rest.mid(limit);
    }
    QString sql = QStringLiteral("SELECT _rowid_ AS %1, %2 FROM %3 %4").arg(kRowidColumn, list, table, head);
    if (!ordersRows(head)) sql += QStringLiteral(" ORDER BY _rowid_");
    if (!tail.isEmpty()) sql += QLatin1Char(' ') + tail;
    return sql;
}

// Two readings of one row are the same row; a picture not yet read counts by its length.
bool sameCell(const QVariant& a, const QVariant& b) {
    const QMetaType lazy = QMetaType::fromType<LazyBlob>();
    if (a.metaType() == lazy || b.metaType() == lazy) {
        const auto length = [&lazy](const QVariant& v) {
            return v.metaType() == lazy ? v.value<LazyBlob>().length : qint64(v.toByteArray().size());
        };
        return length(a) == length(b);
    }
    return a == b;
}

bool sameRow(const std::vector<QVariant>& a, const std::vector<QVariant>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (!sameCell(a[i], b[i])) return false;
    return true;
}

QString quoted(const QString& name) {
    return QStringLiteral("\"%1\"").arg(QString(name).replace('"', "\"\""));
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

void Query::readRows() {
    QString table, list, rest;
    m_hasRowid = singleTableSelect(m_sql, &table, &list, &rest);
    m_table = m_hasRowid ? table : QString();
    m_columnList = m_hasRowid ? list : QString();
    const QString sql = m_hasRowid ? withRowid(table, list, rest) : m_sql;
    sqlite3_stmt* st = m_con.prepare(sql, m_binds);
    const int cols = sqlite3_column_count(st);
    const int firstCol = m_hasRowid ? 1 : 0;
    m_fields.clear();
    m_origins.clear();
    m_writable.clear();
    for (int i = firstCol; i < cols; ++i) {
        const QString name = QString::fromUtf8(sqlite3_column_name(st, i));
        const char* t = sqlite3_column_table_name(st, i);
        const char* o = sqlite3_column_origin_name(st, i);
        const QString origin = o ? QString::fromUtf8(o) : QString();
        // Only a column of the table under its own name is written back; an alias or an
        // expression has no single place to go.
        const bool writable = m_hasRowid && t &&
                              QString::fromUtf8(t).compare(m_table, Qt::CaseInsensitive) == 0 &&
                              !origin.isEmpty() && origin.compare(name, Qt::CaseInsensitive) == 0;
        m_fields << name;
        m_origins << (writable ? origin : QString());
        m_writable.push_back(writable);
    }
    // Pictures are read when a row's picture is asked for, not with the rows: a session or a grid
    // of thousands of words holds their lengths only. That needs every column by its plain name.
    m_lazy.assign(m_fields.size(), false);
    bool anyLazy = false;
    bool allPlain = m_hasRowid;
    for (int i = 0; i < fieldCount(); ++i) {
        const char* decl = sqlite3_column_decltype(st, i + firstCol);
        m_lazy[i] = m_writable[i] && decl && QByteArray(decl).toUpper().startsWith("BLOB");
        anyLazy = anyLazy || m_lazy[i];
        allPlain = allPlain && m_writable[i];
    }
    if (anyLazy && allPlain) {
        sqlite3_finalize(st);
        QStringList lean;
        for (int i = 0; i < fieldCount(); ++i)
            lean << (m_lazy[i] ? QStringLiteral("length(%1) AS %1").arg(quotedColumn(i)) : quotedColumn(i));
        st = m_con.prepare(withRowid(table, lean.join(", "), rest), m_binds);
    } else {
        m_lazy.assign(m_fields.size(), false);
    }
    m_rows.clear();
    m_rowids.clear();
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        std::vector<QVariant> row;
        row.reserve(cols - firstCol);
        for (int i = firstCol; i < cols; ++i) {
            if (m_lazy[i - firstCol] && sqlite3_column_type(st, i) != SQLITE_NULL)
                row.push_back(QVariant::fromValue(LazyBlob{sqlite3_column_int64(st, i)}));
            else
                row.push_back(columnValue(st, i));
        }
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
    m_generation = m_con.generation();
    m_dataVersion = dataVersion();
    m_buffer.clear();
    m_modified.clear();
}

void Query::open() {
    if (isOpen()) close();
    readRows();
    m_state = State::Browse;
    first();
    Q_EMIT changed();
}

void Query::refresh() {
    requireOpen("刷新");
    const bool had = m_cur >= 0 && m_cur < recordCount();
    const qint64 rowid = had ? m_rowids.at(m_cur) : 0;
    const int oldCur = m_cur;
    m_state = State::Browse;
    try {
        readRows();
    } catch (...) {
        m_state = State::Inactive;
        m_cur = -1;
        m_eof = m_bof = true;
        Q_EMIT changed();
        throw;
    }
    int cur = -1;
    if (had && m_hasRowid)
        for (int i = 0; i < recordCount() && cur < 0; ++i)
            if (m_rowids.at(i) == rowid) cur = i;
    if (cur < 0 && !m_rows.empty()) cur = std::clamp(oldCur, 0, recordCount() - 1);
    m_cur = cur;
    m_eof = m_rows.empty();
    m_bof = cur <= 0;
    Q_EMIT changed();
}

qint64 Query::dataVersion() {
    sqlite3_stmt* st = m_con.prepare(QStringLiteral("PRAGMA data_version"), {});
    qint64 v = 0;
    if (sqlite3_step(st) == SQLITE_ROW) v = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return v;
}

void Query::ensureCurrentRow() {
    if (!m_hasRowid || m_cur < 0) return;
    if (m_generation == m_con.generation() && m_dataVersion == dataVersion()) return;
    // Rows may have gone since the record set was read, and a new row may have taken the rowid of
    // a deleted one: the current row counts only when it is still there unchanged.
    const qint64 rowid = m_rowids.at(m_cur);
    const std::vector<QVariant> shown = m_rows.at(m_cur);
    refresh();
    if (m_cur < 0 || m_rowids.at(m_cur) != rowid || !sameRow(m_rows.at(m_cur), shown))
        fail(QStringLiteral("%1: 当前记录已被删除或修改，没有保存。请重新选择要修改的记录。").arg(m_name));
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

void Query::settlePending(Pending pending) {
    if (m_state != State::Edit && m_state != State::Insert) return;
    if (pending == Pending::Post)
        post();
    else
        cancel();
}

void Query::first(Pending pending) {
    settlePending(pending);
    m_cur = m_rows.empty() ? -1 : 0;
    m_eof = m_rows.empty();
    m_bof = true;
}

void Query::next(Pending pending) {
    settlePending(pending);
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

void Query::prior(Pending pending) {
    settlePending(pending);
    if (m_cur > 0) {
        --m_cur;
        m_eof = false;
    } else {
        m_bof = true;
    }
}

void Query::last(Pending pending) {
    settlePending(pending);
    m_cur = m_rows.empty() ? -1 : recordCount() - 1;
    m_eof = m_rows.empty();
    m_bof = m_rows.empty();
}

void Query::moveTo(int row, Pending pending) {
    if (row < 0 || row >= recordCount()) return;
    settlePending(pending);
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

QVariant Query::cell(int row, int field) const {
    QVariant& v = m_rows[row][field];
    if (v.metaType() == QMetaType::fromType<LazyBlob>()) {
        sqlite3_stmt* st = m_con.prepare(
            QStringLiteral("SELECT %1 FROM %2 WHERE _rowid_ = ?").arg(quotedColumn(field), m_table),
            {m_rowids.at(row)});
        QVariant loaded = QVariant(QMetaType(QMetaType::QByteArray));
        if (sqlite3_step(st) == SQLITE_ROW) loaded = columnValue(st, 0);
        sqlite3_finalize(st);
        v = loaded;
    }
    return v;
}

bool Query::isBlobCell(int row, int field) const {
    if (row < 0 || row >= recordCount() || field < 0 || field >= fieldCount()) return false;
    const QVariant& v = m_rows[row][field];
    return v.metaType() == QMetaType::fromType<LazyBlob>() ||
           v.metaType() == QMetaType::fromType<QByteArray>();
}

QVariant Query::value(int field) const {
    if (field < 0 || field >= fieldCount())
        fail(QStringLiteral("%1: 字段序号 %2 超出范围。").arg(m_name).arg(field));
    if (m_state == State::Edit || m_state == State::Insert) return m_buffer.at(field);
    if (m_cur < 0 || m_cur >= recordCount()) return QVariant();
    return cell(m_cur, field);
}

QVariant Query::valueAt(int row, int field) const {
    if (row < 0 || row >= recordCount() || field < 0 || field >= fieldCount()) return QVariant();
    return cell(row, field);
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
    ensureCurrentRow();
    for (int i = 0; i < fieldCount(); ++i) cell(m_cur, i);
    m_buffer = m_rows.at(m_cur);
    m_modified.assign(m_fields.size(), false);
    m_state = State::Edit;
}

void Query::append(Pending pending) {
    requireOpen("添加");
    settlePending(pending);
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
    if (!isWritable(field))
        fail(QStringLiteral("%1: 字段“%2”是计算出来的或改了名的列，不能修改。")
                 .arg(m_name, m_fields.at(field)));
    m_buffer[field] = v;
    m_modified[field] = true;
}

QString Query::quotedColumn(int field) const { return quoted(m_origins.at(field)); }

bool Query::loadRowFromDb(qint64 rowid, std::vector<QVariant>& row) {
    // The row as the statement shows it, computed columns included.
    sqlite3_stmt* st = m_con.prepare(
        QStringLiteral("SELECT %1 FROM %2 WHERE _rowid_ = ?").arg(m_columnList, m_table), {rowid});
    const bool found = sqlite3_step(st) == SQLITE_ROW;
    if (found) {
        row.clear();
        for (int i = 0; i < fieldCount(); ++i) row.push_back(columnValue(st, i));
    }
    sqlite3_finalize(st);
    return found;
}

void Query::post() {
    if (m_state != State::Edit && m_state != State::Insert) return;
    QStringList cols;
    QVariantList binds;
    for (int i = 0; i < fieldCount(); ++i) {
        if (!m_modified.at(i)) continue;
        cols << quotedColumn(i);
        binds << m_buffer.at(i);
    }
    // A failing statement leaves the record set in its edit state, so nothing is lost silently.
    if (m_state == State::Edit) {
        if (!cols.isEmpty()) {
            ensureCurrentRow();
            QStringList sets;
            for (const QString& c : cols) sets << c + " = ?";
            binds << m_rowids.at(m_cur);
            const int changed = m_con.exec(
                QStringLiteral("UPDATE %1 SET %2 WHERE _rowid_ = ?").arg(m_table, sets.join(", ")), binds);
            if (changed != 1) fail(QStringLiteral("%1: 当前记录已被删除，修改没有保存。").arg(m_name));
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
    ensureCurrentRow();
    const int gone =
        m_con.exec(QStringLiteral("DELETE FROM %1 WHERE _rowid_ = ?").arg(m_table), {m_rowids.at(m_cur)});
    if (gone != 1) fail(QStringLiteral("%1: 当前记录已被删除。").arg(m_name));
    // Other record sets may show the row; this one knows it is gone.
    m_generation = m_con.generation();
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
    const bool ident = !table.isEmpty() && isAsciiIdentStart(table.front()) &&
                       std::all_of(table.begin(), table.end(), isAsciiIdentChar);
    if (!ident) fail(QStringLiteral("表名“%1”不对。").arg(table));
    m_tableName = table;
    setSql(QStringLiteral("SELECT * FROM %1").arg(table));
}

void Table::openForAppend() {
    setSql(QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(m_tableName));
    open();
}

}  // namespace kovu
