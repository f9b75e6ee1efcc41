#include "data/KeyDerivation.h"

// SHA1_Transform runs one compression on the library's code; where the processor has SHA
// instructions the round loop below uses them itself, with the state kept in registers.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <cpuid.h>
#include <immintrin.h>
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

// The start of a block's chain: the first round's digest, over the salt and the block number.
void firstRound(const Hmac& h, const QByteArray& salt, quint32 index, unsigned char* digest) {
    std::vector<unsigned char> first(salt.size() + 4);
    std::memcpy(first.data(), salt.constData(), salt.size());
    putBigEndian(index, first.data() + salt.size());
    h.mac(first.data(), first.size(), digest);
}

// Block number index (from 1) of the derived key.
void deriveBlock(const Hmac& h, const QByteArray& salt, int rounds, quint32 index, unsigned char* out) {
    unsigned char u[SHA_DIGEST_LENGTH];
    firstRound(h, salt, index, u);
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

bool haveShaInstructions() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d) || (b & (1u << 29)) == 0) return false;
    // The byte shuffle and lane extraction around them: SSSE3 and SSE4.1.
    return __get_cpuid(1, &a, &b, &c, &d) && (c & (1u << 9)) != 0 && (c & (1u << 19)) != 0;
}

#define KOVU_SHA_TARGET __attribute__((target("sha,sse4.1,ssse3")))

// A SHA-1 state as the instructions hold it: a b c d in one register (a in the top lane), e alone
// in the top lane of another.
struct ShaState {
    __m128i abcd;
    __m128i e;
};

KOVU_SHA_TARGET inline ShaState stateOf(quint32 a, quint32 b, quint32 c, quint32 d, quint32 e) {
    return {_mm_set_epi32(static_cast<int>(a), static_cast<int>(b), static_cast<int>(c), static_cast<int>(d)),
            _mm_set_epi32(static_cast<int>(e), 0, 0, 0)};
}

KOVU_SHA_TARGET inline ShaState stateOf(const unsigned char* digest) {
    auto word = [digest](int i) {
        return quint32(digest[4 * i]) << 24 | quint32(digest[4 * i + 1]) << 16 |
               quint32(digest[4 * i + 2]) << 8 | quint32(digest[4 * i + 3]);
    };
    return stateOf(word(0), word(1), word(2), word(3), word(4));
}

// Rounds 4G to 4G+3, with the message schedule of the groups ahead: words W[t] come from W[t-3],
// W[t-8], W[t-14] and W[t-16], four at a time in msg[G % 4].
template <int G>
KOVU_SHA_TARGET inline void shaGroup(__m128i& abcd, __m128i& e0, __m128i& e1, __m128i (&msg)[4]) {
    __m128i& cur = G % 2 == 0 ? e0 : e1;
    __m128i& next = G % 2 == 0 ? e1 : e0;
    if constexpr (G == 0)
        cur = _mm_add_epi32(cur, msg[0]);
    else
        cur = _mm_sha1nexte_epu32(cur, msg[G % 4]);
    next = abcd;
    if constexpr (G >= 3 && G <= 18) msg[(G + 1) % 4] = _mm_sha1msg2_epu32(msg[(G + 1) % 4], msg[G % 4]);
    abcd = _mm_sha1rnds4_epu32(abcd, cur, G / 5);
    if constexpr (G >= 1 && G <= 16) msg[(G + 3) % 4] = _mm_sha1msg1_epu32(msg[(G + 3) % 4], msg[G % 4]);
    if constexpr (G >= 2 && G <= 17) msg[(G + 2) % 4] = _mm_xor_si128(msg[(G + 2) % 4], msg[G % 4]);
    if constexpr (G < 19) shaGroup<G + 1>(abcd, e0, e1, msg);
}

