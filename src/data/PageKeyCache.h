#pragma once

#include <QByteArray>
#include <QString>

namespace kovu {

// The page keys this user's copies of the program derived before, so that a later start opens
// the database without deriving its key again (64 000 rounds, the longest step of a start). An
// entry is found by a hash of the file's salt and the passphrase; the passphrase is in the program
// itself, so a remembered key tells nobody more than the program does. The file is the user's own
// (read and written by the user alone) and only a cache: a missing, unreadable or wrong entry
// means the key is derived as before, and a cache that cannot be written is left as it is. Only a
// regular file of the user's own, in a folder of the user's own, is read or replaced, and neither
// through a link: a link, a pipe or another user's file there means going on without the cache.

// Where the keys are kept: kovu/page-keys in $XDG_CACHE_HOME, or in ~/.cache; empty where neither
// is known.
QString pageKeyCacheFile();

// The key remembered for salt and passphrase, or empty.
QByteArray rememberedPageKey(const QByteArray& salt, const QByteArray& passphrase);

// Remembers key for salt and passphrase (the latest few files are kept). Failing to write the
// file is not an error.
void rememberPageKey(const QByteArray& salt, const QByteArray& passphrase, const QByteArray& key);

}  // namespace kovu
