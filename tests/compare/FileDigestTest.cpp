// Digesting a file that changes while it is read: small files are read, large
// ones mapped, and either way only the content of the size at open counts.
#include "compare/FileDigest.h"
#include "tests/compare/CompareTestSupport.h"
#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

namespace twinseek {
namespace {

using testing::DigestTextOf;
using testing::RandomContent;
using testing::TemporaryTree;
using testing::WriteBytes;

TEST(DigestContentTest, AFileCutShortWhileReadFailsAndOneThatGrowsGivesTheDigestOfItsSizeAtOpen) {
    struct Case {
        size_t size;
        bool grows;
    };
    const size_t mapped = kMappedViewSize + 3 * kReadPieceSize + 5;  // crosses a view's edge
    for (Case change : {Case{3 * kReadPieceSize + 9, false}, Case{3 * kReadPieceSize + 9, true}, Case{mapped, false},
                        Case{mapped, true}}) {
        SCOPED_TRACE(std::to_string(change.size) + (change.grows ? " grows" : " shrinks"));
        TemporaryTree tree;
        const std::string path = tree.Path("changing");
        const std::string content = RandomContent(change.size, uint32_t(change.size));
        WriteBytes(path, content);
        FileContentReader reader;
        ASSERT_TRUE(reader.Open(path.c_str()));
        Sha1Digest digest;
        std::string buffer(kReadPieceSize, '\0');
        int asked = 0;
        // The change comes after the first piece, and lands in the middle of the view.
        ContentEnd end = DigestContent(
            reader, digest, reinterpret_cast<uint8_t*>(buffer.data()),
            [&] {
                if (++asked == 2) {
                    if (change.grows)
                        WriteBytes(path, content + "more bytes");
                    else
                        EXPECT_EQ(truncate(path.c_str(), off_t(2 * kReadPieceSize)), 0);
                }
                return true;
            },
            [](size_t) {});
        if (!change.grows) {
            EXPECT_EQ(end, ContentEnd::Failed);
            continue;
        }
        ASSERT_EQ(end, ContentEnd::Complete);
        digest.Final();
        EXPECT_EQ(digest.GetBase32Text(false), DigestTextOf(content));
    }
}

}  // namespace
}  // namespace twinseek