// The compression, after the pad block hashed into start, of the single block that holds a 20-byte
// digest (in state form), the end marker and the length of 84 bytes.
KOVU_SHA_TARGET inline ShaState shaDigestBlock(const ShaState& start, const ShaState& digest) {
    __m128i abcd = start.abcd;
    __m128i e0 = start.e;
    __m128i e1 = _mm_setzero_si128();
    __m128i msg[4] = {digest.abcd,
                      _mm_or_si128(digest.e, _mm_set_epi32(0, static_cast<int>(0x80000000u), 0, 0)),
                      _mm_setzero_si128(), _mm_set_epi32(0, 0, 0, (SHA_CBLOCK + SHA_DIGEST_LENGTH) * 8)};
    shaGroup<0>(abcd, e0, e1, msg);
    return {_mm_add_epi32(abcd, start.abcd), _mm_sha1nexte_epu32(e0, start.e)};
}

KOVU_SHA_TARGET void putSum(const ShaState& sum, unsigned char* out) {
    const quint32 words[] = {static_cast<quint32>(_mm_extract_epi32(sum.abcd, 3)),
                             static_cast<quint32>(_mm_extract_epi32(sum.abcd, 2)),
                             static_cast<quint32>(_mm_extract_epi32(sum.abcd, 1)),
                             static_cast<quint32>(_mm_extract_epi32(sum.abcd, 0)),
                             static_cast<quint32>(_mm_extract_epi32(sum.e, 3))};
    for (int i = 0; i < 5; ++i) putBigEndian(words[i], out + 4 * i);
}

// Blocks index to index + N - 1 in one pass. Each round of a chain waits on the one before it, so
// two chains side by side keep the SHA unit busy where one leaves it idle half the time.
template <int N>
KOVU_SHA_TARGET void deriveBlocksSha(const Hmac& h, const QByteArray& salt, int rounds, quint32 index,
                                     unsigned char* out) {
    const ShaState inner = stateOf(h.inner.h0, h.inner.h1, h.inner.h2, h.inner.h3, h.inner.h4);
    const ShaState outer = stateOf(h.outer.h0, h.outer.h1, h.outer.h2, h.outer.h3, h.outer.h4);
    ShaState u[N];
    ShaState sum[N];
    for (int i = 0; i < N; ++i) {
        unsigned char digest[SHA_DIGEST_LENGTH];
        firstRound(h, salt, index + i, digest);
        u[i] = sum[i] = stateOf(digest);
    }
    for (int r = 1; r < rounds; ++r) {
        ShaState half[N];
        for (int i = 0; i < N; ++i) half[i] = shaDigestBlock(inner, u[i]);
        for (int i = 0; i < N; ++i) {
            u[i] = shaDigestBlock(outer, half[i]);
            sum[i].abcd = _mm_xor_si128(sum[i].abcd, u[i].abcd);
            sum[i].e = _mm_xor_si128(sum[i].e, u[i].e);
        }
    }
    for (int i = 0; i < N; ++i) putSum(sum[i], out + i * SHA_DIGEST_LENGTH);
}

}  // namespace

QByteArray derivePageKey(const QByteArray& passphrase, const QByteArray& salt, int rounds, int length,
                         KeyThreads threads) {
    if (length <= 0 || rounds <= 0) return {};
    const Hmac h(passphrase);
    const int blocks = (length + SHA_DIGEST_LENGTH - 1) / SHA_DIGEST_LENGTH;
    std::vector<unsigned char> out(static_cast<size_t>(blocks) * SHA_DIGEST_LENGTH);
    static const bool sha = haveShaInstructions();
    auto derive = [&](int b) {
        unsigned char* block = out.data() + b * SHA_DIGEST_LENGTH;
        if (sha)
            deriveBlocksSha<1>(h, salt, rounds, b + 1, block);
        else
            deriveBlock(h, salt, rounds, b + 1, block);
    };
    if (threads == KeyThreads::One) {
        // Two blocks at a time where the instructions allow it, one after another otherwise.
        int b = 0;
        if (sha)
            for (; b + 1 < blocks; b += 2)
                deriveBlocksSha<2>(h, salt, rounds, b + 1, out.data() + b * SHA_DIGEST_LENGTH);
        for (; b < blocks; ++b) derive(b);
    } else {
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
    }
    return QByteArray(reinterpret_cast<const char*>(out.data()), length);
}

QByteArray rawKeyText(const QByteArray& key) { return "x'" + key.toHex().toUpper() + "'"; }

}  // namespace kovu
