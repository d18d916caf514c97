#include "platform/FreedesktopTrash.h"
#include "platform/TrashInfo.h"

#include "tests/platform/BindMount.h"
#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <functional>
#include <optional>
#include <vector>

namespace twinseek {
namespace {

namespace fs = std::filesystem;

bool Exists(const std::string& path) { return fs::exists(fs::symlink_status(path)); }

TEST(TrashInfoTest, PathsAndInfoTextReadBackExactly) {
    const struct { std::string raw, escaped; } cases[] = {
        {"", ""}, {"%", "%25"}, {"/data/c d%/big copy é.bin", "/data/c%20d%25/big%20copy%20%C3%A9.bin"},
        {"\xff\xfe", "%FF%FE"}, {"%41", "%2541"}, {"/Az09-._~", "/Az09-._~"},
    };
    for (const auto& [raw, escaped] : cases) {
        EXPECT_EQ(EscapeTrashPath(raw), escaped) << raw;
        EXPECT_EQ(UnescapeTrashPath(escaped), raw) << escaped;
    }
    EXPECT_EQ(UnescapeTrashPath("%c3%A9"), "é") << "hex digits of either case";
    for (const char* malformed : {"%", "%4", "a%G1", "%%41"}) EXPECT_EQ(UnescapeTrashPath(malformed), std::nullopt);

    const TrashInfo written{"/a b/\xff%41", "2024-01-02T03:04:05"};
    EXPECT_EQ(ParseTrashInfo(FormatTrashInfo(written)), written);
    const char* mixed = "[Other]\nPath=/no\n[Trash Info]\n# note\nKind=x\nPath = /yes%20\n";
    EXPECT_EQ(ParseTrashInfo(mixed).value().path, "/yes ");
    for (const char* refused : {"[Other]\nPath=/x\n", "[Trash Info]\nDeletionDate=2024-01-02T03:04:05\n",
                                "[Trash Info]\nPath=/x%2\n", "Path=/x\n"})
        EXPECT_EQ(ParseTrashInfo(refused), std::nullopt) << refused;
}

// Sends files of a temporary tree to the Trash, with XDG_DATA_HOME set for the
// test and put back after, and tmpfs mounts that end with the test.
class TrashTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (const std::string& folder : mounts) umount2(folder.c_str(), MNT_DETACH);
    }
    void UseDataHome(const std::string& relative) { setenv("XDG_DATA_HOME", tree.Path(relative).c_str(), 1); }
    bool MountTmpfs(const std::string& relative, const std::string& size) {
        tree.Folder(relative);
        if (!testing::InPrivateMountNamespace() || mount("tmpfs", tree.Path(relative).c_str(), "tmpfs", 0, ("size=" + size).c_str()) != 0)
            return false;
        mounts.push_back(tree.Path(relative));
        return true;
    }
    // The folder is opened O_PATH and without following links, as a caller may.
    TrashOutcome Trash(const std::string& relativeFolder, const std::string& name) {
        const std::string folder = relativeFolder.empty() ? tree.Root() : tree.Path(relativeFolder);
        const int fd = open(folder.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        TrashOutcome outcome = MoveToTrash(fd, name, folder + "/" + name);
        close(fd);
        return outcome;
    }
    // The file left from for trashFolder/files, with an info file that leads back to it.
    void ExpectTrashed(const TrashOutcome& outcome, const std::string& trashFolder, const std::string& from) {
        ASSERT_EQ(outcome.error, 0) << outcome.reason;
        EXPECT_EQ(outcome.trashFolder, tree.Path(trashFolder));
        EXPECT_FALSE(Exists(tree.Path(from)));
        EXPECT_TRUE(Exists(outcome.trashFolder + "/files/" + outcome.trashedName));
        const std::string infoFile = outcome.trashFolder + "/info/" + outcome.trashedName + ".trashinfo";
        const std::optional<TrashInfo> info = ParseTrashInfo(testing::ReadBytes(infoFile));
        ASSERT_TRUE(info);
        EXPECT_EQ(info->path, tree.Path(from));
        EXPECT_EQ(info->deletionDate.size(), 19u);
    }

    testing::TemporaryTree tree;
    testing::ScopedDataHome dataHome{tree.Path("data")};  // puts back what UseDataHome changes
    std::vector<std::string> mounts;
};

TEST_F(TrashTest, HomeTrashIsMadeAndTakesAnyNameWithClashesNumbered) {
    tree.Folder("src");
    UseDataHome("data/share");  // neither folder exists yet
    std::string longName;
    for (int i = 0; i < 127; ++i) longName += "é";  // 254 bytes: shortened so the info file's name fits
    const struct { std::string name, trashedName; } cases[] = {
        {"c d%", "c d%"}, {"\xff\xfe", "\xff\xfe"}, {"%41", "%41"}, {"%41", "%41.2"},
        {longName, longName.substr(0, 244)}, {longName, longName.substr(0, 242) + ".2"},
    };
    for (const auto& [name, trashedName] : cases) {
        tree.File("src/" + name);
        const TrashOutcome outcome = Trash("src", name);
        ExpectTrashed(outcome, "data/share/Trash", "src/" + name);
        EXPECT_EQ(outcome.trashedName, trashedName);
    }
    EXPECT_EQ(fs::status(tree.Path("data")).permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(tree.Path("data/share/Trash")).permissions(), fs::perms::owner_all);
    // A name taken under files/ with no info file is passed over, its claim dropped.
    tree.File("data/share/Trash/files/orphan");
    tree.File("src/orphan");
    EXPECT_EQ(Trash("src", "orphan").trashedName, "orphan.2");
    EXPECT_FALSE(Exists(tree.Path("data/share/Trash/info/orphan.trashinfo")));
}

TEST_F(TrashTest, HomeTrashThatIsALinkOrNoFolderIsRefusedAndNothingMovesOrAppears) {
    for (const char* folder : {"src", "elsewhere", "cwd"}) tree.Folder(folder);
    tree.File("src/f");
    char previous[PATH_MAX];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(tree.Path("cwd").c_str()), 0);
    const struct { std::string path; int error; } cases[] = {
        {"Trash", ELOOP}, {"Trash/files", ELOOP}, {"Trash/info", ELOOP}, {"Trash", ENOTDIR}};
    int data = 0;
    for (const auto& [path, error] : cases) {
        const std::string dataHome = "data" + std::to_string(++data), spot = tree.Path(dataHome + "/" + path);
        fs::create_directories(fs::path(spot).parent_path());
        error == ELOOP ? fs::create_directory_symlink(tree.Path("elsewhere"), spot) : testing::WriteBytes(spot, "");
        UseDataHome(dataHome);
        const TrashOutcome outcome = Trash("src", "f");
        EXPECT_EQ(outcome.error, error) << path;
        EXPECT_TRUE(outcome.reason.ends_with(spot + (error == ELOOP ? " is a symbolic link" : " is not a folder")))
            << outcome.reason;
    }
    EXPECT_TRUE(Exists(tree.Path("src/f")));
    EXPECT_TRUE(fs::is_empty(tree.Path("elsewhere")));
    EXPECT_TRUE(fs::is_empty(tree.Path("cwd")));
    EXPECT_EQ(chdir(previous), 0);
}

