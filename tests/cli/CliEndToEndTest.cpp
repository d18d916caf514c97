// twinseek-cli run in-process on real temporary trees: the groups, digests,
// exit statuses and messages it gives, checked against the files' own bytes
// and against published SHA-1 values.
#include "catalog/TextFormat.h"
#include "cli/UnreadableFile.h"
#include "compare/FileDigest.h"
#include "document/Document.h"
#include "document/HeadlessPrompts.h"
#include "session/GroupReport.h"
#include "tests/cli/CliTestSupport.h"
#include "tests/platform/BindMount.h"

#include <algorithm>
#include <ctime>
#include <map>
#include <optional>
#include <set>
#include <sstream>

namespace twinseek {
namespace {

using testing::CliRun;
using testing::DigestTextOf;
using testing::Holds;
using testing::ReadBytes;
using testing::RunCommand;
using testing::RandomContent;
using testing::Succeeds;
using testing::TemporaryTree;
using testing::WriteBytes;
namespace fs = std::filesystem;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

std::string WithByteFlipped(std::string bytes, size_t at) {
    bytes[at] = char(bytes[at] ^ 0x5A);
    return bytes;
}

using PathSet = std::set<std::string>;
using GroupSet = std::set<PathSet>;

// Which file on disk a path is, as text: paths with one identity are one file.
std::string IdentityOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(lstat(path.c_str(), &status), 0) << path;
    return std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
}

// Every regular file under the roots (links not followed), grouped by
// exact content, each file once however many paths it has; only groups of two
// or more files. A group is the set of its files' identities.
GroupSet GroupsByContent(const std::vector<std::string>& roots) {
    PathSet files;
    for (const std::string& root : roots) {
        std::error_code error;
        fs::recursive_directory_iterator walk(root, fs::directory_options::skip_permission_denied, error);
        for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error))
            if (walk->symlink_status().type() == fs::file_type::regular) files.insert(walk->path().string());
        EXPECT_FALSE(error) << root << ": " << error.message();
    }
    std::map<std::string, PathSet> byContent;
    for (const std::string& path : files)
        byContent[ReadBytes(path)].insert(IdentityOf(path));
    GroupSet groups;
    for (auto& [bytes, identities] : byContent)
        if (identities.size() >= 2) groups.insert(identities);
    return groups;
}

// A path of the text report as it was before "ls -b" escaping.
std::string Unescaped(std::string_view shown) {
    static const std::string_view kNamed = "a\ab\bt\tn\nv\vf\fr\r\\\\";
    std::string path;
    for (size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] != '\\' || i + 1 == shown.size()) {
            path += shown[i];
        } else if (size_t named = kNamed.find(shown[i + 1]); named != std::string_view::npos && named % 2 == 0) {
            path += kNamed[named + 1];
            ++i;
        } else {
            path += char(std::stoi(std::string(shown.substr(i + 1, 3)), nullptr, 8));
            i += 3;
        }
    }
    return path;
}

// One group of the text report: its header line and its paths (unescaped).
struct ReportedGroup {
    std::string header;
    std::vector<std::string> files;
};

std::vector<ReportedGroup> ParseText(const std::string& report) {
    std::vector<ReportedGroup> groups;
    bool inGroup = false;
    for (const std::string& line : Lines(report)) {
        if (inGroup && !line.empty()) groups.back().files.push_back(Unescaped(line));
        else if (!line.empty()) groups.push_back({line, {}});
        inGroup = !line.empty();
    }
    return groups;
}

// The text report holds exactly the content groups, each file listed once
// (by one of its paths), each header giving the size, count and digest of its files.
void ExpectGroupsMatch(const std::string& report, const GroupSet& expected) {
    GroupSet members;
    PathSet distinct;
    size_t listed = 0;
    for (const ReportedGroup& group : ParseText(report)) {
        ASSERT_FALSE(group.files.empty()) << group.header;
        PathSet identities;
        for (const std::string& path : group.files) identities.insert(IdentityOf(path));
        members.insert(identities);
        distinct.insert(identities.begin(), identities.end());
        listed += group.files.size();
        const std::string& first = group.files.front();
        EXPECT_EQ(group.header, std::string(FormatSizeWithUnit(fs::file_size(first)).CStr()) + " [" +
                                    std::to_string(group.files.size()) + " Copies] " + DigestTextOf(ReadBytes(first)));
    }
    EXPECT_EQ(members, expected);
    EXPECT_EQ(listed, distinct.size()) << "a file is listed more than once";
}

