// Rescans of a session's document over real folders: they record what a fresh
// scan does and keep what could not be listed. A rescan against a fresh scan's groups is
// checked end to end in the CLI's refresh test.
#include "cli/RefreshReport.h"
#include "tests/session/SessionTestSupport.h"

namespace twinseek {
namespace {

using testing::WriteBytes;

TEST(ScanRefreshTest, ARescanTakesInWhatChangedAndKeepsWhatCouldNotBeListed) {
    testing::TemporaryTree tree;
    for (const char* folder : {"data", "data/locked", "data/gone", "usb"}) tree.Folder(folder);
    for (const char* name : {"data/kept", "data/locked/inside", "data/gone/file", "usb/photo"})
        WriteBytes(tree.Path(name), name);
    testing::RecordingSession scanned;
    for (const char* root : {"data", "usb"}) testing::ScanIntoSession(scanned.session, tree.Path(root));
    const auto listing = [&] { return testing::Listing(scanned.session.Doc().root); };
    std::string before = listing();

    // A folder removed, a file added and one rewritten at another size.
    ASSERT_EQ(unlink(tree.Path("data/gone/file").c_str()), 0);
    ASSERT_EQ(rmdir(tree.Path("data/gone").c_str()), 0);
    WriteBytes(tree.Path("data/new"), "new");
    WriteBytes(tree.Path("data/kept"), "longer than before");
    testing::ScanIntoSession(scanned.session, tree.Path("data"), false);
    EXPECT_EQ(listing(), before) << "a cancelled scan changes nothing";
    RefreshCounts counts;
    testing::ScanIntoSession(scanned.session, tree.Path("data"), true, &counts);
    EXPECT_EQ(RefreshSummaryLine(counts), "Refreshed: 1 new, 1 changed, 1 gone");
    testing::RecordingSession fresh;
    for (const char* root : {"data", "usb"}) testing::ScanIntoSession(fresh.session, tree.Path(root));
    EXPECT_EQ(listing(), testing::Listing(fresh.session.Doc().root)) << "a rescan records what a fresh scan does";
    before = listing();

    // A drive unmounted since: its root cannot be opened.
    ASSERT_EQ(rename(tree.Path("usb").c_str(), tree.Path("away").c_str()), 0);
    testing::ScanIntoSession(scanned.session, tree.Path("usb"), true, &counts);
    EXPECT_EQ(listing(), before);
    EXPECT_EQ(counts.goneFiles, 0u);

    // A folder that may not be listed, by a user whom permissions bind.
    ASSERT_EQ(chmod(tree.Root().c_str(), 0755), 0);
    ASSERT_EQ(chmod(tree.Path("data/locked").c_str(), 0), 0);
    const std::optional<bool> kept = testing::AsUnprivilegedUser([&] {
        testing::ScanIntoSession(scanned.session, tree.Path("data"), true, &counts);
        return listing() == before && counts.goneFiles == 0;
    });
    chmod(tree.Path("data/locked").c_str(), 0755);
    if (!kept) GTEST_SKIP() << "this root may not become another user";
    EXPECT_TRUE(*kept) << "the locked folder's records stay";
}

}  // namespace
}  // namespace twinseek
