#include "platform/PathProbe.h"
#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace twinseek {
namespace {

TEST(PathProbeTest, TellsWhyAPathCannotBeListed) {
    testing::TemporaryTree tree;
    tree.Folder("dir");
    tree.File("file", 3);
    EXPECT_EQ(DirectoryAccessError(tree.Path("dir")), 0);
    EXPECT_EQ(DirectoryAccessError(tree.Path("file")), ENOTDIR);
    EXPECT_EQ(DirectoryAccessError(tree.Path("missing")), ENOENT);
    tree.Link("linked", "dir");
    EXPECT_EQ(DirectoryAccessError(tree.Path("linked")), ELOOP) << "the walk never enters a link";
}

}  // namespace
}  // namespace twinseek
