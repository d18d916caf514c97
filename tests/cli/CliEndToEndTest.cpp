// twinseek-cli run in-process on real temporary trees, each with a Trash and journal
// of its own: its groups, digests, statuses and messages against the files' own bytes.
#include "catalog/TerminalText.h"
#include "catalog/TextFormat.h"
#include "cli/CliApp.h"
#include "cli/UnreadableFile.h"
#include "compare/FileDigest.h"
#include "document/Document.h"
#include "document/HeadlessPrompts.h"
#include "session/GroupReport.h"
#include "tests/platform/BindMount.h"
#include "tests/session/SessionTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <optional>
#include <set>
#include <sstream>

namespace twinseek::testing {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

CliRun RunCommand(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "twinseek-cli");
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const int status = RunCli(int(arguments.size()), argv.data());
    std::fflush(nullptr);
    return {status, ::testing::internal::GetCapturedStdout(), ::testing::internal::GetCapturedStderr()};
}

// A run that must succeed; what it printed is returned for further checks.
CliRun Succeeds(std::vector<std::string> arguments) {
    CliRun run = RunCommand(std::move(arguments));
    EXPECT_EQ(run.status, kExitSuccess) << run.out << run.err;
    return run;
}

// Whether text holds part; on failure, shows the whole text.
::testing::AssertionResult Holds(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "\"" << part << "\" is not in:\n" << text;
}

// A temporary tree whose Trash and journal are the test's own.
struct CliTreeTest : ::testing::Test {
    std::string Path(const std::string& name) const { return tree.Path(name); }
    bool Exists(const std::string& name) const { return access(tree.Path(name).c_str(), F_OK) == 0; }

    TemporaryTree tree;
    ScopedDataHome dataHome{tree.Path("xdg-data")};
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

using PathSet = std::set<std::string>;
using GroupSet = std::set<PathSet>;

// Which file on disk a path is, as text: paths with one identity are one file.
std::string IdentityOf(const std::string& path) {
    const struct stat status = StatusOf(path);
    return std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
}

// Every regular file under the roots (links not followed), grouped by
// exact content, each file once however many paths it has; only groups of two
// or more files. A group is the set of its files' identities. Each path goes
// into pathOf under the form the text report shows it in.
GroupSet GroupsByContent(const std::vector<std::string>& roots, std::map<std::string, std::string>* pathOf = nullptr) {
    std::map<std::string, PathSet> byContent;
    for (const std::string& root : roots) {
        std::error_code error;
        fs::recursive_directory_iterator walk(root, fs::directory_options::skip_permission_denied, error);
        for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error))
            if (walk->symlink_status().type() == fs::file_type::regular) {
                byContent[ReadBytes(walk->path())].insert(IdentityOf(walk->path()));
                if (pathOf) (*pathOf)[TerminalText(walk->path().string())] = walk->path();
            }
        EXPECT_FALSE(error) << root << ": " << error.message();
    }
    GroupSet groups;
    for (auto& [bytes, identities] : byContent)
        if (identities.size() >= 2) groups.insert(identities);
    return groups;
}

// One group of the text report: its header line and its paths as shown.
struct ReportedGroup {
    std::string header;
    std::vector<std::string> files;
};

std::vector<ReportedGroup> ParseText(const std::string& report) {
    std::vector<ReportedGroup> groups;
    bool inGroup = false;
    for (const std::string& line : Lines(report)) {
        if (inGroup && !line.empty()) groups.back().files.push_back(line);
        else if (!line.empty()) groups.push_back({line, {}});
        inGroup = !line.empty();
    }
    return groups;
}

// The text report holds exactly the content groups of the files under roots, each
// file listed once (by one of its paths), each header giving the size, count and digest of its files.
void ExpectGroupsMatch(const std::string& report, const std::vector<std::string>& roots) {
    std::map<std::string, std::string> pathOf;
    const GroupSet expected = GroupsByContent(roots, &pathOf);
    GroupSet members;
    PathSet distinct;
    size_t listed = 0;
    for (const ReportedGroup& group : ParseText(report)) {
        ASSERT_FALSE(group.files.empty()) << group.header;
        PathSet identities;
        for (const std::string& shown : group.files) {
            ASSERT_TRUE(pathOf.contains(shown)) << shown << " is no file under the roots";
            identities.insert(IdentityOf(pathOf[shown]));
        }
        members.insert(identities);
        distinct.insert(identities.begin(), identities.end());
        listed += group.files.size();
        const std::string& first = pathOf[group.files.front()];
        EXPECT_EQ(group.header, std::string(FormatSizeWithUnit(fs::file_size(first)).CStr()) + " [" +
                                    std::to_string(group.files.size()) + " Copies] " + DigestTextOf(ReadBytes(first)));
    }
    EXPECT_EQ(members, expected);
    EXPECT_EQ(listed, distinct.size()) << "a file is listed more than once";
}

