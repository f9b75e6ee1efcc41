#include "data/KeyDerivation.h"

// SHA1_Transform runs one compression on the library's fastest code (SHA extensions where the
// processor has them); the round loop below needs nothing else.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/sha.h>

#include <cstring>
#include <system_error>
#include <thread>
#include <vector>

namespace kovu {

namespace {

void putBigEndian(quint32 v, unsigned char* p) {
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}

void putState(const SHA_CTX& c, unsigned char* out) {
    putBigEndian(c.h0, out);
    putBigEndian(c.h1, out + 4);
    putBigEndian(c.h2, out + 8);
    putBigEndian(c.h3, out + 12);
    putBigEndian(c.h4, out + 16);
}

// HMAC-SHA1 with the inner and outer pad already hashed once, so a round costs two compressions.
struct Hmac {
    SHA_CTX inner;
    SHA_CTX outer;

    explicit Hmac(const QByteArray& key) {
        unsigned char k[SHA_CBLOCK] = {};
        if (key.size() > SHA_CBLOCK)
            SHA1(reinterpret_cast<const unsigned char*>(key.constData()), key.size(), k);
        else
            std::memcpy(k, key.constData(), key.size());
        unsigned char pad[SHA_CBLOCK];
        for (int i = 0; i < SHA_CBLOCK; ++i) pad[i] = k[i] ^ 0x36;
        SHA1_Init(&inner);
        SHA1_Update(&inner, pad, SHA_CBLOCK);
        for (int i = 0; i < SHA_CBLOCK; ++i) pad[i] = k[i] ^ 0x5c;
        SHA1_Init(&outer);
        SHA1_Update(&outer, pad, SHA_CBLOCK);
    }

    void mac(const unsigned char* data, size_t size, unsigned char out[SHA_DIGEST_LENGTH]) const {
        SHA_CTX c = inner;
        SHA1_Update(&c, data, size);
        SHA1_Final(out, &c);
        c = outer;
        SHA1_Update(&c, out, SHA_DIGEST_LENGTH);
        SHA1_Final(out, &c);
    }
};

// Block number index (from 1) of the derived key.
void deriveBlock(const Hmac& h, const QByteArray& salt, int rounds, quint32 index, unsigned char* out) {
    std::vector<unsigned char> first(salt.size() + 4);
    std::memcpy(first.data(), salt.constData(), salt.size());
    putBigEndian(index, first.data() + salt.size());
    unsigned char u[SHA_DIGEST_LENGTH];
    h.mac(first.data(), first.size(), u);
    unsigned char sum[SHA_DIGEST_LENGTH];
    std::memcpy(sum, u, sizeof sum);
    // Every later round hashes one 20-byte digest after a 64-byte pad: a single padded block whose
    // length field says 84 bytes (672 bits).
    unsigned char block[SHA_CBLOCK] = {};
    block[SHA_DIGEST_LENGTH] = 0x80;
    block[SHA_CBLOCK - 2] = 0x02;
    block[SHA_CBLOCK - 1] = 0xa0;
    for (int r = 1; r < rounds; ++r) {
        std::memcpy(block, u, SHA_DIGEST_LENGTH);
        SHA_CTX c = h.inner;
        SHA1_Transform(&c, block);
        putState(c, block);
        c = h.outer;
        SHA1_Transform(&c, block);
        putState(c, u);
        for (int i = 0; i < SHA_DIGEST_LENGTH; ++i) sum[i] ^= u[i];
    }
    std::memcpy(out, sum, sizeof sum);
}

}  // namespace

QByteArray derivePageKey(const QByteArray& passphrase, const QByteArray& salt, int rounds, int length) {
    if (length <= 0 || rounds <= 0) return {};
    const Hmac h(passphrase);
    const int blocks = (length + SHA_DIGEST_LENGTH - 1) / SHA_DIGEST_LENGTH;
    std::vector<unsigned char> out(static_cast<size_t>(blocks) * SHA_DIGEST_LENGTH);
    auto derive = [&](int b) { deriveBlock(h, salt, rounds, b + 1, out.data() + b * SHA_DIGEST_LENGTH); };
    std::vector<std::thread> others;
    for (int b = 1; b < blocks; ++b) {
        try {
            others.emplace_back(derive, b);
        } catch (const std::system_error&) {
            derive(b);  // no thread to be had: the same work, only later
        }
    }
    derive(0);
    for (std::thread& t : others) t.join();
    return QByteArray(reinterpret_cast<const char*>(out.data()), length);
}

QByteArray rawKeyText(const QByteArray& key) { return "x'" + key.toHex().toUpper() + "'"; }

}  // namespace kovu
