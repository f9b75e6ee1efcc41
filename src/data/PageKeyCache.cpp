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

// One line per key, the latest first: "<entry> <key>", both in hexadecimal.
QByteArray entryFor(const QByteArray& salt, const QByteArray& passphrase) {
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData(QByteArrayView("kovu page key\n"));
    h.addData(salt);
    h.addData(passphrase);
    return h.result().toHex();
}

QList<QByteArray> readLines(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return {};
    // A cache of a few lines; anything much larger is not one of ours.
    const QByteArray all = f.read(64 * 1024);
    QList<QByteArray> out;
    for (const QByteArray& line : all.split('\n'))
        if (!line.isEmpty()) out.append(line);
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
    const QByteArray entry = entryFor(salt, passphrase);
    for (const QByteArray& line : readLines(file)) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 2 && parts.at(0) == entry) return QByteArray::fromHex(parts.at(1));
    }
    return {};
}

void rememberPageKey(const QByteArray& salt, const QByteArray& passphrase, const QByteArray& key) {
    const QString file = pageKeyCacheFile();
    if (file.isEmpty() || key.isEmpty()) return;
    const QString folder = QFileInfo(file).absolutePath();
    if (!QDir().mkpath(folder)) return;
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    const QByteArray entry = entryFor(salt, passphrase);
    QByteArray out = entry + ' ' + key.toHex() + '\n';
    int kept = 1;
    for (const QByteArray& line : readLines(file)) {
        if (kept == kRememberedKeys) break;
        // The older entries but this file's, and nothing that is not an entry.
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() != 2 || parts.at(0).size() != entry.size() || parts.at(0) == entry) continue;
        out += line + '\n';
        ++kept;
    }
    // Written whole or not at all, readable by the user alone.
    QSaveFile f(file);
    if (!f.open(QIODevice::WriteOnly)) return;
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (f.write(out) != out.size()) {
        f.cancelWriting();
        return;
    }
    f.commit();
}

}  // namespace kovu
