#include "compare/Sha1Compress.h"

#include <cstring>

namespace twinseek {
namespace {

inline uint32_t RotateLeft(uint32_t value, int bits) {
    return (value << bits) | (value >> (32 - bits));
}

inline uint32_t LoadBigEndian(const uint8_t* bytes) {
    uint32_t value;
    std::memcpy(&value, bytes, sizeof value);
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    value = __builtin_bswap32(value);
#endif
    return value;
}

}  // namespace

// Rounds 0..15 read the block, later ones extend the schedule in a 16-word ring.
// The five working variables rotate through the macro arguments instead of being
// moved, so every round is a handful of register operations.
#define SHA1_LOAD(i) (w[i] = LoadBigEndian(block + 4 * (i)))
#define SHA1_NEXT(i)                                                                     \
    (w[(i) & 15] = RotateLeft(w[((i) + 13) & 15] ^ w[((i) + 8) & 15] ^ w[((i) + 2) & 15] ^ \
                                  w[(i) & 15],                                           \
                              1))
#define SHA1_CHOOSE(b, c, d) ((((c) ^ (d)) & (b)) ^ (d))
#define SHA1_PARITY(b, c, d) ((b) ^ (c) ^ (d))
#define SHA1_MAJORITY(b, c, d) (((b) & (c)) | (((b) | (c)) & (d)))
#define SHA1_ROUND(a, b, c, d, e, f, k, word)               \
    do {                                                    \
        (e) += RotateLeft(a, 5) + f(b, c, d) + (k) + (word); \
        (b) = RotateLeft(b, 30);                            \
    } while (0)

#define R0(a, b, c, d, e, i) SHA1_ROUND(a, b, c, d, e, SHA1_CHOOSE, 0x5A827999u, SHA1_LOAD(i))
#define R1(a, b, c, d, e, i) SHA1_ROUND(a, b, c, d, e, SHA1_CHOOSE, 0x5A827999u, SHA1_NEXT(i))
#define R2(a, b, c, d, e, i) SHA1_ROUND(a, b, c, d, e, SHA1_PARITY, 0x6ED9EBA1u, SHA1_NEXT(i))
#define R3(a, b, c, d, e, i) SHA1_ROUND(a, b, c, d, e, SHA1_MAJORITY, 0x8F1BBCDCu, SHA1_NEXT(i))
#define R4(a, b, c, d, e, i) SHA1_ROUND(a, b, c, d, e, SHA1_PARITY, 0xCA62C1D6u, SHA1_NEXT(i))

// Five rounds with the variables rotated one place each round.
#define SHA1_FIVE(R, i)          \
    R(a, b, c, d, e, (i) + 0);   \
    R(e, a, b, c, d, (i) + 1);   \
    R(d, e, a, b, c, (i) + 2);   \
    R(c, d, e, a, b, (i) + 3);   \
    R(b, c, d, e, a, (i) + 4)

void Sha1CompressPortable(uint32_t state[5], const uint8_t* blocks, size_t count) {
    uint32_t h0 = state[0], h1 = state[1], h2 = state[2], h3 = state[3], h4 = state[4];
    uint32_t w[16];
    for (; count != 0; --count, blocks += 64) {
        const uint8_t* block = blocks;
        uint32_t a = h0, b = h1, c = h2, d = h3, e = h4;

        SHA1_FIVE(R0, 0);
        SHA1_FIVE(R0, 5);
        SHA1_FIVE(R0, 10);
        R0(a, b, c, d, e, 15);
        R1(e, a, b, c, d, 16);
        R1(d, e, a, b, c, 17);
        R1(c, d, e, a, b, 18);
        R1(b, c, d, e, a, 19);

        SHA1_FIVE(R2, 20);
        SHA1_FIVE(R2, 25);
        SHA1_FIVE(R2, 30);
        SHA1_FIVE(R2, 35);

        SHA1_FIVE(R3, 40);
        SHA1_FIVE(R3, 45);
        SHA1_FIVE(R3, 50);
        SHA1_FIVE(R3, 55);

        SHA1_FIVE(R4, 60);
        SHA1_FIVE(R4, 65);
        SHA1_FIVE(R4, 70);
        SHA1_FIVE(R4, 75);

        h0 += a;
        h1 += b;
        h2 += c;
        h3 += d;
        h4 += e;
    }
    state[0] = h0;
    state[1] = h1;
    state[2] = h2;
    state[3] = h3;
    state[4] = h4;
}

}  // namespace twinseek
