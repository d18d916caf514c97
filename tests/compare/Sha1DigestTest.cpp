#include "compare/Sha1Digest.h"

#include "compare/FileDigest.h"
#include "compare/Sha1Compress.h"
#include "tests/compare/CompareTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>

namespace twinseek {

// Reaches the counters a test cannot get to by feeding gigabytes.
struct Sha1DigestTestAccess {
    static uint64_t& ByteCount(Sha1Digest& digest) { return digest.byteCount; }
    static uint8_t* Block(Sha1Digest& digest) { return digest.block; }
};

void PrintTo(Sha1Path path, std::ostream* out) { *out << (path == Sha1Path::Portable ? "Portable" : "ShaExtensions"); }

namespace {

using testing::RandomContent;

std::string Hex(const uint8_t* bytes, size_t length) {
    std::string text;
    for (size_t i = 0; i < length; ++i) text += "0123456789abcdef"[bytes[i] >> 4], text += "0123456789abcdef"[bytes[i] & 15];
    return text;
}

std::string HexOf(const Sha1Digest& digest) {
    uint8_t out[20];
    digest.GetDigest(out);
    return Hex(out, sizeof out);
}

// Digest of message fed in pieces of pieceSize bytes (0 = random piece sizes).
std::string DigestInPieces(Sha1Path path, const std::string& message, size_t pieceSize, std::mt19937& random) {
    Sha1Digest digest(path);
    for (size_t offset = 0; offset < message.size();) {
        size_t piece = std::min(pieceSize != 0 ? pieceSize : random() % 200 + 1, message.size() - offset);
        digest.Update(message.data() + offset, uint32_t(piece));
        offset += piece;
    }
    digest.Final();
    return HexOf(digest);
}

class Sha1DigestPathTest : public ::testing::TestWithParam<Sha1Path> {
protected:
    void SetUp() override {
        if (!Sha1Digest::PathAvailable(GetParam())) GTEST_SKIP() << "processor lacks this path";
    }
};

// Published vectors in pieces of every kind, every split around the first two
// block edges against the portable digest of the whole, Reset, and the Base32 forms.
TEST_P(Sha1DigestPathTest, PublishedVectorsAnySplitOfTheMessageAndBase32) {
    const std::pair<std::string, const char*> vectors[] = {
        {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"}};
    std::mt19937 random(1);
    for (const auto& [message, expected] : vectors)
        for (size_t pieceSize : {message.size() + 1, size_t(1), size_t(1000), size_t(0)})
            EXPECT_EQ(DigestInPieces(GetParam(), message, pieceSize, random), expected)
                << message.size() << " bytes in pieces of " << pieceSize;
    const std::string message = RandomContent(131, 7);
    for (size_t length = 0; length <= 130; ++length) {
        const std::string whole = DigestInPieces(Sha1Path::Portable, message.substr(0, length), length + 1, random);
        for (size_t split = 0; split <= length; ++split) {
            Sha1Digest digest(GetParam());
            digest.Update(message.data(), uint32_t(split));
            digest.Update(message.data() + split, uint32_t(length - split));
            digest.Final();
            ASSERT_EQ(HexOf(digest), whole) << length << " bytes split at " << split;
        }
    }

    Sha1Digest digest(GetParam());  // Reset starts over
    digest.Update("xyz", 3);
    digest.Final();
    digest.Reset();
    digest.Update("abc", 3);
    digest.Final();
    EXPECT_EQ(HexOf(digest), "a9993e364706816aba3e25717850c26c9cd0d89d");
    char text[33];
    std::memset(text, '#', sizeof text);
    digest.GetBase32Text(text);
    EXPECT_STREQ(text, "VGMT4NSHA2AWVOR6EVYXQUGCNSONBWE5");
    EXPECT_EQ(digest.GetBase32Text(true), std::string("urn:sha1:") + text);
}

TEST_P(Sha1DigestPathTest, FinalWritesTheFull64BitLength) {
    // 4 GiB + 3 bytes: the final block is the three pending bytes, the 0x80 marker,
    // zeros and the bit count 0x0000000800000018.
    Sha1Digest digest(GetParam());
    Sha1DigestTestAccess::ByteCount(digest) = 0x100000003u;
    std::memcpy(Sha1DigestTestAccess::Block(digest), "abc", 3);
    digest.Final();

    uint8_t expectedBlock[64] = {'a', 'b', 'c', 0x80};
    expectedBlock[59] = 0x08;
    expectedBlock[63] = 0x18;
    EXPECT_EQ(Hex(Sha1DigestTestAccess::Block(digest), 64), Hex(expectedBlock, 64));
    uint32_t state[5] = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
    Sha1CompressPortable(state, expectedBlock, 1);
    uint8_t out[20];
    for (int i = 0; i < 20; ++i) out[i] = uint8_t(state[i / 4] >> (24 - 8 * (i % 4)));
    EXPECT_EQ(HexOf(digest), Hex(out, 20));
}

INSTANTIATE_TEST_SUITE_P(BothPaths, Sha1DigestPathTest, ::testing::Values(Sha1Path::Portable, Sha1Path::ShaExtensions),
                         ::testing::PrintToStringParamName());

// Small files are read, large ones mapped: either way only the size at open counts.
TEST(DigestContentTest, AFileCutShortWhileReadFailsAndOneThatGrowsGivesTheDigestOfItsSizeAtOpen) {
    // Read in pieces, or mapped across a view's edge.
    const size_t read = 3 * kReadPieceSize + 9, mapped = kMappedViewSize + 3 * kReadPieceSize + 5;
    for (auto [size, grows] : {std::pair{read, false}, {read, true}, {mapped, false}, {mapped, true}}) {
        SCOPED_TRACE(std::to_string(size) + (grows ? " grows" : " shrinks"));
        testing::TemporaryTree tree;
        const std::string path = tree.Path("changing"), content = RandomContent(size, uint32_t(size));
        testing::WriteBytes(path, content);
        FileContentReader reader;
        ASSERT_TRUE(reader.Open(path.c_str()));
        Sha1Digest digest;
        std::string buffer(kReadPieceSize, '\0');
        int asked = 0;
        // The change comes after the first piece, and lands in the middle of the view.
        const auto changeOnce = [&] {
            if (++asked != 2) return true;
            if (grows)
                testing::WriteBytes(path, content + "more bytes");
            else
                EXPECT_EQ(truncate(path.c_str(), off_t(2 * kReadPieceSize)), 0);
            return true;
        };
        const ContentEnd end = DigestContent(reader, digest, reinterpret_cast<uint8_t*>(buffer.data()), changeOnce,
                                             [](size_t) {});
        EXPECT_EQ(end, grows ? ContentEnd::Complete : ContentEnd::Failed);
        digest.Final();
        if (grows) {
            EXPECT_EQ(digest.GetBase32Text(false), testing::DigestTextOf(content));
        }
    }
}

}  // namespace
}  // namespace twinseek