TEST(CliScanTest, AFileReachedByManyPathsIsOneFileInEveryReportAndInDocuments) {
    TemporaryTree tree;
    for (const char* folder : {"one", "two", "two/mirror", "docs"}) tree.Folder(folder);
    const std::string content = RandomContent(6000, 3);
    WriteBytes(tree.Path("one/a"), content);
    ASSERT_EQ(link(tree.Path("one/a").c_str(), tree.Path("one/a-hard").c_str()), 0);
    WriteBytes(tree.Path("two/copy"), content);
    WriteBytes(tree.Path("one/solo"), "one file with two names is no group");
    ASSERT_EQ(link(tree.Path("one/solo").c_str(), tree.Path("two/solo-hard").c_str()), 0);
    // Where root may, "one" is seen once more through a bind mount inside "two".
    std::optional<BindMount> mirror;
    if (geteuid() == 0) mirror.emplace(tree.Path("one"), tree.Path("two/mirror"));
    const bool mirrored = mirror && mirror->Mounted();

    // "one" is walked first, so either of its paths stands for the file,
    // "copy" after it. A loaded document takes the first in name order.
    auto groupWith = [&](const std::string& first, const std::string& other) {
        return GroupsAsJson(
            {{6000, DigestTextOf(content), {tree.Path(first), tree.Path("two/copy")}, {{tree.Path(other)}, {}}}});
    };
    const std::vector<std::string> roots{tree.Path("one"), tree.Path("two")};
    CliRun scan = Succeeds({"scan", "--format", "json", "--save", tree.Path("docs/d.tws"), roots[0], roots[1]});
    EXPECT_TRUE(scan.out == groupWith("one/a", "one/a-hard") || scan.out == groupWith("one/a-hard", "one/a"))
        << scan.out;
    EXPECT_EQ(scan.err, mirrored ? "twinseek-cli: did not enter 1 folder again, already entered through another path "
                                   "(a bind mount): \"" + tree.Path("two/mirror") + "\"\n"
                                 : "");
    CliRun loaded = RunCommand({"groups", tree.Path("docs/d.tws"), "--format", "json"});
    EXPECT_EQ(loaded.out, groupWith("one/a", "one/a-hard"));
    // A refresh tells the paths apart by what its walk found.
    EXPECT_EQ(RunCommand({"open", tree.Path("docs/d.tws"), "--refresh", "--format", "json"}).out, loaded.out);
    ExpectGroupsMatch(RunCommand({"groups", tree.Path("docs/d.tws")}).out, roots);
    // Saved uncompared, the paths are linked as they meet in their groups; a
    // root spelled the long way round, inside one listed already, is not listed again.
    Succeeds({"scan", "--compare", "1", "--save", tree.Path("docs/u.tws"), roots[0], roots[1],
              tree.Path("two/mirror/..")});
    EXPECT_EQ(RunCommand({"open", tree.Path("docs/u.tws"), "--compare", "all", "--format", "json"}).out,
              groupWith("one/a", "one/a-hard"));
    if (!mirrored) std::printf("bind mount not tested: it needs root\n");
}

TEST(CliScanTest, ExitStatusesSayWhatWentWrong) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {}, {"frobnicate", "/"}, {"scan", "--format", "xml", "/"}, {"digest"}}) {
        CliRun run = RunCommand(arguments);
        EXPECT_EQ(run.status, kExitUsage) << ::testing::PrintToString(arguments);
        EXPECT_TRUE(run.err.starts_with("twinseek-cli: ")) << run.err;
        EXPECT_NE(run.err.find("Usage:"), std::string::npos);
        EXPECT_EQ(run.out, "");
    }
    TemporaryTree tree;
    const std::string missing = tree.Path("missing");
    const std::string damaged = tree.Path("damaged.tws");
    WriteBytes(damaged, std::string(30, '\0'));  // a document cut short
    const std::string link = tree.Path("link");
    ASSERT_EQ(symlink(tree.Path("").c_str(), link.c_str()), 0);
    // Opening a FIFO for reading would wait for a writer that never comes.
    const std::string fifo = tree.Path("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    const std::pair<std::vector<std::string>, std::string> failures[] = {
        {{"scan", missing}, "cannot scan " + missing + ": No such file or directory"},
        {{"scan", link},
         "cannot scan " + link + ": it is a symbolic link, and links are never followed; name the folder it points to"},
        {{"digest", missing}, missing + ": No such file or directory"},
        {{"digest", fifo}, fifo + " is not a regular file (FIFO)"},
        {{"digest", "/dev/null"}, "/dev/null is not a regular file (character device)"},
        {{"groups", fifo}, "Could not open " + fifo + ": not a regular file (FIFO)"},
        {{"groups", damaged, "--format", "json"},
         "Could not open " + damaged + ": End of archive file exception: the document ends at byte 30, before its "
                                       "last record"}};
    for (const auto& [arguments, message] : failures) {
        CliRun run = RunCommand(arguments);
        EXPECT_EQ(run.status, kExitFailure) << message;
        EXPECT_EQ(run.err, "twinseek-cli: " + message + "\n");
        EXPECT_EQ(run.out, "");
    }
}

