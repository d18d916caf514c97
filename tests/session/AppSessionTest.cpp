// Rescans of a session's document over real folders: they take in what changed,
// give what a fresh scan gives, and keep what could not be listed.
#include "cli/RefreshReport.h"
#include "session/GroupReport.h"
#include "tests/session/SessionTestSupport.h"

#include <ctime>
#include <set>

namespace twinseek {
namespace {

using testing::RandomContent;
using testing::WriteBytes;
using Names = std::set<std::string>;

// Written with a last-write time long past, so that a rewrite of the same
// length shows in its time however soon it follows.
void WriteAged(const std::string& path, const std::string& content) {
    WriteBytes(path, content);
    testing::SetWriteTime(path, std::time(nullptr) - 1000);
}

struct RefreshSession : testing::RecordingSession {
    // Scans root and compares every shared size, as the wizard does with every category ticked.
    RefreshCounts ScanAndCompare(const std::string& root) {
        RefreshCounts counts;
        testing::ScanIntoSession(session, root, true, &counts);
        session.CompareAllSharedSizes();
        EXPECT_TRUE(testing::CollectUntilDone(session));
        return counts;
    }
    std::set<Names> Groups() const {
        std::set<Names> groups;
        for (const GroupReport& group : CollectGroups(session.Doc().duplicates))
            groups.emplace(group.paths.begin(), group.paths.end());
        return groups;
    }
    std::multiset<std::string> FinishedNames() const {
        std::multiset<std::string> names;
        for (size_t row = 0; row < session.Finished().RowCount(); ++row)
            names.emplace(session.Finished().Entry(row).item->Name());
        return names;
    }
    std::string Listing() const { return testing::Listing(session.Doc().root); }
};

TEST(ScanRefreshTest, ARescanOfAChangedTreeGivesTheGroupsAndRecordsOfAFreshScan) {
    testing::TemporaryTree tree;
    const std::string a = RandomContent(6000, 1), b = RandomContent(6000, 2), c = RandomContent(9000, 3);
    for (const char* folder : {"x", "x/deep", "y"}) tree.Folder(folder);
    for (const char* name : {"a1", "x/a2", "x/deep/a3", "y/a4"}) WriteAged(tree.Path(name), a);
    for (const char* name : {"b1", "x/b2"}) WriteAged(tree.Path(name), b);
    for (const char* name : {"c1", "y/c2"}) WriteAged(tree.Path(name), c);
    RefreshSession rescanned;
    rescanned.ScanAndCompare(tree.Root());

    // Removed, added, rewritten at the same and at another size, a folder removed.
    ASSERT_EQ(unlink(tree.Path("a1").c_str()), 0);
    WriteBytes(tree.Path("x/new"), b);
    WriteBytes(tree.Path("b1"), a);
    WriteBytes(tree.Path("y/c2"), b);
    ASSERT_EQ(unlink(tree.Path("x/deep/a3").c_str()), 0);
    ASSERT_EQ(rmdir(tree.Path("x/deep").c_str()), 0);
    const std::string before = rescanned.Listing();
    testing::ScanIntoSession(rescanned.session, tree.Root(), false);
    EXPECT_EQ(rescanned.Listing(), before) << "a cancelled scan changes nothing";
    EXPECT_EQ(RefreshSummaryLine(rescanned.ScanAndCompare(tree.Root())), "Refreshed: 1 new, 2 changed, 2 gone");

    RefreshSession fresh;
    fresh.ScanAndCompare(tree.Root());
    EXPECT_EQ(rescanned.Groups(), fresh.Groups());
    EXPECT_EQ(rescanned.Groups().size(), 2u);
    EXPECT_EQ(rescanned.Listing(), fresh.Listing());
    EXPECT_EQ(rescanned.FinishedNames(), (std::multiset<std::string>{"a2", "a4", "b1", "b2", "c1", "c2", "new"}))
        << "each once: what went left it, what changed was compared again";
}

TEST(ScanRefreshTest, WhatCouldNotBeListedKeepsWhatItHeld) {
    testing::TemporaryTree tree;
    for (const char* folder : {"data", "data/locked", "usb"}) tree.Folder(folder);
    for (const char* name : {"data/kept", "data/locked/inside", "usb/photo"}) WriteAged(tree.Path(name), name);
    RefreshSession scanned;
    for (const char* root : {"data", "usb"}) testing::ScanIntoSession(scanned.session, tree.Path(root));
    const std::string before = scanned.Listing();

    // A drive unmounted since: its root cannot be opened.
    ASSERT_EQ(rename(tree.Path("usb").c_str(), tree.Path("away").c_str()), 0);
    RefreshCounts counts;
    testing::ScanIntoSession(scanned.session, tree.Path("usb"), true, &counts);
    EXPECT_EQ(scanned.Listing(), before);
    EXPECT_EQ(counts.goneFiles, 0u);

    // A folder that may not be listed, by a user whom permissions bind.
    ASSERT_EQ(chmod(tree.Root().c_str(), 0755), 0);
    ASSERT_EQ(chmod(tree.Path("data/locked").c_str(), 0), 0);
    const std::optional<bool> kept = testing::AsUnprivilegedUser([&] {
        testing::ScanIntoSession(scanned.session, tree.Path("data"), true, &counts);
        return scanned.Listing() == before && counts.goneFiles == 0;
    });
    chmod(tree.Path("data/locked").c_str(), 0755);
    if (!kept) GTEST_SKIP() << "this root may not become another user";
    EXPECT_TRUE(*kept) << "the locked folder's records stay";
}

}  // namespace
}  // namespace twinseek
