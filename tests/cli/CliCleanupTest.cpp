// twinseek-cli clean, apply and undo on real trees, and on folders standing in
// for machines whose documents are merged and whose plan is applied where the files are.
#include "tests/cli/CliTestSupport.h"

#include <gtest/gtest.h>

namespace twinseek {
namespace {

using testing::ReadBytes;
using testing::Holds;
using testing::RunCommand;
using testing::Succeeds;
using testing::WriteBytes;

class CliCleanTest : public testing::CliTreeTest {
protected:
    CliCleanTest() {
        for (const char* folder : {"tree", "tree/a", "tree/b", "tree/ref"}) tree.Folder(folder);
        for (const char* folder : {"a", "b", "ref"}) {
            WriteBytes(Path(std::string("tree/") + folder + "/photo"), "photo bytes");
            WriteBytes(Path(std::string("tree/") + folder + "/song"), "song bytes, longer");
        }
        Succeeds({"scan", "--save", Doc(), Path("tree")});
    }
    std::string Doc() const { return Path("doc.tws"); }
    ino_t Inode(const std::string& name) const {
        struct stat status {};
        EXPECT_EQ(lstat(Path(name).c_str(), &status), 0) << name;
        return status.st_ino;
    }
};

TEST_F(CliCleanTest, DryRunPlansAndCleanLinksEveryCopyButTheReferencesOne) {
    const testing::CliRun plan = Succeeds({"clean", Doc(), "--keep", "shortest", "--reference", Path("tree/ref"),
                                           "--dry-run", "--format", "json"});
    for (const char* file : {"tree/a/photo", "tree/b/photo", "tree/a/song", "tree/b/song"})
        EXPECT_TRUE(Holds(plan.out, "{\"path\": \"" + Path(file) + "\", \"anchor\": \"" + Path("tree") + "\", \"size\": "));
    EXPECT_TRUE(Holds(plan.out, "\"keep\": {\"path\": \"" + Path("tree/ref/photo") + "\""));
    EXPECT_FALSE(Holds(plan.out, "\n  {\"path\": \"" + Path("tree/ref/")))
        << "a file under a reference folder is never one to act on";
    EXPECT_NE(Inode("tree/a/photo"), Inode("tree/ref/photo")) << "a dry run changes nothing";

    Succeeds({"clean", Doc(), "--keep", "shortest", "--reference", Path("tree/ref"), "--action", "hardlink", "--save",
              Doc()});
    for (const char* name : {"photo", "song"})
        for (const char* folder : {"a", "b"})
            EXPECT_EQ(Inode(std::string("tree/") + folder + "/" + name), Inode(std::string("tree/ref/") + name));
    EXPECT_EQ(RunCommand({"groups", Doc()}).out, "") << "linked paths are one file: no group is left";

    Succeeds({"undo"});
    EXPECT_NE(Inode("tree/a/photo"), Inode("tree/ref/photo"));
    EXPECT_EQ(ReadBytes(Path("tree/a/photo")), "photo bytes");
}

TEST_F(CliCleanTest, ARefusedFileMakesTheStatusOneAfterTheOthersAreDone) {
    // The photo that stays is changed after the scan: its copies have nothing to match.
    WriteBytes(Path("tree/ref/photo"), "other bytes");
    const testing::CliRun run =
        RunCommand({"clean", Doc(), "--keep", "first", "--reference", Path("tree/ref"), "--action", "delete"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Holds(run.out, "refused " + Path("tree/a/photo") + ": No copy that stays is on disk as it was compared"));
    EXPECT_TRUE(Exists("tree/a/photo"));
    EXPECT_FALSE(Exists("tree/a/song")) << "the songs went all the same";
    EXPECT_EQ(RunCommand({"clean", Doc(), "--keep", "sideways"}).status, 2);
}

class CliMachinesTest : public testing::CliTreeTest {
protected:
    CliMachinesTest() {
        for (const char* folder : {"laptop", "laptop/photos", "nas", "nas/backup"}) tree.Folder(folder);
        // Copies across the machines, each of a size no other file of its machine has.
        for (const char* machine : {"laptop/photos/", "nas/backup/"}) {
            WriteBytes(Path(std::string(machine) + "a.jpg"), "holiday photo");
            WriteBytes(Path(std::string(machine) + "song\xff.mp3"), "la la la la");
        }
        WriteBytes(Path("laptop/shared.txt"), "the laptop's");
        WriteBytes(Path("nas/shared.txt"), "the nas's own text");
    }
    // Scans each machine where it is and merges the documents, each under /net/NAME.
    testing::CliRun ScanAndMerge(bool digestAll, const std::string& out = "all.tws") {
        for (const char* machine : {"laptop", "nas"}) {
            std::vector<std::string> scan = {"scan", "--save", Path(std::string(machine) + ".tws"), tree.Path(machine)};
            if (digestAll) scan.push_back("--digest-all");
            Succeeds(scan);
        }
        return Succeeds({"merge", Path(out), "--map", Map("laptop"), Path("laptop.tws"), "--map", Map("nas"),
                         Path("nas.tws")});
    }
    std::string Map(const std::string& machine) const { return tree.Path(machine) + "=/net/" + machine; }
    std::string Back(const std::string& machine) const { return "/net/" + machine + "=" + tree.Path(machine); }
};

TEST_F(CliMachinesTest, TheSameFileOnTwoMachinesIsAGroupOfTheMergedDocumentOnceEveryFileIsDigested) {
    EXPECT_TRUE(Holds(ScanAndMerge(false).err,
                      "4 files share their size with a file of another document but have no digest"));
    EXPECT_EQ(RunCommand({"groups", Path("all.tws")}).out, "");
    EXPECT_FALSE(Holds(ScanAndMerge(true).err, "no digest"));
    const std::string groups = RunCommand({"groups", Path("all.tws")}).out;
    for (const char* path : {"/net/laptop/photos/a.jpg\n", "/net/nas/backup/a.jpg\n", "/net/nas/backup/song\\377.mp3\n"})
        EXPECT_TRUE(Holds(groups, path));

    // A refresh with --digest-all digests what came since; a lone input merges to its own bytes.
    WriteBytes(tree.Path("laptop/new.txt"), "the nas's own text");
    const std::string laptop = Path("laptop.tws");
    Succeeds({"open", laptop, "--refresh", "--digest-all", "--save", laptop});
    Succeeds({"merge", Path("all.tws"), "--map", Map("laptop"), laptop, "--map", Map("nas"), Path("nas.tws")});
    EXPECT_TRUE(Holds(RunCommand({"groups", Path("all.tws")}).out, "/net/laptop/new.txt\n/net/nas/shared.txt\n"));
    Succeeds({"merge", Path("alone.tws"), laptop});
    EXPECT_EQ(ReadBytes(Path("alone.tws")), ReadBytes(laptop));
}

TEST_F(CliMachinesTest, ACollidingPathIsRefusedWithItsPathAndNothingIsWritten) {
    for (const char* machine : {"laptop", "nas"})
        Succeeds({"scan", "--save", Path(std::string(machine) + ".tws"), tree.Path(machine)});
    WriteBytes(Path("all.tws"), "an older merge");
    const testing::CliRun run =
        RunCommand({"merge", Path("all.tws"), "--map", tree.Path("laptop") + "=/net/same", Path("laptop.tws"), "--map",
                    tree.Path("nas") + "=/net/same", Path("nas.tws")});
    EXPECT_EQ(run.status, 1);
    // Their times differ too when a clock tick falls between the two writes.
    EXPECT_TRUE(Holds(run.err, "/net/same/shared.txt is a different file in two catalogues: they differ in size"));
    EXPECT_TRUE(run.err.ends_with("; nothing was written\n")) << run.err;
    EXPECT_EQ(ReadBytes(Path("all.tws")), "an older merge");
    EXPECT_EQ(RunCommand({"merge", Path("all.tws"), Path("laptop.tws"), "--map", "/a=/b"}).status, 2)
        << "a map after the last input maps nothing";
}

TEST_F(CliMachinesTest, APlanIsAppliedWhereTheFilesAreAndEachFileIsCheckedThere) {
    ScanAndMerge(true);
    WriteBytes(Path("plan.json"), Succeeds({"clean", Path("all.tws"), "--keep", "first", "--reference", "/net/laptop",
                                            "--dry-run", "--format", "json"}).out);
    const std::string a = "nas/backup/a.jpg", song = "nas/backup/song\xff.mp3";

    // Where neither machine's files are, clean and apply alike refuse every file with its reason, and keep it.
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"apply", Path("plan.json")},
          std::vector<std::string>{"clean", Path("all.tws"), "--keep", "first", "--reference", "/net/laptop", "--save",
                                   Path("all.tws")}}) {
        const testing::CliRun refused = RunCommand(command);
        EXPECT_EQ(refused.status, 1);
        EXPECT_TRUE(Holds(refused.out, "refused /net/nas/backup/a.jpg: Not on this computer\n"));
        EXPECT_TRUE(Exists(a) && Exists(song));
    }
    EXPECT_TRUE(Holds(RunCommand({"groups", Path("all.tws")}).out, "/net/nas/backup/a.jpg")) << "clean took nothing for gone";

