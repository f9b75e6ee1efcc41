#include "data/Connection.h"

#include <limits.h>
#include <sqlcipher/sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <exception>
#include <future>
#include <mutex>

#include "data/KeyDerivation.h"
#include "data/PageKeyCache.h"
#include "data/Upgrade.h"
#include "platform/Errors.h"
#include "platform/Paths.h"

namespace kovu {

Connection::~Connection() { close(); }

namespace {

bool writable(const QByteArray& path) { return ::access(path.constData(), W_OK) == 0; }

// What the file to open is: an existing database, or a new file that create() has just made empty.
enum class FileKind { Existing, New };

// Opens and checks the file and switches it to the write-ahead log; raises on every failure and
// then leaves nothing open. Touches no member, so it can run on a worker thread.
sqlite3* openHandle(const QString& file, const QString& key, KeyThreads threads,
                    FileKind kind = FileKind::Existing);

// The open started by openAhead, until a Connection takes it over.
struct AheadOpen {
    std::mutex lock;
    QString file;
    QString key;
    std::future<sqlite3*> handle;

    // The handle of an open of file with key, or null when none was started for them. Another
    // open that was started is finished and closed.
    std::future<sqlite3*> take(const QString& f, const QString& k) {
        std::lock_guard<std::mutex> g(lock);
        std::future<sqlite3*> out = std::move(handle);
        if (out.valid() && (f != file || k != key)) {
            discard(out);
            out = {};
        }
        return out;
    }
    static void discard(std::future<sqlite3*>& h) {
        try {
            if (sqlite3* db = h.get()) sqlite3_close_v2(db);
        } catch (...) {
        }
    }
    ~AheadOpen() {
        if (handle.valid()) discard(handle);
    }
};

AheadOpen& aheadOpen() {
    static AheadOpen a;
    return a;
}

}  // namespace

void Connection::openAhead(const QString& file, const QString& key) {
    AheadOpen& a = aheadOpen();
    std::lock_guard<std::mutex> g(a.lock);
    if (a.handle.valid()) {
        if (a.file == file && a.key == key) return;
        AheadOpen::discard(a.handle);
    }
    a.file = file;
    a.key = key;
    // The worker derives the key's blocks by itself, so the thread that builds the window keeps a
    // core of its own.
    a.handle = std::async(std::launch::async, [file, key] { return openHandle(file, key, KeyThreads::One); });
}

void Connection::open(const QString& file, const QString& key) {
    close();
    m_file = file;
    m_key = key;
    std::future<sqlite3*> ahead = aheadOpen().take(file, key);
    take(file, key, ahead.valid() ? ahead.get() : openHandle(file, key, KeyThreads::Many));
}

void Connection::create(const QString& file, const QString& key) {
    close();
    {
        QFile f(file);
        if (!f.open(QIODevice::NewOnly))
            fail(QStringLiteral("不能建立数据库文件 %1：%2").arg(file, f.errorString()));
    }
    take(file, key, openHandle(file, key, KeyThreads::Many, FileKind::New));
}

void Connection::take(const QString& file, const QString& key, sqlite3* db) {
    m_file = file;
    m_key = key;
    m_db = db;
    m_depth = 0;
    // The file may not be the one record sets were opened on.
    ++m_generation;
}

namespace {

QString emptyFileText(const QString& shownFile) {
    return QStringLiteral(
               "数据库文件 %1 是空的或已损坏，Kovu 不能使用它。\n\n"
               "请用备份的 kovu.mdb 替换它，然后再启动 Kovu。")
        .arg(shownFile);
}

// The salt in the first bytes of file, or nothing when the file is too short to hold one.
QByteArray fileSalt(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray salt = f.read(kPageKeySaltLength);
    return salt.size() == kPageKeySaltLength ? salt : QByteArray();
}

// How long an open waits for a file that another program holds locked (one that folds its log back
// as it closes, or compacts the file): long enough for a closing program, short enough that a
// file held for longer is reported at once.
constexpr int kBusyWaitMs = 700;

// Why an opened file is not used.
enum class Refusal { None, Busy, Key };

// The file opened with key and read once (the key is only tried by the first read), with the
// number of its tables in *tables; or null with the reason in *why and *refusal when that fails.
sqlite3* keyedHandle(const QString& file, const QByteArray& key, int* tables, QString* why,
                     Refusal* refusal) {
    *refusal = Refusal::Key;
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        *why = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("cannot open");
        if (db) sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, kBusyWaitMs);
    sqlite3_key(db, key.constData(), key.size());
    sqlite3_stmt* st = nullptr;
    rc = sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master WHERE type = 'table'", -1, &st, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) {
        *tables = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
        *refusal = Refusal::None;
        // Later statements wait as long as before for a program that is closing the file.
        sqlite3_busy_timeout(db, 2000);
        return db;
    }
    if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED) *refusal = Refusal::Busy;
    *why = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return nullptr;
}