TEST(CliScanTest, FindsExactlyTheGroupsOfIdenticalContentAmongAwkwardEntries) {
    TemporaryTree tree;
    const std::string a = RandomContent(5000, 1);
    const std::string b = RandomContent(40000, 2);  // more than two read blocks
    for (const char* folder : {"a", "a/deep", "big", ".hidden", "names"}) tree.Folder(folder);
    // Copies across folders and a hard link, which is a second name for the
    // same file: no copy of it.
    for (const char* name : {"top.bin", "a/copy.bin", "a/deep/copy3.bin"}) WriteBytes(tree.Path(name), a);
    EXPECT_EQ(link(tree.Path("top.bin").c_str(), tree.Path("a/hard.bin").c_str()), 0);
    for (const char* name : {"big/one.bin", "big/two.bin"}) WriteBytes(tree.Path(name), b);
    // Empty files, hidden ones included, are all one group.
    for (const char* name : {"empty1", "a/deep/empty2", ".hidden/.empty"}) WriteBytes(tree.Path(name), "");
    // Names a terminal would act on, bytes that are not UTF-8, a quote, a backslash and a tab.
    for (const char* name : {"names/clear\x1b[2J", "names/bad\xFF\xFEname", "names/we\"ird\\name\t"})
        WriteBytes(tree.Path(name), "escape");
    WriteBytes(tree.Path("unique.txt"), "only one of these");
    // Links are never members: to a file, dangling, looping, to a parent folder.
    tree.Link("link-to-top", "top.bin");
    tree.Link("dangling", "nowhere");
    tree.Link("loop", "loop");
    tree.Link("a/deep/up", "../..");
    GroupSet expected = GroupsByContent({tree.Root()});
    ASSERT_EQ(expected.size(), 4u) << "a, b, empty, names";

    // Overlapping roots, one of them spelled the long way round.
    CliRun run = Succeeds({"scan", "--compare", "all", "--workers", "3", tree.Root() + "/", tree.Path("a/deep/..")});
    ExpectGroupsMatch(run.out, expected);
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos) << "no escape character reaches the terminal";
    EXPECT_EQ(run.err, "");
}