TEST(CliUnreadableTest, AFileThatLooksReadableNowIsToldWithTheReasonItsWorkerMet) {
    CatalogedDirectory files;
    FileItem* file = files.AddFile("fine", "12345");
    const std::pair<ReadFailure, std::string> cases[] = {
        {{ReadFailure::SystemError, EIO}, "Input/output error"},
        {{ReadFailure::SizeChanged, 0}, "it was not of its catalogued size (5 bytes) when it was read"},
        {{ReadFailure::CutShort, 0}, "it became shorter while it was read"},
        {{}, "it is a further path of a file that could not be read"}};
    for (const auto& [failure, reason] : cases)
        EXPECT_EQ(DescribeUnreadable(*file, failure), "could not read " + files.Path("fine") + ": " + reason);
}

// The digest itself is checked in Sha1DigestTest; here the file reading around
// its block and read-piece edges, and the line per file.
TEST(CliDigestTest, GivesTheDigestOfEachFileAcrossReadEdges) {
    TemporaryTree tree;
    std::vector<std::string> arguments{"digest"}, expected;
    const size_t sizes[] = {0, 1, 16383, 16384, 16385, 65535, 65536, 65537, 2 * kReadPieceSize + 7,
                            kMappedDigestMinSize - 1, kMappedDigestMinSize, kMappedViewSize + kReadPieceSize + 7};
    for (size_t size : sizes) {
        arguments.push_back(tree.Path("file-" + std::to_string(size)));
        WriteBytes(arguments.back(), RandomContent(size, uint32_t(size)));
        expected.push_back(DigestTextOf(ReadBytes(arguments.back())) + "  " + arguments.back());
    }
    EXPECT_EQ(Lines(Succeeds(arguments).out), expected);
}

// A small tree to scan, and a folder for documents outside it.
struct CliDocumentTest : CliTreeTest {
    void SetUp() override {
        for (const char* folder : {"data", "docs"}) tree.Folder(folder);
        data = tree.Path("data");
        // Names a terminal would act on, bytes that are not UTF-8, a quote, a backslash and a tab.
        for (const char* name : {"clear\x1b[2J", "two", "odd\xFFname\"\\\t"}) WriteBytes(data + "/" + name, "triple");
        for (const char* name : {"big1", "big2"}) WriteBytes(data + "/" + name, RandomContent(30000, 8));
        WriteBytes(data + "/decoy", WithByteFlipped(RandomContent(30000, 8), 29999));
        for (const char* name : {"e1", "e2"}) WriteBytes(data + "/" + name, "");
        ASSERT_EQ(GroupsByContent({data}).size(), 3u);
    }
    std::string Doc(const std::string& name) const { return tree.Path("docs/" + name); }

    std::string data;
};