// Why file cannot be a database before any key is tried: it is missing, a link to nothing, a
// folder or no regular file, or empty (unless it is a new file); empty when none of these.
QString fileProblem(const QString& file, FileKind kind) {
    const QByteArray path = QFile::encodeName(file);
    const QString shown = shownPath(file);
    struct stat st {};
    if (::stat(path.constData(), &st) != 0) {
        const int err = errno;
        struct stat link {};
        if (err == ENOENT && ::lstat(path.constData(), &link) == 0 && S_ISLNK(link.st_mode)) {
            char target[PATH_MAX];
            const ssize_t n = ::readlink(path.constData(), target, sizeof target);
            const QString to = n > 0 ? QFile::decodeName(QByteArray(target, int(n))) : QString();
            return QStringLiteral(
                       "数据库文件 %1 是一个链接，它指向的 %2 不存在。\n\n"
                       "请把 kovu.mdb 放回原处（例如插上存放它的 U 盘），然后再启动 Kovu。")
                .arg(shown, to);
        }
        if (err == ENOENT) return QStringLiteral("数据库文件 %1 不存在。").arg(shown);
        return QStringLiteral("数据库文件 %1 不能打开：%2")
            .arg(shown, QString::fromLocal8Bit(std::strerror(err)));
    }
    if (S_ISDIR(st.st_mode))
        return QStringLiteral(
                   "%1 是一个文件夹，不是数据库文件。\n\n请把 Kovu 的数据库文件 kovu.mdb 放在这里，"
                   "然后再启动 Kovu。")
            .arg(shown);
    if (!S_ISREG(st.st_mode)) return QStringLiteral("%1 不是一个普通文件，不是数据库文件。").arg(shown);
    if (st.st_size == 0 && kind == FileKind::Existing) return emptyFileText(shown);
    return {};
}

sqlite3* openHandle(const QString& file, const QString& key, KeyThreads threads, FileKind kind) {
    const QString problem = fileProblem(file, kind);
    if (!problem.isEmpty()) throw OpenError(problem);
    // Every score and setting is written at once, and the log of a write lies beside the file: a
    // file or folder that cannot be written would fail at the first answer, so it is refused here
    // with its cause.
    const QString folder = QFileInfo(file).absolutePath();
    if (!writable(QFile::encodeName(folder)))
        throw ReadOnlyError(QStringLiteral("文件夹 %1 不能写入（只读），Kovu 不能在那里保存成绩和设置。\n\n"
                                           "请把 Kovu 放在可以写入的文件夹里，或者取消这个文件夹的只读属性，"
                                           "然后再启动 Kovu。")
                                .arg(shownPath(folder)));
    if (!writable(QFile::encodeName(file)))
        throw ReadOnlyError(QStringLiteral("数据库文件 %1 是只读的，Kovu 不能保存成绩和设置。\n\n"
                                           "请取消这个文件的只读属性，然后再启动 Kovu。")
                                .arg(shownPath(file)));
    // The raw key first: the one remembered from an earlier open of this file, or else derived
    // here (and remembered). The passphrase when that does not open the file (one written with
    // other key settings, or a plain file), and for the message when nothing does. A file that
    // another program holds locked is reported as such at the first try: no other key would read it.
    QString why;
    Refusal refusal = Refusal::Key;
    int tables = 0;
    sqlite3* db = nullptr;
    const QByteArray passphrase = key.toUtf8();
    const QByteArray salt = key.isEmpty() ? QByteArray() : fileSalt(file);
    QByteArray derived;
    if (!salt.isEmpty()) {
        const QByteArray remembered = rememberedPageKey(salt, passphrase);
        if (!remembered.isEmpty()) db = keyedHandle(file, rawKeyText(remembered), &tables, &why, &refusal);
        if (!db && refusal != Refusal::Busy) {
            derived = derivePageKey(passphrase, salt, kPageKeyRounds, kPageKeyLength, threads);
            db = keyedHandle(file, rawKeyText(derived), &tables, &why, &refusal);
            if (!db) derived.clear();
        }
    }
    if (!db && refusal != Refusal::Busy) db = keyedHandle(file, passphrase, &tables, &why, &refusal);
    if (refusal == Refusal::Busy)
        throw OpenError(QStringLiteral("数据库文件 %1 正被另一个 Kovu 使用，现在不能打开。\n\n"
                                       "请等另一个 Kovu 压缩完数据库或者关闭它，然后再启动 Kovu。")
                            .arg(shownPath(file)));
    if (!db) throw WrongKeyError(QStringLiteral("数据库不能打开：%1").arg(why));
    // A file without tables (one that was empty) is no practice database; it is left as it is,
    // with nothing written into it.
    if (tables == 0 && kind == FileKind::Existing) {
        sqlite3_close(db);
        throw OpenError(emptyFileText(shownPath(file)));
    }
    if (!derived.isEmpty()) rememberPageKey(salt, passphrase, derived);
    // A file that a later program wrote is refused before anything (the log mode included) is
    // written to it.
    if (kind == FileKind::Existing) {
        sqlite3_stmt* vs = nullptr;
        int version = 0;
        if (sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &vs, nullptr) == SQLITE_OK &&
            sqlite3_step(vs) == SQLITE_ROW)
            version = sqlite3_column_int(vs, 0);
        sqlite3_finalize(vs);
        if (version > kSchemaVersion) {
            sqlite3_close(db);
            throw NewerFileError(newerFileText(shownPath(file), version));
        }
    }
    // While the program runs, the write-ahead log: a commit costs one sync of the log instead of
    // the journal, the file and the folder, and a commit that reached the log survives a crash.
    // close() folds the log back, so the file at rest stands alone.
    sqlite3_exec(db, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr);
    // The log and its index are created and mapped by the first read after the switch: done here,
    // so that waiting on the file system for them (new files, the index's pages) falls to this
    // thread and not to the first statement of whoever takes the handle.
    sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    return db;
}

}  // namespace