TEST_F(TrashTest, AFileOffTheHomeFileSystemGoesToTheTrashAtItsMountsTop) {
    const auto folder = [](const std::string& path, mode_t mode, uid_t owner = 0) {
        EXPECT_EQ(mkdir(path.c_str(), 0700) | chmod(path.c_str(), mode) | chown(path.c_str(), owner, owner), 0);
    };
    const struct {
        std::function<void(const std::string& top)> arrange;
        std::string result;  // the Trash under the top folder, or (from a '/') the end of the reason
    } cases[] = {
        {[](auto&) {}, ".Trash-0"},
        {[&](auto& top) { folder(top + "/.Trash", 01777); }, ".Trash/0"},
        {[&](auto& top) { folder(top + "/.Trash", 0777); }, ".Trash-0"},  // not sticky: not shared
        {[](auto& top) { fs::create_directory_symlink("../outside", top + "/.Trash-0"); },
         "/.Trash-0 is a symbolic link"},
        {[&](auto& top) { folder(top + "/.Trash-0", 0700, 1234); }, "/.Trash-0 belongs to another user"},
    };
    tree.Folder("outside");
    UseDataHome("data");
    int mount = 0;
    for (const auto& [arrange, result] : cases) {
        const std::string top = "mnt" + std::to_string(++mount);
        if (!MountTmpfs(top, "1m")) GTEST_SKIP() << "mounting a tmpfs needs root";
        fs::create_directories(tree.Path(top + "/a/b"));
        tree.File(top + "/a/b/f");
        arrange(tree.Path(top));
        const TrashOutcome outcome = Trash(top + "/a/b", "f");
        if (!result.starts_with('/')) {
            ExpectTrashed(outcome, top + "/" + result, top + "/a/b/f");
            continue;
        }
        EXPECT_NE(outcome.error, 0);
        EXPECT_TRUE(outcome.reason.ends_with(tree.Path(top) + result)) << outcome.reason;
        EXPECT_TRUE(Exists(tree.Path(top + "/a/b/f")));
    }
    EXPECT_TRUE(fs::is_empty(tree.Path("outside")));
    EXPECT_FALSE(Exists(tree.Path("data"))) << "the home Trash is not touched";
}

TEST_F(TrashTest, AFileReachedThroughABindMountGoesToTheTrashAtThatMountsTop) {
    for (const char* folder : {"real", "real/sub", "bound"}) tree.Folder(folder);
    tree.File("real/sub/f");
    testing::BindMount bound(tree.Path("real"), tree.Path("bound"));
    if (!bound.Mounted()) GTEST_SKIP() << "bind mounts need root";
    UseDataHome("data");  // same file system, but no rename from the bind mount reaches it
    ExpectTrashed(Trash("bound/sub", "f"), "bound/.Trash-0", "bound/sub/f");
}

TEST_F(TrashTest, AMoveThatFailsTakesItsRecordBackAndOnAFullDiskNothingMoves) {
    tree.Folder("home");
    UseDataHome("home/share");
    // The folder holding the home Trash cannot move into it.
    const TrashOutcome outcome = Trash("", "home");
    EXPECT_EQ(outcome.error, EINVAL) << outcome.reason;
    EXPECT_TRUE(Exists(tree.Path("home/share/Trash/files")));
    EXPECT_TRUE(fs::is_empty(tree.Path("home/share/Trash/info")));

    if (!MountTmpfs("disk", "256k")) GTEST_SKIP() << "mounting a tmpfs needs root";
    fs::create_directories(tree.Path("disk/data/Trash/files"));
    fs::create_directories(tree.Path("disk/data/Trash/info"));
    UseDataHome("disk/data");
    tree.File("disk/f", 1000);
    testing::WriteBytes(tree.Path("disk/filler"), std::string(256 << 10, 'x'));  // more than is left
    EXPECT_EQ(Trash("disk", "f").error, ENOSPC);
    EXPECT_TRUE(Exists(tree.Path("disk/f")));
    EXPECT_TRUE(fs::is_empty(tree.Path("disk/data/Trash/info")));
    EXPECT_TRUE(fs::is_empty(tree.Path("disk/data/Trash/files")));
}

}  // namespace
}  // namespace twinseek
