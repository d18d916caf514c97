// A scan of folders the catalogue already holds: what changed on disk is taken
// in anew, what vanished leaves, what could not be listed stays, and a
// cancelled scan leaves the catalogue as it was.
#include "document/HeadlessPrompts.h"
#include "session/AppSession.h"
#include "tests/catalog/CatalogTestSupport.h"
#include "tests/session/SessionTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <grp.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace twinseek {
namespace {

using testing::RandomContent;
using testing::ReadBytes;
using testing::WriteBytes;
using Names = std::set<std::string>;

// Written with a last-write time long past, so that a rewrite of the same
// length shows in its time however soon it follows.
void WriteAged(const std::string& path, const std::string& content) {
    WriteBytes(path, content);
    const timespec times[2] = {{0, UTIME_OMIT}, {std::time(nullptr) - 1000, 0}};
    EXPECT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

struct RefreshSession {
    // Scans root and compares every shared size, as the wizard does with every category ticked.
    RefreshCounts ScanAndCompare(const std::string& root) {
        RefreshCounts counts;
        testing::ScanIntoSession(app, root, true, &counts);
        app.CompareAllSharedSizes();
        EXPECT_TRUE(testing::CollectUntilDone(app));
        return counts;
    }
    std::set<Names> Groups() const {
        std::set<Names> groups;
        app.Doc().duplicates.ForEachDuplicateGroup([&](uint64_t, DuplicateIndex::FileRange files) {
            Names paths;
            for (auto it = files.first; it != files.second; ++it) paths.emplace((*it)->GetFullPath());
            groups.insert(paths);
        });
        return groups;
    }
    std::multiset<std::string> FinishedNames() const {
        std::multiset<std::string> names;
        for (size_t row = 0; row < app.Finished().RowCount(); ++row)
            names.emplace(app.Finished().Entry(row).item->Name());
        return names;
    }
    std::string Listing() const { return testing::Listing(app.Doc().root); }
    const FileItem* Catalogued(std::string_view name) const {
        for (const FileCatalog::Entry& entry : app.Doc().catalog)
            if (entry.item->Name() == name) return entry.item;
        return nullptr;
    }

    HeadlessPrompts prompts;
    testing::RecordingProgress progress;
    testing::RecordingCompareView view;
    AppSession app{prompts, progress, view};
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
    const RefreshCounts counts = rescanned.ScanAndCompare(tree.Root());
    EXPECT_EQ(counts.newFiles, 1u);
    EXPECT_EQ(counts.changedFiles, 2u);
    EXPECT_EQ(counts.goneFiles, 2u);

    RefreshSession fresh;
    fresh.ScanAndCompare(tree.Root());
    EXPECT_EQ(rescanned.Groups(), fresh.Groups());
    EXPECT_EQ(rescanned.Groups().size(), 2u);
    EXPECT_EQ(rescanned.Listing(), fresh.Listing());
    EXPECT_EQ(rescanned.FinishedNames(), (std::multiset<std::string>{"a2", "a4", "b1", "b2", "c1", "c2", "new"}))
        << "each once: what went left it, what changed was compared again";
}

TEST(ScanRefreshTest, ADeletedCopyLeavesAndARewrittenOneIsNoLongerACopyWhileACancelledScanKeepsAll) {
    testing::TemporaryTree tree;
    tree.Folder("data");
    const std::string photo = RandomContent(7000, 4), song = RandomContent(8000, 5);
    for (const char* name : {"data/photo1", "data/photo2", "data/photo3"}) WriteAged(tree.Path(name), photo);
    for (const char* name : {"data/song1", "data/song2"}) WriteAged(tree.Path(name), song);
    const std::string document = tree.Path("saved.tws");
    {
        RefreshSession first;
        first.ScanAndCompare(tree.Path("data"));
        ASSERT_TRUE(first.app.SaveTo(document));
    }
    const std::string saved = ReadBytes(document);
    ASSERT_EQ(unlink(tree.Path("data/photo1").c_str()), 0);
    WriteBytes(tree.Path("data/photo2"), RandomContent(7000, 6));

    RefreshSession reopened;
    ASSERT_TRUE(reopened.app.OpenFile(document));
    testing::ScanIntoSession(reopened.app, tree.Path("data"), false);
    ASSERT_TRUE(reopened.app.SaveTo(tree.Path("cancelled.tws")));
    EXPECT_TRUE(ReadBytes(tree.Path("cancelled.tws")) == saved) << "a cancelled scan changes nothing";
    EXPECT_EQ(reopened.Groups().size(), 2u);

    RefreshCounts counts;
    testing::ScanIntoSession(reopened.app, tree.Path("data"), true, &counts);
    EXPECT_EQ(counts.changedFiles, 1u);
    EXPECT_EQ(counts.goneFiles, 1u);
    const Document& doc = reopened.app.Doc();
    EXPECT_EQ(doc.catalog.Count(), 4u);
    EXPECT_EQ(reopened.Catalogued("photo1"), nullptr);
    const FileItem* rewritten = reopened.Catalogued("photo2");
    ASSERT_NE(rewritten, nullptr);
    EXPECT_EQ(rewritten->compareState, NotCompared);
    EXPECT_EQ(doc.duplicates.FileCount(), 3u) << "photo3, alone now, and the songs";
    EXPECT_EQ(reopened.Groups(), (std::set<Names>{{tree.Path("data/song1"), tree.Path("data/song2")}}));
    EXPECT_EQ(reopened.FinishedNames(), (std::multiset<std::string>{"photo3", "song1", "song2"}));
    EXPECT_EQ(doc.stamps.Count(), 3u) << "the unchanged compared files are held to how they stand now";
}

TEST(ScanRefreshTest, WhatCouldNotBeListedKeepsWhatItHeld) {
    testing::TemporaryTree tree;
    for (const char* folder : {"data", "data/locked", "usb"}) tree.Folder(folder);
    for (const char* name : {"data/kept", "data/locked/inside", "usb/photo"}) WriteAged(tree.Path(name), name);
    RefreshSession session;
    for (const char* root : {"data", "usb"}) testing::ScanIntoSession(session.app, tree.Path(root));
    const std::string before = session.Listing();

    // A drive unmounted since: its root cannot be opened.
    ASSERT_EQ(rename(tree.Path("usb").c_str(), tree.Path("away").c_str()), 0);
    RefreshCounts counts;
    testing::ScanIntoSession(session.app, tree.Path("usb"), true, &counts);
    EXPECT_EQ(session.Listing(), before);
    EXPECT_EQ(counts.goneFiles, 0u);

    // A folder that may not be listed, by a user whom permissions bind (the
    // test may run as root, whom none do): the scan runs in a child that
    // becomes an unprivileged user first.
    ASSERT_EQ(chmod(tree.Root().c_str(), 0755), 0);
    ASSERT_EQ(chmod(tree.Path("data/locked").c_str(), 0), 0);
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) _exit(100);
        testing::ScanIntoSession(session.app, tree.Path("data"), true, &counts);
        _exit(session.Listing() == before && counts.goneFiles == 0 ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    chmod(tree.Path("data/locked").c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 100) GTEST_SKIP() << "this root may not become another user";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the locked folder's records stay";
}

}  // namespace
}  // namespace twinseek
