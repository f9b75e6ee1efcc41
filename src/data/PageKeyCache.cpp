#include "data/PageKeyCache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <atomic>
#include <cerrno>

namespace kovu {

namespace {

// Files opened by this user recently enough to keep: a family has one, a teacher a few copies.
constexpr int kRememberedKeys = 16;
// A cache of a few lines; anything much larger is not one of ours.
constexpr int kLargestCache = 64 * 1024;

// One line per key, the latest first: "<id> <key>", both in hexadecimal; the id of a file and
// passphrase is a SHA-256 of both.
QByteArray entryFor(const QByteArray& salt, const QByteArray& passphrase) {
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData(QByteArrayView("kovu page key\n"));
    h.addData(salt);
    h.addData(passphrase);
    return h.result().toHex();
}

struct Entry {
    QByteArray id;   // entryFor, in hexadecimal
    QByteArray key;  // in hexadecimal
};

// An open descriptor, closed when it goes out of scope.
struct Descriptor {
    int fd = -1;
    explicit Descriptor(int f) : fd(f) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

bool ownedBy(const struct stat& st) { return st.st_uid == ::geteuid(); }

// The cache's folder, opened without following a link, when it is a folder of this user's own;
// -1 otherwise. Made (for this user alone) when create is set and it is missing.
int openCacheFolder(const QString& folder, bool create) {
    const QByteArray path = QFile::encodeName(folder);
    if (create) {
        if (!QDir().mkpath(QFileInfo(folder).absolutePath())) return -1;
        if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) return -1;
    }
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode) || !ownedBy(st)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Whether the cache file in folder may be read and replaced: missing, or a regular file of this
// user's own. A link (to the user's notes, say), a pipe or a file of another user's is left alone,
// and the program goes on without the cache.
bool usableEntry(int folder, const char* name) {
    struct stat st {};
    if (::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
    return S_ISREG(st.st_mode) && ownedBy(st);
}

// The entries of the cache file in folder, the latest first; lines that are no entries are passed
// over. The file is opened without following a link and without waiting (a pipe answers at once),
// and read only when it is a regular file of this user's own.
QList<Entry> readEntries(int folder, const char* name) {
    Descriptor f(::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (f.fd < 0) return {};
    struct stat st {};
    if (::fstat(f.fd, &st) != 0 || !S_ISREG(st.st_mode) || !ownedBy(st)) return {};
    QByteArray all(kLargestCache, '\0');
    qsizetype got = 0;
    while (got < all.size()) {
        const ssize_t n = ::read(f.fd, all.data() + got, all.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += n;
    }
    all.truncate(got);
    QList<Entry> out;
    for (const QByteArray& line : all.split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 2 && parts.at(0).size() == 2 * 32) out.append({parts.at(0), parts.at(1)});
    }
    return out;
}

// Writes all of data to fd; false when any of it was not written.
bool writeAll(int fd, const QByteArray& data) {
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

}  // namespace

QString pageKeyCacheFile() {
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        const QString home = qEnvironmentVariable("HOME");
        if (home.isEmpty() || QDir::isRelativePath(home)) return {};
        base = home + QStringLiteral("/.cache");
    }
    return base + QStringLiteral("/kovu/page-keys");
}

QByteArray rememberedPageKey(const QByteArray& salt, const QByteArray& passphrase) {
    const QString file = pageKeyCacheFile();
    if (file.isEmpty()) return {};
    Descriptor folder(openCacheFolder(QFileInfo(file).absolutePath(), false));
    if (folder.fd < 0) return {};
    const QByteArray name = QFile::encodeName(QFileInfo(file).fileName());
    const QByteArray id = entryFor(salt, passphrase);
    for (const Entry& e : readEntries(folder.fd, name.constData()))
        if (e.id == id) return QByteArray::fromHex(e.key);
    return {};
}

void rememberPageKey(const QByteArray& salt, const QByteArray& passphrase, const QByteArray& key) {
    const QString file = pageKeyCacheFile();
    if (file.isEmpty() || key.isEmpty()) return;
    Descriptor folder(openCacheFolder(QFileInfo(file).absolutePath(), true));
    if (folder.fd < 0) return;
    ::fchmod(folder.fd, 0700);
    const QByteArray name = QFile::encodeName(QFileInfo(file).fileName());
    if (!usableEntry(folder.fd, name.constData())) return;
    const QByteArray id = entryFor(salt, passphrase);
    QByteArray out = id + ' ' + key.toHex() + '\n';
    int kept = 1;
    for (const Entry& e : readEntries(folder.fd, name.constData())) {
        if (kept == kRememberedKeys) break;
        // The older entries but this file's.
        if (e.id == id) continue;
        out += e.id + ' ' + e.key + '\n';
        ++kept;
    }
    // Written whole into a new file of the user's alone, then renamed over the old one, which
    // replaces the name itself and never what a name points to; a failing write leaves the old
    // file as it was.
    static std::atomic<int> serial{0};
    const QByteArray temp =
        name + '.' + QByteArray::number(::getpid()) + '.' + QByteArray::number(serial.fetch_add(1));
    Descriptor f(
        ::openat(folder.fd, temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (f.fd < 0) return;
    const bool written = writeAll(f.fd, out) && ::fdatasync(f.fd) == 0;
    if (!written || ::renameat(folder.fd, temp.constData(), folder.fd, name.constData()) != 0)
        ::unlinkat(folder.fd, temp.constData(), 0);
}

}  // namespace kovu