TEST(CliScanTest, WhatAScanPassesOverIsToldByCauseAndTheRunStillSucceeds) {
    TemporaryTree tree;
    WriteBytes(tree.Path("two\nlines"), "x");
    WriteBytes(tree.Path("kept1"), "same");
    WriteBytes(tree.Path("kept2"), "same");
    CliRun run = RunCommand({"scan", "--format", "json-report", tree.Root(), "/proc"});
    EXPECT_EQ(run.status, kExitSuccess) << "a partial listing is no failure";
    EXPECT_EQ(Lines(run.err), (std::vector<std::string>{
                                  "twinseek-cli: left out 1 entry whose name holds a line break, which a document "
                                  "cannot record: \"" + tree.Path("two\\nlines") + "\"",
                                  "twinseek-cli: did not enter 1 folder on file systems that hold no user files "
                                  "(such as /proc): \"/proc\""}));
    ASSERT_TRUE(run.out.starts_with("{\"groups\": [\n  {\"size\": 4,")) << run.out;
    EXPECT_TRUE(Holds(run.out, "\"pseudo_file_systems\": {\"count\": 1, \"examples\": [\"/proc\"]}"));
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
    std::optional<testing::BindMount> mirror;
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
    ExpectGroupsMatch(RunCommand({"groups", tree.Path("docs/d.tws")}).out, GroupsByContent(roots));
    // Saved uncompared, the paths are linked as they meet in their groups.
    Succeeds({"scan", "--compare", "1", "--save", tree.Path("docs/u.tws"), roots[0], roots[1]});
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
        {{"open", "/dev/null"}, "Could not open /dev/null: not a regular file (character device)"},
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

// A file that looks readable again when it is told about: what its worker met.
TEST(CliUnreadableTest, AFileThatLooksReadableNowIsToldWithTheReasonItsWorkerMet) {
    testing::CatalogedDirectory files;
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
    std::vector<std::pair<std::string, std::string>> cases = {{"", "3I42H3S6NNFQ2MSVX7XZKYAYSCX5QBYJ"}};
    for (size_t size : {size_t(1), size_t(16383), size_t(16384), size_t(16385), size_t(65535), size_t(65536),
                        size_t(65537), 2 * kReadPieceSize + 7, size_t(kMappedDigestMinSize) - 1,
                        size_t(kMappedDigestMinSize), kMappedViewSize + kReadPieceSize + 7}) {
        std::string content = RandomContent(size, uint32_t(size));
        cases.emplace_back(content, DigestTextOf(content));
    }
    TemporaryTree tree;
    std::vector<std::string> arguments{"digest"};
    for (size_t i = 0; i < cases.size(); ++i) {
        arguments.push_back(tree.Path("file-" + std::to_string(i)));
        WriteBytes(arguments.back(), cases[i].first);
    }
    std::vector<std::string> lines = Lines(Succeeds(arguments).out);
    ASSERT_EQ(lines.size(), cases.size());
    for (size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(lines[i], cases[i].second + "  " + arguments[i + 1]);
}

// A small tree to scan, and a folder for documents outside it.
struct CliDocumentTest : ::testing::Test {
    void SetUp() override {
        for (const char* folder : {"data", "docs"}) tree.Folder(folder);
        data = tree.Path("data");
        for (const char* name : {"one", "two", "odd\xFFname"}) WriteBytes(data + "/" + name, "triple");
        for (const char* name : {"big1", "big2"}) WriteBytes(data + "/" + name, RandomContent(30000, 8));
        WriteBytes(data + "/decoy", WithByteFlipped(RandomContent(30000, 8), 29999));
        for (const char* name : {"e1", "e2"}) WriteBytes(data + "/" + name, "");
        expected = GroupsByContent({data});
        ASSERT_EQ(expected.size(), 3u);
    }
    std::string Doc(const std::string& name) const { return tree.Path("docs/" + name); }

    TemporaryTree tree;
    std::string data;
    GroupSet expected;
};

TEST_F(CliDocumentTest, SavedDocumentsGiveTheSameGroupsResaveByteForByteAndAreComparedWhenOpened) {
    ExpectGroupsMatch(Succeeds({"scan", "--save", Doc("A.tws"), data}).out, expected);
    ExpectGroupsMatch(Succeeds({"groups", Doc("A.tws")}).out, expected);
    Succeeds({"open", Doc("A.tws"), "--save", Doc("B.tws")});
    const std::string original = ReadBytes(Doc("A.tws"));
    ASSERT_FALSE(original.empty());
    EXPECT_TRUE(original == ReadBytes(Doc("B.tws"))) << "B.tws differs from A.tws";

    EXPECT_EQ(Succeeds({"scan", "--compare", "none", "--save", Doc("N.tws"), "--format", "json", data}).out, "[]\n");
    ExpectGroupsMatch(Succeeds({"open", Doc("N.tws"), "--compare", "all"}).out, expected);
}

TEST_F(CliDocumentTest, ARefreshTakesInWhatChangedAndOfAnUnchangedTreeChangesNothing) {
    // Written long ago, so that a rewrite of the same length shows in its time.
    const timespec past[2] = {{0, UTIME_OMIT}, {time(nullptr) - 1000, 0}};
    for (const fs::directory_entry& entry : fs::directory_iterator(data))
        ASSERT_EQ(utimensat(AT_FDCWD, entry.path().c_str(), past, 0), 0);
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
    ExpectGroupsMatch(RunCommand({"groups", Doc("R.tws")}).out, GroupsByContent({data}));

    CliRun again = RunCommand({"open", Doc("R.tws"), "--refresh", "--save", Doc("R2.tws")});
    EXPECT_EQ(again.err, "Refreshed: 0 new, 0 changed, 0 gone\n");
    EXPECT_TRUE(ReadBytes(Doc("R.tws")) == ReadBytes(Doc("R2.tws")));
}

// The state a saved document gives the file of that name.
int32_t StateInDocument(const std::string& document, std::string_view name) {
    HeadlessPrompts prompts;
    Document loaded(prompts);
    EXPECT_TRUE(loaded.OpenFile(document)) << document;
    for (const FileCatalog::Entry& entry : loaded.catalog)
        if (entry.item->Name() == name) return entry.item->compareState.load();
    ADD_FAILURE() << name << " is not in " << document;
    return -1;
}

TEST_F(CliDocumentTest, ScreeningGivesTheGroupsOfFullDigestsAndLeavesWhatItRulesOutToCompareLater) {
    // Differs from big1 in its first byte only: its first 4 KiB tell it apart.
    WriteBytes(tree.Path("data/head-differs"), WithByteFlipped(RandomContent(30000, 8), 0));
    const std::string screened = Succeeds({"scan", "--save", Doc("S.tws"), data}).out;
    ExpectGroupsMatch(screened, expected);
    EXPECT_EQ(screened, Succeeds({"scan", "--full", "--save", Doc("F.tws"), data}).out);
    EXPECT_EQ(StateInDocument(Doc("S.tws"), "head-differs"), NotCompared);
    EXPECT_EQ(StateInDocument(Doc("F.tws"), "head-differs"), Finished);
    EXPECT_EQ(StateInDocument(Doc("S.tws"), "decoy"), Finished) << "its first 4 KiB are big1's";

    ExpectGroupsMatch(Succeeds({"open", Doc("S.tws"), "--compare", "all", "--full", "--save", Doc("L.tws")}).out,
                      expected);
    EXPECT_EQ(StateInDocument(Doc("L.tws"), "head-differs"), Finished);
}

TEST_F(CliDocumentTest, FilesChangedSinceTheScanAreNotComparedAndSaySo) {
    Succeeds({"scan", "--compare", "1", "--save", Doc("C.tws"), data});
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

}  // namespace
}  // namespace twinseek
