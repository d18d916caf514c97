#include "compare/Sha1Digest.h"

#include "compare/Sha1Compress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace twinseek {

// Reaches the counters a test cannot get to by feeding gigabytes.
struct Sha1DigestTestAccess {
    static uint64_t& ByteCount(Sha1Digest& digest) { return digest.byteCount; }
    static const uint8_t* Block(const Sha1Digest& digest) { return digest.block; }
    static uint8_t* Block(Sha1Digest& digest) { return digest.block; }
};

void PrintTo(Sha1Path path, std::ostream* out) {
    *out << (path == Sha1Path::Portable ? "Portable" : "ShaExtensions");
}

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t kInitialState[5] = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u,
                                       0xC3D2E1F0u};

std::string Hex(const uint8_t* bytes, size_t length) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

std::string HexOf(const Sha1Digest& digest) {
    uint8_t out[20];
    digest.GetDigest(out);
    return Hex(out, sizeof out);
}

std::string HexOfState(const uint32_t state[5]) {
    uint8_t out[20];
    for (int i = 0; i < 20; ++i) out[i] = uint8_t(state[i / 4] >> (24 - 8 * (i % 4)));
    return Hex(out, sizeof out);
}

// A plain, loop-per-round SHA-1 over a fully padded copy of the message, written
// independently of the library code to serve as the oracle.
std::string ReferenceSha1(const Bytes& message) {
    Bytes padded = message;
    padded.push_back(0x80);
    while (padded.size() % 64 != 56) padded.push_back(0);
    const uint64_t bits = uint64_t(message.size()) * 8;
    for (int i = 7; i >= 0; --i) padded.push_back(uint8_t(bits >> (8 * i)));

    auto rotl = [](uint32_t x, int n) { return (x << n) | (x >> (32 - n)); };
    uint32_t h[5];
    std::copy(std::begin(kInitialState), std::end(kInitialState), h);
    for (size_t offset = 0; offset < padded.size(); offset += 64) {
        uint32_t w[80];
        for (int t = 0; t < 16; ++t) {
            const uint8_t* p = &padded[offset + 4 * t];
            w[t] = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
        }
        for (int t = 16; t < 80; ++t) w[t] = rotl(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
        uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
        for (int t = 0; t < 80; ++t) {
            uint32_t f, k;
            if (t < 20) f = (b & c) | (~b & d), k = 0x5A827999u;
            else if (t < 40) f = b ^ c ^ d, k = 0x6ED9EBA1u;
            else if (t < 60) f = (b & c) | (b & d) | (c & d), k = 0x8F1BBCDCu;
            else f = b ^ c ^ d, k = 0xCA62C1D6u;
            const uint32_t next = rotl(a, 5) + f + e + k + w[t];
            e = d, d = c, c = rotl(b, 30), b = a, a = next;
        }
        h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e;
    }
    return HexOfState(h);
}

Bytes RandomBytes(size_t length, std::mt19937& random) {
    Bytes bytes(length);
    for (auto& byte : bytes) byte = uint8_t(random());
    return bytes;
}

// Digest of message fed in pieces of pieceSize bytes (0 = random piece sizes).
std::string DigestInPieces(Sha1Path path, const Bytes& message, size_t pieceSize,
                           std::mt19937& random) {
    Sha1Digest digest(path);
    size_t offset = 0;
    while (offset < message.size()) {
        size_t piece = pieceSize != 0 ? pieceSize : random() % 200 + 1;
        piece = std::min(piece, message.size() - offset);
        digest.Update(message.data() + offset, uint32_t(piece));
        offset += piece;
    }
    digest.Final();
    return HexOf(digest);
}

std::string DigestOf(Sha1Path path, const std::string& text) {
    Sha1Digest digest(path);
    digest.Update(text.data(), uint32_t(text.size()));
    digest.Final();
    return HexOf(digest);
}

std::vector<size_t> TestLengths() {
    std::vector<size_t> lengths;
    for (size_t length = 0; length <= 200; ++length) lengths.push_back(length);
    for (size_t length : {255, 256, 1000, 4095, 16383, 16384, 16385, 16384 * 3 + 57})
        lengths.push_back(length);
    return lengths;
}

class Sha1DigestPathTest : public testing::TestWithParam<Sha1Path> {
protected:
    void SetUp() override {
        if (!Sha1Digest::PathAvailable(GetParam())) GTEST_SKIP() << "processor lacks this path";
    }
};

TEST_P(Sha1DigestPathTest, PublishedVectors) {
    EXPECT_EQ(DigestOf(GetParam(), ""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(DigestOf(GetParam(), "abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(DigestOf(GetParam(), "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
    EXPECT_EQ(DigestOf(GetParam(), std::string(1000000, 'a')),
              "34aa973cd4c4daa4f61eeb2bdbad27316534016f");

    Sha1Digest digest(GetParam());
    const std::string thousand(1000, 'a');
    for (int i = 0; i < 1000; ++i) digest.Update(thousand.data(), 1000);
    digest.Final();
    EXPECT_EQ(HexOf(digest), "34aa973cd4c4daa4f61eeb2bdbad27316534016f") << "fed in pieces";
}

TEST_P(Sha1DigestPathTest, Base32TextOfKnownDigests) {
    Sha1Digest digest(GetParam());
    digest.Final();
    EXPECT_EQ(digest.GetBase32Text(false), "3I42H3S6NNFQ2MSVX7XZKYAYSCX5QBYJ");
    EXPECT_EQ(digest.GetBase32Text(true), "urn:sha1:3I42H3S6NNFQ2MSVX7XZKYAYSCX5QBYJ");

    digest.Reset();
    digest.Update("abc", 3);
    digest.Final();
    char text[33];
    std::memset(text, '#', sizeof text);
    digest.GetBase32Text(text);
    EXPECT_EQ(text[32], '\0');
    EXPECT_STREQ(text, "VGMT4NSHA2AWVOR6EVYXQUGCNSONBWE5");
    const std::string prefixed = digest.GetBase32Text(true);
    EXPECT_EQ(prefixed.size(), 41u);
    EXPECT_EQ(prefixed.rfind("urn:sha1:", 0), 0u);
    EXPECT_EQ(prefixed.substr(9), text);
    EXPECT_EQ(digest.GetBase32Text(false).size(), 32u);
}

TEST_P(Sha1DigestPathTest, MatchesReferenceForEveryLengthAndPieceSize) {
    std::mt19937 random(20240611);
    for (size_t length : TestLengths()) {
        const Bytes message = RandomBytes(length, random);
        const std::string expected = ReferenceSha1(message);
        for (size_t pieceSize : {size_t(0), size_t(1), size_t(63), size_t(64), size_t(65),
                                 size_t(16384), std::max<size_t>(length, 1)}) {
            ASSERT_EQ(DigestInPieces(GetParam(), message, pieceSize, random), expected)
                << "length " << length << ", pieces of " << pieceSize;
        }
    }
}

TEST_P(Sha1DigestPathTest, FinalKeepsDigestAndResetStartsOver) {
    Sha1Digest digest(GetParam());
    EXPECT_EQ(digest.Path(), GetParam());
    digest.Update("xyz", 3);
    digest.Final();
    const std::string first = HexOf(digest);
    EXPECT_EQ(HexOf(digest), first);

    digest.Reset();
    digest.Update("abc", 3);
    digest.Final();
    EXPECT_EQ(HexOf(digest), "a9993e364706816aba3e25717850c26c9cd0d89d");
}

TEST_P(Sha1DigestPathTest, CopyContinuesIndependently) {
    Sha1Digest digest(GetParam());
    digest.Update("ab", 2);
    Sha1Digest copy = digest;
    digest.Update("c", 1);
    copy.Update("cd", 2);
    digest.Final();
    copy.Final();
    EXPECT_EQ(HexOf(digest), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(HexOf(copy), "81fe8bfe87576c3ecb22426f8e57847382917acf");
}

TEST_P(Sha1DigestPathTest, CountCarriesPast32Bits) {
    Sha1Digest digest(GetParam());
    Sha1DigestTestAccess::ByteCount(digest) = 0xFFFFFFF0u;  // 48 bytes into a block
    Bytes data(40);
    for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i);
    digest.Update(data.data(), uint32_t(data.size()));
    EXPECT_EQ(Sha1DigestTestAccess::ByteCount(digest), 0x100000018u);
    // 16 bytes completed the block; the other 24 start the next one.
    EXPECT_EQ(Hex(Sha1DigestTestAccess::Block(digest), 24), Hex(data.data() + 16, 24));
}

TEST_P(Sha1DigestPathTest, FinalWritesTheFull64BitLength) {
    // 4 GiB + 3 bytes: the final block is the three pending bytes, the 0x80 marker,
    // zeros and the bit count 0x0000000800000018.
    Sha1Digest digest(GetParam());
    Sha1DigestTestAccess::ByteCount(digest) = 0x100000003u;
    std::memcpy(Sha1DigestTestAccess::Block(digest), "abc", 3);
    digest.Final();

    uint8_t expectedBlock[64] = {'a', 'b', 'c', 0x80};
    const uint8_t lengthBytes[8] = {0, 0, 0, 0x08, 0, 0, 0, 0x18};
    std::memcpy(expectedBlock + 56, lengthBytes, 8);
    EXPECT_EQ(Hex(Sha1DigestTestAccess::Block(digest), 64), Hex(expectedBlock, 64));

    uint32_t state[5];
    std::copy(std::begin(kInitialState), std::end(kInitialState), state);
    Sha1CompressPortable(state, expectedBlock, 1);
    EXPECT_EQ(HexOf(digest), HexOfState(state));
    EXPECT_NE(HexOf(digest), "a9993e364706816aba3e25717850c26c9cd0d89d")
        << "the upper half of the length must count";
}

TEST_P(Sha1DigestPathTest, LengthAtTheTopOfTheRangeNeedsTwoBlocks) {
    // 2^61 - 1 bytes is the longest message; 63 pending bytes push the length
    // into a block of its own, which then carries all 64 bits set but the last three.
    Sha1Digest digest(GetParam());
    Sha1DigestTestAccess::ByteCount(digest) = (uint64_t(1) << 61) - 1;
    digest.Final();
    uint8_t expectedBlock[64] = {};
    std::memset(expectedBlock + 56, 0xFF, 7);
    expectedBlock[63] = 0xF8;
    EXPECT_EQ(Hex(Sha1DigestTestAccess::Block(digest), 64), Hex(expectedBlock, 64));
    EXPECT_EQ(Sha1DigestTestAccess::ByteCount(digest) % 64, 0u);
}

INSTANTIATE_TEST_SUITE_P(BothPaths, Sha1DigestPathTest,
                         testing::Values(Sha1Path::Portable, Sha1Path::ShaExtensions),
                         [](const testing::TestParamInfo<Sha1Path>& info) {
                             return info.param == Sha1Path::Portable ? "Portable" : "ShaExtensions";
                         });

TEST(Sha1DigestCrossPathTest, RandomPiecesDigestAlikeOnBothPaths) {
    if (!Sha1Digest::PathAvailable(Sha1Path::ShaExtensions)) GTEST_SKIP() << "no SHA extensions";
    std::mt19937 random(77);
    for (int round = 0; round < 50; ++round) {
        const Bytes message = RandomBytes(random() % 70000, random);
        const std::string whole = DigestInPieces(Sha1Path::Portable, message, message.size() + 1, random);
        EXPECT_EQ(DigestInPieces(Sha1Path::Portable, message, 0, random), whole);
        EXPECT_EQ(DigestInPieces(Sha1Path::ShaExtensions, message, 0, random), whole);
        EXPECT_EQ(DigestInPieces(Sha1Path::ShaExtensions, message, message.size() + 1, random), whole);
    }
}

#if defined(__x86_64__) || defined(__i386__)
TEST(Sha1DigestCrossPathTest, CompressionCarriesStateAcrossManyBlocks) {
    if (!Sha1Digest::PathAvailable(Sha1Path::ShaExtensions)) GTEST_SKIP() << "no SHA extensions";
    std::mt19937 random(5);
    for (size_t count = 1; count <= 9; ++count) {
        const Bytes blocks = RandomBytes(64 * count, random);
        uint32_t portable[5], extensions[5];
        for (int i = 0; i < 5; ++i) portable[i] = extensions[i] = uint32_t(random());
        Sha1CompressPortable(portable, blocks.data(), count);
        Sha1CompressShaExtensions(extensions, blocks.data(), count);
        EXPECT_EQ(HexOfState(extensions), HexOfState(portable)) << count << " blocks";
    }
}
#endif

TEST(Sha1DigestCrossPathTest, DefaultIsTheBestAvailablePath) {
    const Sha1Path expected = Sha1Digest::PathAvailable(Sha1Path::ShaExtensions)
                                  ? Sha1Path::ShaExtensions
                                  : Sha1Path::Portable;
    EXPECT_EQ(Sha1Digest().Path(), expected);
    EXPECT_TRUE(Sha1Digest::PathAvailable(Sha1Path::Portable));
}

}  // namespace
}  // namespace twinseek
