#pragma once

#include <QByteArray>

namespace kovu {

// The page key that the encrypted database derives from its passphrase: PBKDF2-HMAC-SHA1 with the
// salt in the file's first 16 bytes, 64 000 rounds, 32 bytes. Opening with this key given raw skips
// the library's own derivation, which takes four times as long on one core; the file and its
// passphrase stay as they are, so any other program opens it with the passphrase as before.
inline constexpr int kPageKeyRounds = 64000;
inline constexpr int kPageKeyLength = 32;
inline constexpr int kPageKeySaltLength = 16;

// Where the 20-byte blocks of a key are derived: Many puts all but the last on threads of their own
// (the key is ready soonest); One derives them on the calling thread alone (two side by side where
// the processor has SHA instructions), for a caller that is itself a worker beside a busy main
// thread.
enum class KeyThreads { One, Many };

// PBKDF2-HMAC-SHA1 of passphrase and salt. Its blocks are independent of one another.
QByteArray derivePageKey(const QByteArray& passphrase, const QByteArray& salt, int rounds = kPageKeyRounds,
                         int length = kPageKeyLength, KeyThreads threads = KeyThreads::Many);

// The key as the database takes it raw: x'…' with the key in hexadecimal.
QByteArray rawKeyText(const QByteArray& key);

}  // namespace kovu