TEST_F(CliDocumentTest, ARefreshTakesInWhatChangedAndOfAnUnchangedTreeChangesNothing) {
    // Written long ago, so that a rewrite of the same length shows in its time.
    for (const fs::directory_entry& entry : fs::directory_iterator(data))
        SetWriteTime(entry.path(), time(nullptr) - 1000);
    Succeeds({"scan", "--save", Doc("A.tws"), data});
    // Gone, new, rewritten with other bytes, and rewritten as a copy of files compared before.
    ASSERT_EQ(unlink(tree.Path("data/e1").c_str()), 0);
    WriteBytes(tree.Path("data/new"), "triple");
    WriteBytes(tree.Path("data/two"), "TRIPLE");
    WriteBytes(tree.Path("data/decoy"), RandomContent(30000, 8));

    CliRun refresh = Succeeds({"open", Doc("A.tws"), "--refresh", "--format", "json-report", "--save", Doc("R.tws")});
    EXPECT_EQ(refresh.err, "Refreshed: 1 new, 2 changed, 1 gone\n");
    EXPECT_TRUE(Holds(refresh.out, "\n\"skipped\": {\"unlistable_folders\": {\"count\": 0"));
    EXPECT_TRUE(refresh.out.ends_with(",\n\"refresh\": {\"new\": 1, \"changed\": 2, \"gone\": 1}}\n")) << refresh.out;
    ExpectGroupsMatch(RunCommand({"groups", Doc("R.tws")}).out, {data});

    CliRun again = RunCommand({"open", Doc("R.tws"), "--refresh", "--save", Doc("R2.tws")});
    EXPECT_EQ(again.err, "Refreshed: 0 new, 0 changed, 0 gone\n");
    EXPECT_TRUE(ReadBytes(Doc("R.tws")) == ReadBytes(Doc("R2.tws")));
}

// The state a saved document gives the file of that name.
int32_t StateInDocument(const std::string& document, std::string_view name) {
    HeadlessPrompts prompts;
    Document loaded(prompts);
    EXPECT_TRUE(loaded.OpenFile(document)) << document;
    const FileItem* file = RecordOf(loaded, name);
    EXPECT_TRUE(file) << name << " is not in " << document;
    return file ? file->compareState.load() : -1;
}

TEST_F(CliDocumentTest, SavedDocumentsResaveByteForByteAndScreeningLeavesWhatItRulesOutToCompareLater) {
    // Differs from big1 in its first byte only: its first 4 KiB tell it apart.
    WriteBytes(tree.Path("data/head-differs"), WithByteFlipped(RandomContent(30000, 8), 0));
    const std::string screened = Succeeds({"scan", "--save", Doc("S.tws"), data}).out;
    ExpectGroupsMatch(screened, {data});
    EXPECT_EQ(screened.find('\x1b'), std::string::npos) << "no escape character reaches the terminal";
    ExpectGroupsMatch(Succeeds({"groups", Doc("S.tws")}).out, {data});
    Succeeds({"open", Doc("S.tws"), "--save", Doc("B.tws")});
    const std::string saved = ReadBytes(Doc("S.tws"));
    ASSERT_FALSE(saved.empty());
    EXPECT_TRUE(saved == ReadBytes(Doc("B.tws"))) << "B.tws differs from S.tws";
    EXPECT_EQ(screened, Succeeds({"scan", "--full", "--save", Doc("F.tws"), data}).out);
    EXPECT_EQ(StateInDocument(Doc("S.tws"), "head-differs"), NotCompared);
    EXPECT_EQ(StateInDocument(Doc("F.tws"), "head-differs"), Finished);
    EXPECT_EQ(StateInDocument(Doc("S.tws"), "decoy"), Finished) << "its first 4 KiB are big1's";

    ExpectGroupsMatch(Succeeds({"open", Doc("S.tws"), "--compare", "all", "--full", "--save", Doc("L.tws")}).out, {data});
    EXPECT_EQ(StateInDocument(Doc("L.tws"), "head-differs"), Finished);

    EXPECT_EQ(Succeeds({"scan", "--compare", "none", "--save", Doc("N.tws"), "--format", "json", data}).out, "[]\n");
    ExpectGroupsMatch(Succeeds({"open", Doc("N.tws"), "--compare", "all"}).out, {data});
}

