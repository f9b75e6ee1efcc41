#include "tools/Compaction.h"

#include <fcntl.h>
#include <sqlcipher/sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Platform.h"

namespace kovu {

namespace {

struct CompactionFailure {
    QString what;
};

[[noreturn]] void failWith(const QString& what) { throw CompactionFailure{what}; }

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

// One SQLite handle of the compaction, closed when it goes out of scope.
class Handle {
public:
    Handle() = default;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { close(); }

    void open(const QString& file, const QByteArray& key, int flags) {
        close();
        if (sqlite3_open_v2(QFile::encodeName(file).constData(), &m_db, flags, nullptr) != SQLITE_OK)
            raise(QStringLiteral("不能打开 %1").arg(file));
        sqlite3_busy_timeout(m_db, 1000);
        sqlite3_key(m_db, key.constData(), key.size());
        // A wrong key or a file that is no database shows at the first statement that reads it.
        exec("SELECT count(*) FROM sqlite_master");
    }

    void close() {
        if (m_db) sqlite3_close_v2(m_db);
        m_db = nullptr;
    }

    sqlite3* get() const { return m_db; }

    sqlite3_stmt* prepare(const QString& sql, const QVariantList& binds = {}) {
        sqlite3_stmt* st = nullptr;
        const QByteArray s = sql.toUtf8();
        if (sqlite3_prepare_v2(m_db, s.constData(), s.size(), &st, nullptr) != SQLITE_OK) {
            sqlite3_finalize(st);
            raise(sql);
        }
        bindValues(st, binds);
        return st;
    }

    void exec(const QString& sql, const QVariantList& binds = {}) {
        sqlite3_stmt* st = prepare(sql, binds);
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        }
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE) raise(sql);
    }

    // The first column of every row.
    QVariantList column(const QString& sql) {
        sqlite3_stmt* st = prepare(sql);
        QVariantList out;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) out << columnValue(st, 0);
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE) raise(sql);
        return out;
    }

    QVariant scalar(const QString& sql) {
        const QVariantList rows = column(sql);
        return rows.isEmpty() ? QVariant() : rows.first();
    }

    [[noreturn]] void raise(const QString& what) {
        const QString msg = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
        failWith(QStringLiteral("%1：%2").arg(what, msg));
    }

private:
    sqlite3* m_db = nullptr;
};

QString quotedName(const QString& name) { return '"' + QString(name).replace('"', "\"\"") + '"'; }

void removeIfPresent(const QString& file) {
    const QByteArray f = QFile::encodeName(file);
    if (::unlink(f.constData()) != 0 && errno != ENOENT)
        failWith(QStringLiteral("不能删除 %1：%2").arg(file, systemError()));
}

void syncPath(const QString& path, bool folder) {
    const int fd = ::open(QFile::encodeName(path).constData(), folder ? (O_RDONLY | O_DIRECTORY) : O_RDONLY);
    if (fd < 0) failWith(QStringLiteral("不能打开 %1：%2").arg(path, systemError()));
    const int rc = ::fsync(fd);
    const int saved = errno;
    ::close(fd);
    errno = saved;
    if (rc != 0) failWith(QStringLiteral("不能写入 %1：%2").arg(path, systemError()));
}

const char* const kLogSuffixes[] = {"-journal", "-wal", "-shm"};

struct ProgressContext {
    const std::function<void(CompactStep)>* observer;
};

int exportProgress(void* p) {
    const auto* ctx = static_cast<const ProgressContext*>(p);
    (*ctx->observer)(CompactStep::Exporting);
    return 0;
}

}  // namespace

