// twinseek-cli clean and undo on a real tree: the plan a dry run gives, files
// under a reference folder never touched, hard links in place of copies, a
// refused file making the exit status 1 after the others, and undo.
#include "platform/FileReplacement.h"
#include "tests/cli/CliTestSupport.h"
#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace twinseek {
namespace {

using testing::ReadBytes;
using testing::RunCommand;
using testing::WriteBytes;

class CliCleanTest : public ::testing::Test {
protected:
    CliCleanTest() {
        for (const char* folder : {"tree", "tree/a", "tree/b", "tree/ref"}) tree.Folder(folder);
        for (const char* folder : {"a", "b", "ref"}) {
            WriteBytes(tree.Path(std::string("tree/") + folder + "/photo"), "photo bytes");
            WriteBytes(tree.Path(std::string("tree/") + folder + "/song"), "song bytes, longer");
        }
        const char* old = std::getenv("XDG_DATA_HOME");
        if (old) oldData = old;
        setenv("XDG_DATA_HOME", tree.Path("data").c_str(), 1);
        EXPECT_EQ(RunCommand({"scan", "--save", Doc(), tree.Path("tree")}).status, 0);
    }
    ~CliCleanTest() override {
        if (oldData.empty()) unsetenv("XDG_DATA_HOME");
        else setenv("XDG_DATA_HOME", oldData.c_str(), 1);
    }
    std::string Doc() const { return tree.Path("doc.tws"); }
    ino_t Inode(const std::string& name) const {
        struct stat status {};
        EXPECT_EQ(lstat(tree.Path(name).c_str(), &status), 0) << name;
        return status.st_ino;
    }

    testing::TemporaryTree tree;
    std::string oldData;
};

TEST_F(CliCleanTest, DryRunPlansAndCleanLinksEveryCopyButTheReferencesOne) {
    const testing::CliRun plan =
        RunCommand({"clean", Doc(), "--keep", "shortest", "--reference", tree.Path("tree/ref"), "--dry-run",
                    "--format", "json"});
    ASSERT_EQ(plan.status, 0) << plan.err;
    for (const char* file : {"tree/a/photo", "tree/b/photo", "tree/a/song", "tree/b/song"})
        EXPECT_NE(plan.out.find("{\"path\": \"" + tree.Path(file) + "\", \"anchor\": \"" + tree.Path("tree") +
                                "\", \"size\": "),
                  std::string::npos)
            << file;
    EXPECT_NE(plan.out.find("\"keep\": {\"path\": \"" + tree.Path("tree/ref/photo") + "\""), std::string::npos);
    EXPECT_EQ(plan.out.find("\n  {\"path\": \"" + tree.Path("tree/ref/")), std::string::npos)
        << "a file under a reference folder is never one to act on";
    EXPECT_NE(Inode("tree/a/photo"), Inode("tree/ref/photo")) << "a dry run changes nothing";

    const testing::CliRun cleaned = RunCommand({"clean", Doc(), "--keep", "shortest", "--reference",
                                                tree.Path("tree/ref"), "--action", "hardlink", "--save", Doc()});
    ASSERT_EQ(cleaned.status, 0) << cleaned.err;
    for (const char* name : {"photo", "song"})
        for (const char* folder : {"a", "b"})
            EXPECT_EQ(Inode(std::string("tree/") + folder + "/" + name), Inode(std::string("tree/ref/") + name));
    EXPECT_EQ(RunCommand({"groups", Doc()}).out, "") << "linked paths are one file: no group is left";

    const testing::CliRun undone = RunCommand({"undo"});
    EXPECT_EQ(undone.status, 0) << undone.out;
    EXPECT_NE(Inode("tree/a/photo"), Inode("tree/ref/photo"));
    EXPECT_EQ(ReadBytes(tree.Path("tree/a/photo")), "photo bytes");
}

TEST_F(CliCleanTest, ARefusedFileMakesTheStatusOneAfterTheOthersAreDone) {
    // The photo that stays is changed after the scan: its copies have nothing to match.
    WriteBytes(tree.Path("tree/ref/photo"), "other bytes");
    const testing::CliRun run =
        RunCommand({"clean", Doc(), "--keep", "first", "--reference", tree.Path("tree/ref"), "--action", "delete"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("refused " + tree.Path("tree/a/photo") + ": No copy that stays is on disk as it was compared"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(access(tree.Path("tree/a/photo").c_str(), F_OK), 0);
    EXPECT_NE(access(tree.Path("tree/a/song").c_str(), F_OK), 0) << "the songs went all the same";
    EXPECT_EQ(RunCommand({"clean", Doc(), "--keep", "sideways"}).status, 2);
}

}  // namespace
}  // namespace twinseek
