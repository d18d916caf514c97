// Opening a file's folder along the path a scan walked, telling gone from a
// scan root not on this computer and from a link on the path; and comparing
// two files byte for byte.
#include "platform/AnchoredPath.h"
#include "platform/EntryContent.h"
#include "platform/EntryRemoval.h"
#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace twinseek {
namespace {

using testing::TemporaryTree;
using testing::WriteBytes;

TEST(AnchoredPathTest, WhatStandsOnThePathDecidesBetweenGoneNotHereLinkAndUnreachable) {
    TemporaryTree tree;
    tree.Folder("root");
    tree.Folder("root/a");
    tree.Folder("root/a/b");
    tree.Folder("elsewhere");
    tree.Folder("elsewhere/b");
    tree.File("root/file");
    tree.Link("root/linked", tree.Path("elsewhere"));
    tree.Link("rootlink", tree.Path("root"));
    struct Case {
        std::string anchor;
        std::vector<std::string> steps;
        PathState state;
        std::string linkedFolder;
    };
    const Case cases[] = {
        {tree.Path("root"), {"a", "b"}, PathState::Present, ""},
        // The anchor's own folders are followed, as the scan followed them.
        {tree.Path("rootlink") + "/a", {"b"}, PathState::Present, ""},
        {tree.Path("root"), {"missing", "b"}, PathState::Gone, ""},
        {tree.Path("root"), {"file", "b"}, PathState::Gone, ""},  // a plain file where a folder was
        {tree.Path("root"), {"linked", "b"}, PathState::LinkOnPath, tree.Path("root/linked")},
        {tree.Path("rootlink"), {"a"}, PathState::LinkOnPath, tree.Path("rootlink")},
        // No folder where the scan began: another computer's, never gone.
        {tree.Path("gone"), {"a"}, PathState::NotOnThisComputer, ""},
        {tree.Path("root/file/deeper"), {}, PathState::NotOnThisComputer, ""},
        {"relative/path", {}, PathState::Unreachable, ""},
    };
    for (const Case& test : cases) {
        FolderOpening opening = OpenAnchoredFolder({test.anchor, test.steps, "x"});
        EXPECT_EQ(opening.state, test.state) << test.anchor << " " << test.steps.size();
        EXPECT_EQ(opening.folder.IsOpen(), test.state == PathState::Present);
        EXPECT_EQ(opening.linkedFolder, test.linkedFolder);
    }

    FolderOpening root = OpenAnchoredFolder({tree.Path("root"), {}, ""});
    EXPECT_TRUE(LookAtEntry(root.folder.Get(), "file").IsRegularFile());
    EXPECT_EQ(LookAtEntry(root.folder.Get(), "nothing").state, PathState::Gone);
    EntryLook link = LookAtEntry(root.folder.Get(), "linked");
    EXPECT_EQ(link.state, PathState::Present);
    EXPECT_FALSE(link.IsRegularFile()) << "a link is looked at, not followed";
}

TEST(AnchoredPathTest, ContentsCompareByteForByteAndEntriesAreHeldToTheFileTheyWereCheckedAs) {
    TemporaryTree tree;
    const std::string base(300 * 1024, 'x');  // more than one piece read
    std::string lastByte = base;
    lastByte.back() = 'y';
    const std::pair<std::string, ContentMatch> cases[] = {
        {base, ContentMatch::Same},
        {lastByte, ContentMatch::Different},
        {base.substr(1), ContentMatch::Different},  // shorter than the size compared
        {base + "z", ContentMatch::Different},      // goes on past it
    };
    WriteBytes(tree.Path("first"), base);
    FolderOpening folder = OpenAnchoredFolder({tree.Root(), {}, ""});
    const FileIdentity first = LookAtEntry(folder.folder.Get(), "first").stamp.identity;
    UniqueFd firstFile;
    ASSERT_EQ(OpenEntryForReading(folder.folder.Get(), "first", first, firstFile), 0);
    for (const auto& [content, match] : cases) {
        WriteBytes(tree.Path("second"), content);
        UniqueFd secondFile;
        ASSERT_EQ(OpenEntryForReading(folder.folder.Get(), "second",
                                      LookAtEntry(folder.folder.Get(), "second").stamp.identity, secondFile),
                  0);
        std::atomic<uint64_t> done{0};
        std::atomic<bool> stop{false};
        EXPECT_EQ(CompareContents(firstFile.Get(), secondFile.Get(), base.size(), done, stop).match, match)
            << content.size();
        stop = true;
        EXPECT_EQ(CompareContents(firstFile.Get(), secondFile.Get(), base.size(), done, stop).match,
                  ContentMatch::Stopped);
    }

    // Another file moved into the place of the one checked is neither read nor removed.
    UniqueFd other;
    ASSERT_EQ(rename(tree.Path("second").c_str(), tree.Path("first").c_str()), 0);
    EXPECT_EQ(OpenEntryForReading(folder.folder.Get(), "first", first, other), ESTALE);
    EXPECT_EQ(UnlinkEntry(folder.folder.Get(), "first", first), ESTALE);
    ASSERT_EQ(mkfifo(tree.Path("fifo").c_str(), 0600), 0);
    const FileIdentity fifo = LookAtEntry(folder.folder.Get(), "fifo").stamp.identity;
    EXPECT_EQ(OpenEntryForReading(folder.folder.Get(), "fifo", fifo, other), EINVAL) << "and never waits on a FIFO";
    EXPECT_EQ(UnlinkEntry(folder.folder.Get(), "fifo", fifo), 0);
    EXPECT_EQ(access(tree.Path("fifo").c_str(), F_OK), -1);
}

}  // namespace
}  // namespace twinseek
