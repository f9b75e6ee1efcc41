#include "app/DataFolder.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstring>

#include "platform/Paths.h"

namespace kovu {

namespace {

const QString kDatabase = QStringLiteral("kovu.mdb");

QString systemError(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

bool isRegularFile(const QByteArray& path) {
    struct stat st {};
    return ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

// Writable for the user the program runs as (its effective ids, as a write would be checked).
bool writableFolder(const QByteArray& path) {
    return ::faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) == 0;
}

// Makes folder and every missing folder above it, each readable only by the user (as the XDG
// rules ask for the folders of a user's data). Returns errno, or 0.
int makeFolders(const QByteArray& folder) {
    struct stat st {};
    if (::stat(folder.constData(), &st) == 0) return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    if (errno != ENOENT) return errno;
    const qsizetype slash = folder.lastIndexOf('/');
    if (slash > 0) {
        const int err = makeFolders(folder.left(slash));
        if (err != 0) return err;
    }
    if (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST) return errno;
    return 0;
}

// Writes all of data to fd; errno, or 0.
int writeAll(int fd, const char* data, ssize_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, data, size_t(n));
        if (w < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        data += w;
        n -= w;
    }
    return 0;
}

// Copies the open file in into out and syncs it; errno, or 0.
int copyAndSync(int in, int out) {
    static constexpr ssize_t kChunk = 1 << 20;
    QByteArray buffer(kChunk, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), size_t(kChunk));
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) break;
        if (const int err = writeAll(out, buffer.constData(), n); err != 0) return err;
    }
    return ::fsync(out) == 0 ? 0 : errno;
}

// Puts from at to unless to exists; errno (EEXIST when it does), or 0.
int renameNoReplace(const QByteArray& from, const QByteArray& to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without that rename: a hard link is as atomic and refuses an existing name too.
    if (::link(from.constData(), to.constData()) != 0) return errno;
    ::unlink(from.constData());
    return 0;
}

void syncFolder(const QByteArray& folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

QString userDataFolder() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (!base.startsWith('/')) base = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + '/' + kApplicationId);
}

// What a start killed while it copied left behind: copies older than any copy in progress can be
// (one takes well under a second), so another start copying at this moment keeps its own.
namespace {

void removeStaleCopies(const QString& folder) {
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-600);
    for (const QFileInfo& f : QDir(folder).entryInfoList({QStringLiteral(".kovu.mdb.copy-*")},
                                                         QDir::Files | QDir::Hidden | QDir::System))
        if (f.lastModified().toUTC() < before) QFile::remove(f.filePath());
}

}  // namespace

QString copyDeliveredDatabase(const QString& delivered, const QString& folder) {
    removeStaleCopies(folder);
    const QByteArray target = QFile::encodeName(folder + '/' + kDatabase);
    const int in = ::open(QFile::encodeName(delivered).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return QStringLiteral("%1：%2").arg(shownPath(delivered), systemError(errno));
    QByteArray temp = QFile::encodeName(folder + QStringLiteral("/.kovu.mdb.copy-XXXXXX"));
    const int out = ::mkostemp(temp.data(), O_CLOEXEC);
    if (out < 0) {
        const int err = errno;
        ::close(in);
        return systemError(err);
    }
    int err = copyAndSync(in, out);
    ::close(in);
    if (::close(out) != 0 && err == 0) err = errno;
    if (err == 0) err = renameNoReplace(temp, target);
    if (err == EEXIST) {
        // Another start of the program copied it a moment earlier: that copy is the user's.
        ::unlink(temp.constData());
        return {};
    }
    if (err != 0) {
        ::unlink(temp.constData());
        return systemError(err);
    }
    syncFolder(QFile::encodeName(folder));
    return {};
}

DataPlace resolveDataPlace(const QString& programFolder) {
    DataPlace place;
    place.folder = programFolder;
    place.programFolder = programFolder;
    const QByteArray own = QFile::encodeName(programFolder);
    if (isRegularFile(own + "/" + QFile::encodeName(kDatabase)) && writableFolder(own)) return place;
    const QString delivered = programFolder + '/' + kDeliveredFromProgram;
    if (!isRegularFile(QFile::encodeName(delivered))) return place;

    place.installed = true;
    place.folder = userDataFolder();
    const QByteArray folder = QFile::encodeName(place.folder);
    if (const int err = makeFolders(folder); err != 0) {
        place.error = QStringLiteral(
                          "不能建立文件夹 %1：%2\n\nKovu 在这个文件夹里保存成绩和设置。"
                          "请检查它和它上面的文件夹是否可以写入，然后再启动 Kovu。")
                          .arg(place.folder, systemError(err));
        return place;
    }
    if (!writableFolder(folder)) {
        place.error = QStringLiteral(
                          "文件夹 %1 不能写入（只读），Kovu 不能在那里保存成绩和设置。\n\n"
                          "请取消这个文件夹的只读属性，然后再启动 Kovu。")
                          .arg(place.folder);
        return place;
    }
    if (isRegularFile(folder + "/" + QFile::encodeName(kDatabase))) return place;
    const QString why = copyDeliveredDatabase(delivered, place.folder);
    if (!why.isEmpty())
        place.error = QStringLiteral(
                          "不能把数据库复制到文件夹 %1：%2\n\n"
                          "请检查这个文件夹所在的磁盘是否已满，然后再启动 Kovu。")
                          .arg(place.folder, why);
    return place;
}

}  // namespace kovu