void Connection::close() {
    if (!m_db) return;
    // Back to a rollback journal: the log is folded into the file and removed, and the file's header
    // no longer asks for a log, so a copy of kovu.mdb alone is complete. Another program that still
    // has the file open keeps the log; the last one to close folds it. Not waiting for it keeps the
    // close quick.
    sqlite3_busy_timeout(m_db, 0);
    if (!sqlite3_get_autocommit(m_db)) sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_exec(m_db, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr);
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
            case QMetaType::Bool:
                sqlite3_bind_int(st, idx, v.toBool() ? 1 : 0);
                break;
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::LongLong:
            case QMetaType::ULongLong:
            case QMetaType::Short:
            case QMetaType::Long:
                sqlite3_bind_int64(st, idx, v.toLongLong());
                break;
            case QMetaType::Double:
            case QMetaType::Float:
                sqlite3_bind_double(st, idx, v.toDouble());
                break;
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
        case SQLITE_INTEGER:
            return QVariant(static_cast<qlonglong>(sqlite3_column_int64(st, i)));
        case SQLITE_FLOAT:
            return QVariant(sqlite3_column_double(st, i));
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
    const int changes = sqlite3_changes(m_db);
    if (changes > 0 && sql.trimmed().startsWith(QStringLiteral("DELETE"), Qt::CaseInsensitive))
        ++m_generation;
    return changes;
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

int Connection::transactionDepth() {
    // SQLite ends a transaction by itself after some errors (a full disk, an interrupted write).
    if (m_db && sqlite3_get_autocommit(m_db)) m_depth = 0;
    if (!m_db) m_depth = 0;
    return m_depth;
}

bool Connection::inTransaction() { return transactionDepth() > 0; }

void Connection::begin() {
    if (transactionDepth() == 0)
        exec("BEGIN IMMEDIATE");
    else
        exec(QStringLiteral("SAVEPOINT kovu_%1").arg(m_depth));
    ++m_depth;
}

void Connection::commit() {
    const int counted = m_depth;
    if (transactionDepth() == 0) {
        // A transaction that SQLite rolled back by itself cannot be committed: its changes are gone.
        if (counted > 0) fail(QStringLiteral("数据库操作失败：事务已被撤消，修改没有保存。"));
        return;
    }
    if (m_depth == 1) {
        try {
            exec("COMMIT");
        } catch (...) {
            // A COMMIT that fails (a deferred check, a busy file) may leave the transaction open; it
            // stays counted, so the rollback that follows really ends it.
            transactionDepth();
            throw;
        }
        m_depth = 0;
    } else {
        exec(QStringLiteral("RELEASE kovu_%1").arg(m_depth - 1));
        --m_depth;
    }
}

void Connection::rollback() {
    if (transactionDepth() == 0) return;
    if (m_depth == 1) {
        try {
            exec("ROLLBACK");
        } catch (...) {
            transactionDepth();
            throw;
        }
        m_depth = 0;
    } else {
        exec(QStringLiteral("ROLLBACK TO kovu_%1").arg(m_depth - 1));
        exec(QStringLiteral("RELEASE kovu_%1").arg(m_depth - 1));
        --m_depth;
    }
}

}  // namespace kovu
