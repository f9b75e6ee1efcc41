#include "data/PageKeyCache.h"

#include <sys/stat.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>

namespace kovu {

namespace {

// Files opened by this user recently enough to keep: a family has one, a teacher a few copies.
constexpr int kRememberedKeys = 16;

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

// The entries of the file, the latest first; lines that are no entries are passed over.
QList<Entry> readEntries(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return {};
    // A cache of a few lines; anything much larger is not one of ours.
    const QByteArray all = f.read(64 * 1024);
    QList<Entry> out;
    for (const QByteArray& line : all.split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 2 && parts.at(0).size() == 2 * 32) out.append({parts.at(0), parts.at(1)});
    }
    return out;
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
    const QByteArray id = entryFor(salt, passphrase);
    for (const Entry& e : readEntries(file))
        if (e.id == id) return QByteArray::fromHex(e.key);
    return {};
}

void rememberPageKey(const QByteArray& salt, const QByteArray& passphrase, const QByteArray& key) {
    const QString file = pageKeyCacheFile();
    if (file.isEmpty() || key.isEmpty()) return;
    const QString folder = QFileInfo(file).absolutePath();
    if (!QDir().mkpath(folder)) return;
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    const QByteArray id = entryFor(salt, passphrase);
    QByteArray out = id + ' ' + key.toHex() + '\n';
    int kept = 1;
    for (const Entry& e : readEntries(file)) {
        if (kept == kRememberedKeys) break;
        // The older entries but this file's.
        if (e.id == id) continue;
        out += e.id + ' ' + e.key + '\n';
        ++kept;
    }
    // Written whole or not at all (unbuffered, so that a failing write is seen here and the old
    // file stays), readable by the user alone.
    QSaveFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return;
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (f.write(out) != out.size()) {
        f.cancelWriting();
        return;
    }
    f.commit();
}

}  // namespace kovu