    // On the NAS, the laptop's copies are not there: each file's own digest stands for them.
    EXPECT_TRUE(Holds(Succeeds({"apply", Path("plan.json"), "--map", Back("nas")}).out,
                      "trashed " + Path(a) + "  (its SHA-1 is that of /net/laptop/photos/a.jpg, not on this computer)"));
    EXPECT_FALSE(Exists(a) || Exists(song));
    Succeeds({"undo"});
    ASSERT_TRUE(Exists(a) && Exists(song));

    // With both at hand, a kept copy changed since the plan keeps its file.
    struct stat kept {};
    ASSERT_EQ(stat(Path("laptop/photos/song\xff.mp3").c_str(), &kept), 0);
    WriteBytes(Path("laptop/photos/song\xff.mp3"), "do re mi fa");
    const timespec times[2] = {kept.st_atim, kept.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, Path("laptop/photos/song\xff.mp3").c_str(), times, 0), 0);
    const testing::CliRun run =
        RunCommand({"apply", Path("plan.json"), "--map", Back("nas"), "--map", Back("laptop"), "--format", "json"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Holds(run.out, "\"reason\": \"No copy that stays has the same contents\""));
    EXPECT_TRUE(Exists(song));
    EXPECT_FALSE(Exists(a)) << "the others are done all the same";
}

}  // namespace
}  // namespace twinseek
