#include "platform/Paths.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

namespace kovu {

namespace {

const QString kDescriptorFolder = QStringLiteral("/proc/self/fd/");

// The target of the link path, as the system gives it, or nothing.
QByteArray readLink(const QByteArray& path) {
    char target[PATH_MAX];
    const ssize_t n = ::readlink(path.constData(), target, sizeof target);
    return n > 0 ? QByteArray(target, int(n)) : QByteArray();
}

// The length of the descriptor's folder at the start of path ("/proc/self/fd/7"), or 0.
qsizetype descriptorPrefix(const QString& path) {
    if (!path.startsWith(kDescriptorFolder)) return 0;
    qsizetype i = kDescriptorFolder.size();
    while (i < path.size() && path.at(i).isDigit()) ++i;
    if (i == kDescriptorFolder.size() || (i < path.size() && path.at(i) != '/')) return 0;
    return i;
}

}  // namespace

QString folderOfProgram(const QByteArray& exeFile) {
    const qsizetype slash = exeFile.lastIndexOf('/');
    const QByteArray folder = slash > 0 ? exeFile.left(slash) : QByteArray(slash == 0 ? "/" : ".");
    const QString name = QFile::decodeName(folder);
    if (QFile::encodeName(name) == folder) return name;
    // Kept open for the whole run: every path below it stands for the folder itself.
    const int fd = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return name;
    return kDescriptorFolder + QString::number(fd);
}

QString programFolder() {
    const QByteArray exe = readLink("/proc/self/exe");
    return exe.isEmpty() ? QDir::currentPath() : folderOfProgram(exe);
}

bool reachedThroughDescriptor(const QString& path) { return descriptorPrefix(path) > 0; }

QString shownPath(const QString& path) {
    const qsizetype prefix = descriptorPrefix(path);
    if (prefix == 0) return QDir::toNativeSeparators(path);
    const QByteArray folder = readLink(QFile::encodeName(path.left(prefix)));
    if (folder.isEmpty()) return QDir::toNativeSeparators(path);
    return QDir::toNativeSeparators(QString::fromUtf8(folder) + path.mid(prefix));
}

QString linkedFile(const QString& path) {
    QString file = path;
    // As many links as the system itself follows before it gives up.
    for (int i = 0; i < 40; ++i) {
        const QByteArray bytes = QFile::encodeName(file);
        struct stat st {};
        if (::lstat(bytes.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) return file;
        const QString target = QFile::decodeName(readLink(bytes));
        if (target.isEmpty()) return file;
        if (target.startsWith('/')) {
            file = target;
        } else {
            const qsizetype slash = file.lastIndexOf('/');
            file = (slash >= 0 ? file.left(slash + 1) : QString()) + target;
        }
    }
    return file;
}

}  // namespace kovu
