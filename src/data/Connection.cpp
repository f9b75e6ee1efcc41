#include "data/Connection.h"

#include <sqlcipher/sqlite3.h>

#include <QByteArray>
#include <QDateTime>
#include <QFile>

#include "platform/Errors.h"

namespace kovu {

Connection::~Connection() { close(); }

void Connection::open(const QString& file, const QString& key) {
    close();
    m_file = file;
    m_key = key;
    if (!QFile::exists(file)) fail(QStringLiteral("数据库文件 %1 不存在。").arg(file));
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        QString msg = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("cannot open");
        if (db) sqlite3_close(db);
        fail(QStringLiteral("数据库不能打开：%1").arg(msg));
    }
    // Another program may be closing the same file (and folding its log back) just now.
    sqlite3_busy_timeout(db, 2000);
    const QByteArray k = key.toUtf8();
    sqlite3_key(db, k.constData(), k.size());
    // The key is only tried by the first statement that reads the file.
    char* err = nullptr;
    rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        QString msg = err ? QString::fromUtf8(err) : QString::number(rc);
        sqlite3_free(err);
        sqlite3_close(db);
        fail(QStringLiteral("数据库不能打开：%1").arg(msg));
    }
    // Write-ahead logging: a commit costs one sync of the log instead of the journal, the file and
    // the folder, and a commit that reached the log survives a crash.
    sqlite3_exec(db, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr);
    m_db = db;
    m_depth = 0;
}

void Connection::close() {
    if (!m_db) return;
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_depth = 0;
}

sqlite3* Connection::handle() {
    if (!m_db) {
        if (m_file.isEmpty()) fail(QStringLiteral("数据库连接没有打开。"));
        open(m_file, m_key);
    }
    return m_db;
}

void Connection::raiseError(const QString& what) {
    const QString msg = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
    fail(QStringLiteral("%1\n%2").arg(what, msg));
}

void bindValues(sqlite3_stmt* st, const QVariantList& binds) {
    for (int i = 0; i < binds.size(); ++i) {
        const QVariant& v = binds.at(i);
        const int idx = i + 1;
        if (!v.isValid() || v.isNull()) {
            sqlite3_bind_null(st, idx);
            continue;
        }
        switch (v.metaType().id()) {
            case QMetaType::Bool: sqlite3_bind_int(st, idx, v.toBool() ? 1 : 0); break;
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::LongLong:
            case QMetaType::ULongLong:
            case QMetaType::Short:
            case QMetaType::Long: sqlite3_bind_int64(st, idx, v.toLongLong()); break;
            case QMetaType::Double:
            case QMetaType::Float: sqlite3_bind_double(st, idx, v.toDouble()); break;
            case QMetaType::QByteArray: {
                const QByteArray b = v.toByteArray();
                sqlite3_bind_blob(st, idx, b.constData(), b.size(), SQLITE_TRANSIENT);
                break;
            }
            case QMetaType::QDateTime: {
                const QByteArray t = v.toDateTime().toString("yyyy-MM-dd hh:mm:ss").toUtf8();
                sqlite3_bind_text(st, idx, t.constData(), t.size(), SQLITE_TRANSIENT);
                break;
            }
            default: {
                const QByteArray t = v.toString().toUtf8();
                sqlite3_bind_text(st, idx, t.constData(), t.size(), SQLITE_TRANSIENT);
                break;
            }
        }
    }
}

QVariant columnValue(sqlite3_stmt* st, int i) {
    const int type = sqlite3_column_type(st, i);
    if (type == SQLITE_NULL) return QVariant();
    const char* decl = sqlite3_column_decltype(st, i);
    const QByteArray d = decl ? QByteArray(decl).toUpper() : QByteArray();
    if (d.startsWith("BOOL")) return QVariant(sqlite3_column_int64(st, i) != 0);
    if (d.startsWith("DATETIME")) {
        const QString t = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)));
        return QVariant(QDateTime::fromString(t, "yyyy-MM-dd hh:mm:ss"));
    }
    switch (type) {
        case SQLITE_INTEGER: return QVariant(static_cast<qlonglong>(sqlite3_column_int64(st, i)));
        case SQLITE_FLOAT: return QVariant(sqlite3_column_double(st, i));
        case SQLITE_BLOB: {
            const void* p = sqlite3_column_blob(st, i);
            const int n = sqlite3_column_bytes(st, i);
            return QVariant(QByteArray(static_cast<const char*>(p), n));
        }
        default: {
            const char* p = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
            const int n = sqlite3_column_bytes(st, i);
            return QVariant(QString::fromUtf8(p, n));
        }
    }
}

sqlite3_stmt* Connection::prepare(const QString& sql, const QVariantList& binds) {
    sqlite3* db = handle();
    sqlite3_stmt* st = nullptr;
    const QByteArray s = sql.toUtf8();
    if (sqlite3_prepare_v2(db, s.constData(), s.size(), &st, nullptr) != SQLITE_OK) {
        const QString msg = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(st);
        fail(QStringLiteral("SQL 语句错误：%1\n%2").arg(msg, sql));
    }
    if (sqlite3_bind_parameter_count(st) != binds.size()) {
        sqlite3_finalize(st);
        fail(QStringLiteral("SQL 语句的参数个数不对：%1").arg(sql));
    }
    bindValues(st, binds);
    return st;
}

int Connection::exec(const QString& sql, const QVariantList& binds) {
    sqlite3_stmt* st = prepare(sql, binds);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
        const QString msg = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_finalize(st);
        fail(QStringLiteral("数据库操作失败：%1\n%2").arg(msg, sql));
    }
    sqlite3_finalize(st);
    return sqlite3_changes(m_db);
}

QVariant Connection::scalar(const QString& sql, const QVariantList& binds) {
    sqlite3_stmt* st = prepare(sql, binds);
    QVariant out;
    const int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) {
        out = columnValue(st, 0);
    } else if (rc != SQLITE_DONE) {
        const QString msg = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_finalize(st);
        fail(QStringLiteral("数据库操作失败：%1\n%2").arg(msg, sql));
    }
    sqlite3_finalize(st);
    return out;
}

void Connection::begin() {
    if (m_depth == 0) exec("BEGIN");
    else exec(QStringLiteral("SAVEPOINT kovu_%1").arg(m_depth));
    ++m_depth;
}

void Connection::commit() {
    if (m_depth <= 0) return;
    --m_depth;
    if (m_depth == 0) exec("COMMIT");
    else exec(QStringLiteral("RELEASE kovu_%1").arg(m_depth));
}

void Connection::rollback() {
    if (m_depth <= 0) return;
    --m_depth;
    if (m_depth == 0) {
        exec("ROLLBACK");
    } else {
        exec(QStringLiteral("ROLLBACK TO kovu_%1").arg(m_depth));
        exec(QStringLiteral("RELEASE kovu_%1").arg(m_depth));
    }
}

}  // namespace kovu