TEST_F(CliDocumentTest, FilesPassedOverOrChangedSinceTheScanAreNotComparedAndSaySo) {
    // What the scan passes over is told by cause; a partial listing is no failure.
    WriteBytes(tree.Path("data/two\nlines"), "x");
    const CliRun scan =
        Succeeds({"scan", "--compare", "1", "--format", "json-report", "--save", Doc("C.tws"), data, "/proc"});
    EXPECT_EQ(Lines(scan.err), (std::vector<std::string>{
                                   "twinseek-cli: left out 1 entry whose name holds a line break, which a document "
                                   "cannot record: \"" + data + "/two\\nlines\"",
                                   "twinseek-cli: did not enter 1 folder on file systems that hold no user files "
                                   "(such as /proc): \"/proc\""}));
    EXPECT_TRUE(Holds(scan.out, "\"pseudo_file_systems\": {\"count\": 1, \"examples\": [\"/proc\"]}"));
    // Both copies replaced by smaller twins, and an empty file by a FIFO.
    for (const char* name : {"big1", "big2"}) WriteBytes(tree.Path(std::string("data/") + name), "now tiny");
    ASSERT_EQ(unlink(tree.Path("data/e1").c_str()), 0);
    ASSERT_EQ(mkfifo(tree.Path("data/e1").c_str(), 0644), 0);

    CliRun open = Succeeds({"open", Doc("C.tws"), "--compare", "all"});
    std::vector<ReportedGroup> groups = ParseText(open.out);
    ASSERT_EQ(groups.size(), 1u) << open.out;
    EXPECT_EQ(groups[0].files.size(), 3u) << "only the unchanged triple";
    std::vector<std::string> messages = Lines(open.err);
    std::sort(messages.begin(), messages.end());
    const std::string changed = " changed after it was catalogued (30000 bytes then, 8 now), so it was not compared";
    EXPECT_EQ(messages, (std::vector<std::string>{"twinseek-cli: " + data + "/big1" + changed,
                                                  "twinseek-cli: " + data + "/big2" + changed,
                                                  "twinseek-cli: " + data + "/e1 is not a regular file (FIFO)"}));
}

class CliCleanTest : public CliTreeTest {
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
    ino_t Inode(const std::string& name) const { return StatusOf(Path(name)).st_ino; }
};

TEST_F(CliCleanTest, DryRunPlansAndCleanLinksEveryCopyButTheReferencesOne) {
    const CliRun plan = Succeeds({"clean", Doc(), "--keep", "shortest", "--reference", Path("tree/ref"),
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
    const CliRun run =
        RunCommand({"clean", Doc(), "--keep", "first", "--reference", Path("tree/ref"), "--action", "delete"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Holds(run.out, "refused " + Path("tree/a/photo") + ": No copy that stays is on disk as it was compared"));
    EXPECT_TRUE(Exists("tree/a/photo"));
    EXPECT_FALSE(Exists("tree/a/song")) << "the songs went all the same";
    EXPECT_EQ(RunCommand({"clean", Doc(), "--keep", "sideways"}).status, 2);
}

class CliMachinesTest : public CliTreeTest {
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
    CliRun ScanAndMerge(bool digestAll, const std::string& out = "all.tws") {
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

TEST_F(CliMachinesTest, TheSameFileOnTwoMachinesIsOneGroupOnceDigestedAndACollidingPathWritesNothing) {
    EXPECT_TRUE(Holds(ScanAndMerge(false).err,
                      "4 files share their size with a file of another document but have no digest"));
    EXPECT_EQ(RunCommand({"groups", Path("all.tws")}).out, "");
    EXPECT_FALSE(Holds(ScanAndMerge(true).err, "no digest"));
    const std::string groups = RunCommand({"groups", Path("all.tws")}).out;
    for (const char* path : {"/net/laptop/photos/a.jpg\n", "/net/nas/backup/a.jpg\n", "/net/nas/backup/song\\377.mp3\n"})
        EXPECT_TRUE(Holds(groups, path));

    // A lone input merges to its own bytes.
    Succeeds({"merge", Path("alone.tws"), Path("laptop.tws")});
    EXPECT_EQ(ReadBytes(Path("alone.tws")), ReadBytes(Path("laptop.tws")));

    // Both machines mapped to one place: the path they share collides, and the merge before stays.
    const std::string merged = ReadBytes(Path("all.tws"));
    const CliRun run =
        RunCommand({"merge", Path("all.tws"), "--map", tree.Path("laptop") + "=/net/same", Path("laptop.tws"), "--map",
                    tree.Path("nas") + "=/net/same", Path("nas.tws")});
    EXPECT_EQ(run.status, 1);
    // Their times differ too when a clock tick falls between the two writes.
    EXPECT_TRUE(Holds(run.err, "/net/same/shared.txt is a different file in two catalogues: they differ in size"));
    EXPECT_TRUE(run.err.ends_with("; nothing was written\n")) << run.err;
    EXPECT_EQ(ReadBytes(Path("all.tws")), merged);
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
        const CliRun refused = RunCommand(command);
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
    RewriteKeepingTime(Path("laptop/photos/song\xff.mp3"), "do re mi fa");
    const CliRun run =
        RunCommand({"apply", Path("plan.json"), "--map", Back("nas"), "--map", Back("laptop"), "--format", "json"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Holds(run.out, "\"reason\": \"No copy that stays has the same contents\""));
    EXPECT_TRUE(Exists(song));
    EXPECT_FALSE(Exists(a)) << "the others are done all the same";
}

}  // namespace
}  // namespace twinseek::testing