CompactionResult compactDatabaseFile(const QString& dbLink, const QString& tempName, const QByteArray& key,
                                     const std::function<void(CompactStep)>& observer) {
    CompactionResult r;
    // A database kept elsewhere (on a USB stick, in a synced folder) behind a link is compacted
    // where it is, beside itself; the link stays and still names it.
    const QString dbFile = linkedFile(dbLink);
    const QString tempFile =
        dbFile == dbLink ? tempName : QFileInfo(dbFile).absolutePath() + '/' + QFileInfo(tempName).fileName();
    auto notify = [&observer](CompactStep s) {
        if (observer) observer(s);
    };
    Handle src;
    bool renamed = false;
    try {
        // A copy left by an earlier run that did not finish, with any log of it.
        removeIfPresent(tempFile);
        for (const char* s : kLogSuffixes) removeIfPresent(tempFile + s);
        if (!QFileInfo(dbFile).isFile()) failWith(QStringLiteral("数据库文件 %1 不存在。").arg(dbFile));

        src.open(dbFile, key, SQLITE_OPEN_READWRITE);
        // Leaving the write-ahead log folds it into the file and needs every other connection
        // closed: a second program that holds the database open makes this fail.
        const QString mode = src.scalar("PRAGMA journal_mode = DELETE").toString();
        if (mode.compare("delete", Qt::CaseInsensitive) != 0)
            failWith(QStringLiteral("数据库正被另一个程序使用。"));
        // Hold the file alone until the copy has taken its place.
        src.exec("PRAGMA locking_mode = EXCLUSIVE");
        src.exec("BEGIN EXCLUSIVE");
        src.exec("COMMIT");
        // A damaged page of the file would reach the copy as it reads (a page of zeros passes as
        // empty data): a file that is not sound is not compacted, and it stays as it is.
        const QString sound = src.scalar("PRAGMA integrity_check").toString();
        if (sound != "ok") failWith(QStringLiteral("数据库文件 %1 有错误：%2").arg(shownPath(dbFile), sound));
        r.sizeBefore = QFileInfo(dbFile).size();
        struct stat st {};
        const bool haveMode = ::stat(QFile::encodeName(dbFile).constData(), &st) == 0;

        const QVariantList tables = src.column(
            "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'");
        std::vector<qlonglong> counts;
        for (const QVariant& t : tables)
            counts.push_back(src.scalar("SELECT count(*) FROM " + quotedName(t.toString())).toLongLong());
        const qlonglong userVersion = src.scalar("PRAGMA user_version").toLongLong();
        notify(CompactStep::BeforeCopy);

        // The compacted, encrypted copy: written without a journal (a copy that breaks off is thrown
        // away) and synced once it is complete.
        // The copy starts as an empty file: the connection may open files but never makes one, so
        // that a missing database is never created in its place.
        {
            QFile empty(tempFile);
            if (!empty.open(QIODevice::NewOnly))
                failWith(QStringLiteral("不能建立 %1：%2").arg(tempFile, empty.errorString()));
        }
        src.exec("ATTACH DATABASE ? AS ls KEY ?", {tempFile, QString::fromUtf8(key)});
        src.exec("PRAGMA ls.journal_mode = OFF");
        src.exec("PRAGMA ls.synchronous = OFF");
        ProgressContext progress{&observer};
        if (observer) sqlite3_progress_handler(src.get(), 1000, exportProgress, &progress);
        src.exec("SELECT sqlcipher_export('ls')");
        sqlite3_progress_handler(src.get(), 0, nullptr, nullptr);
        src.exec(QStringLiteral("PRAGMA ls.user_version = %1").arg(userVersion));
        src.exec("DETACH DATABASE ls");

        // The copy must open with the key, be sound and hold every row.
        {
            Handle copy;
            copy.open(tempFile, key, SQLITE_OPEN_READONLY);
            const QString check = copy.scalar("PRAGMA integrity_check").toString();
            if (check != "ok") failWith(QStringLiteral("压缩后的数据库有错误：%1").arg(check));
            for (int i = 0; i < tables.size(); ++i) {
                const QString t = tables.at(i).toString();
                if (copy.scalar("SELECT count(*) FROM " + quotedName(t)).toLongLong() != counts[i])
                    failWith(QStringLiteral("压缩后的数据表 %1 少了记录。").arg(t));
            }
        }
        if (haveMode) ::chmod(QFile::encodeName(tempFile).constData(), st.st_mode & 07777);
        syncPath(tempFile, false);
        notify(CompactStep::Checked);

        // No log of the old file may be replayed onto the new one (nor one kept beside its link).
        for (const char* s : kLogSuffixes) {
            removeIfPresent(dbFile + s);
            if (dbLink != dbFile) removeIfPresent(dbLink + s);
        }
        notify(CompactStep::BeforeRename);
        src.close();
        if (::rename(QFile::encodeName(tempFile).constData(), QFile::encodeName(dbFile).constData()) != 0)
            failWith(QStringLiteral("%1 不能改名为 %2：%3").arg(tempFile, dbFile, systemError()));
        renamed = true;
        // The new name is lasting once the folder is synced; the file itself already is.
        try {
            syncPath(QFileInfo(dbFile).absolutePath(), true);
        } catch (const CompactionFailure&) {
        }
        notify(CompactStep::Renamed);
        r.sizeAfter = QFileInfo(dbFile).size();
        r.ok = true;
    } catch (const CompactionFailure& f) {
        r.error = f.what;
    } catch (const std::exception& e) {
        r.error = QString::fromLocal8Bit(e.what());
    }
    if (!r.ok) {
        src.close();
        if (!renamed) {
            QFile::remove(tempFile);
            for (const char* s : kLogSuffixes) QFile::remove(tempFile + s);
        }
    }
    return r;
}

QString kilobytesText(qint64 bytes) { return QString::number(static_cast<double>(bytes) / 1024.0, 'g', 15); }

QString compactionDoneText(qint64 sizeBefore, qint64 sizeAfter) {
    return QStringLiteral("数据库压缩已经完成！按任意键继续。\n\n原容量为：") + kilobytesText(sizeBefore) +
           QStringLiteral("KB 压缩后为：") + kilobytesText(sizeAfter) + QStringLiteral("KB");
}

void spbYsClick(FormContext& ctx, const std::function<void(CompactStep)>& observer) {
    DataObjects& db = ctx.db;
    // Closing the connection closes every query on it; they stay closed until their screen opens
    // them again, and the next statement reopens the connection.
    db.aquSb.close();
    db.aquTp.close();
    db.aquFz.close();
    db.tabCj.close();
    db.con1.close();
    const QString folder = ctx.state.ExeFolder;
    CompactionResult r;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Let the hourglass reach the screen before the window blocks; clicks wait until it is done.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    try {
        r = compactDatabaseFile(folder + kDatabaseFileName, folder + kCompactionTempName,
                                QByteArray(kDatabasePassword), observer);
    } catch (...) {
        QApplication::restoreOverrideCursor();
        throw;
    }
    QApplication::restoreOverrideCursor();
    Dialogs& dlg = ctx.platform.dialogs();
    if (!r.ok) {
        // The reason follows, so that a parent can see what to mend.
        dlg.message(QStringLiteral("操作提示"), kCompactionFailedText + QStringLiteral("\n\n") + r.error,
                    MsgIcon::Information);
        return;
    }
    dlg.message(QStringLiteral("操作提示"), compactionDoneText(r.sizeBefore, r.sizeAfter),
                MsgIcon::Information);
}

}  // namespace kovu
