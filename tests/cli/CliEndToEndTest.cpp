// twinseek-cli run in-process on real temporary trees: the groups, digests,
// exit statuses and messages it gives, checked against the files' own bytes
// and against sha1sum.
#include "cli/CliApp.h"
#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace twinseek {
namespace {

using twinseek::testing::TemporaryTree;
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
    int status = RunCli(int(arguments.size()), argv.data());
    std::fflush(stdout);
    std::fflush(stderr);
    std::string out = ::testing::internal::GetCapturedStdout();
    std::string err = ::testing::internal::GetCapturedStderr();
    return {status, std::move(out), std::move(err)};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

// ---- files --------------------------------------------------------------

std::string RandomBytes(size_t size, uint32_t seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = char(generator());
    return bytes;
}

void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::optional<std::string> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string WithByteFlipped(std::string bytes, size_t at) {
    bytes[at] = char(bytes[at] ^ 0x5A);
    return bytes;
}

// ---- what the files say -------------------------------------------------

using PathSet = std::set<std::string>;
using GroupSet = std::set<PathSet>;

// Every readable regular file under the roots (links not followed), grouped by
// exact content; only groups of two or more.
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
        if (std::optional<std::string> bytes = ReadFile(path)) byContent[*bytes].insert(path);
    GroupSet groups;
    for (auto& [bytes, paths] : byContent)
        if (paths.size() >= 2) groups.insert(paths);
    return groups;
}

// sha1sum's digest of each path, in order, turned from hex into base32.
std::vector<std::string> Sha1sumBase32(const std::vector<std::string>& paths) {
    std::string command = "sha1sum --";
    for (const std::string& path : paths) {
        command += " '";
        for (char c : path) command += c == '\'' ? std::string("'\\''") : std::string(1, c);
        command += "'";
    }
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) throw std::runtime_error("cannot run sha1sum");
    std::string output;
    char chunk[4096];
    while (size_t count = std::fread(chunk, 1, sizeof chunk, pipe)) output.append(chunk, count);
    if (pclose(pipe) != 0) throw std::runtime_error("sha1sum failed");
    std::vector<std::string> digests;
    for (std::string line : Lines(output)) {
        // sha1sum marks a line whose name it had to escape with a leading backslash.
        if (line.starts_with('\\')) line.erase(0, 1);
        std::string& text = digests.emplace_back();
        uint32_t buffer = 0;
        for (int bits = 0; char hex : line.substr(0, 40)) {
            buffer = (buffer << 4) | uint32_t(std::stoi(std::string(1, hex), nullptr, 16));
            for (bits += 4; bits >= 5; bits -= 5) text += "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567"[(buffer >> (bits - 5)) & 31];
        }
    }
    if (digests.size() != paths.size()) throw std::runtime_error("sha1sum printed " + output);
    return digests;
}

// ---- what the CLI says --------------------------------------------------

struct ReportedGroup {
    uint64_t size = 0;
    std::string digest;
    PathSet files;
    auto operator<=>(const ReportedGroup&) const = default;
};

// Reads the groups JSON the CLI prints, turning \udcXX escapes back into the
// bytes that were not UTF-8; throws on anything it does not expect.
class GroupsJsonReader {
public:
    explicit GroupsJsonReader(std::string_view text) : text(text) {}

    std::vector<ReportedGroup> ReadGroups() {
        std::vector<ReportedGroup> groups;
        Expect("[");
        while (!Accept("]")) {
            if (!groups.empty()) Expect(",");
            ReportedGroup& group = groups.emplace_back();
            Expect("{\"size\": ");
            auto [end, error] = std::from_chars(text.data() + position, text.data() + text.size(), group.size);
            if (error != std::errc()) Fail("a number expected");
            position = size_t(end - text.data());
            Expect(", \"digest\": ");
            group.digest = ReadString();
            Expect(", \"files\": [");
            do group.files.insert(ReadString());
            while (Accept(","));
            Expect("]}");
        }
        if (Accept("") && position != text.size()) Fail("text after the array");
        return groups;
    }

private:
    std::string ReadString() {
        Expect("\"");
        std::string bytes;
        for (char c; (c = Next()) != '"';) {
            if (c != '\\') {
                bytes += c;
                continue;
            }
            char escape = Next();
            if (escape != 'u') {
                bytes += escape == 'n' ? '\n' : escape == 't' ? '\t' : escape;
                continue;
            }
            uint32_t code = 0;
            if (text.size() - position < 4) Fail("short \\u escape");
            std::from_chars(text.data() + position, text.data() + position + 4, code, 16);
            position += 4;
            if (code >= 0x80 && (code < 0xDC80 || code > 0xDCFF)) Fail("unexpected \\u escape");
            bytes += char(code & 0xFF);  // a control character or a byte that was not UTF-8
        }
        return bytes;
    }
    char Next() {
        if (position >= text.size()) Fail("unexpected end");
        return text[position++];
    }
    bool Accept(std::string_view token) {
        while (position < text.size() && std::isspace(uint8_t(text[position]))) ++position;
        if (!text.substr(position).starts_with(token)) return false;
        position += token.size();
        return true;
    }
    void Expect(std::string_view token) {
        if (!Accept(token)) Fail("'" + std::string(token) + "' expected");
    }
    [[noreturn]] void Fail(const std::string& what) const {
        throw std::runtime_error(what + " at offset " + std::to_string(position));
    }

    std::string_view text;
    size_t position = 0;
};

std::vector<ReportedGroup> ParseGroups(const std::string& json) {
    std::vector<ReportedGroup> groups;
    EXPECT_NO_THROW(groups = GroupsJsonReader(json).ReadGroups()) << json;
    return groups;
}

// The reported groups are exactly the content groups, each file listed once,
// each group's size and digest those of its files.
void ExpectGroupsMatch(const std::vector<ReportedGroup>& reported, const GroupSet& expected) {
    GroupSet members;
    size_t listed = 0;
    std::vector<std::string> firstMembers;
    for (const ReportedGroup& group : reported) {
        members.insert(group.files);
        listed += group.files.size();
        firstMembers.push_back(*group.files.begin());
        EXPECT_EQ(group.size, fs::file_size(firstMembers.back())) << firstMembers.back();
    }
    EXPECT_EQ(members, expected);
    PathSet distinct;
    for (const PathSet& group : members) distinct.insert(group.begin(), group.end());
    EXPECT_EQ(listed, distinct.size()) << "a file is listed more than once";
    if (firstMembers.empty()) return;
    std::vector<std::string> digests = Sha1sumBase32(firstMembers);
    for (size_t g = 0; g < reported.size(); ++g) EXPECT_EQ(reported[g].digest, digests[g]) << firstMembers[g];
}

// ---- scan ---------------------------------------------------------------

TEST(CliScanTest, FindsExactlyTheGroupsOfIdenticalContentAmongAwkwardEntries) {
    TemporaryTree tree;
    const std::string a = RandomBytes(5000, 1);
    const std::string b = RandomBytes(40000, 2);  // more than two read blocks
    for (const char* folder : {"a", "a/deep", "big", ".hidden", "names"}) tree.Folder(folder);
    // Copies across folders, one-byte decoys of the same size, and a hard link,
    // which is a second name for the same bytes: a duplicate too.
    for (const char* name : {"top.bin", "a/copy.bin", "a/deep/copy3.bin"}) WriteFile(tree.Path(name), a);
    WriteFile(tree.Path("a/decoy-start.bin"), WithByteFlipped(a, 0));
    WriteFile(tree.Path("a/decoy-end.bin"), WithByteFlipped(a, a.size() - 1));
    EXPECT_EQ(link(tree.Path("top.bin").c_str(), tree.Path("a/hard.bin").c_str()), 0);
    for (const char* name : {"big/one.bin", "big/two.bin"}) WriteFile(tree.Path(name), b);
    WriteFile(tree.Path("big/decoy-block.bin"), WithByteFlipped(b, 16384));
    // Empty files, hidden ones included, are all one group.
    for (const char* name : {"empty1", "a/deep/empty2", ".hidden/.empty"}) WriteFile(tree.Path(name), "");
    // Names that differ only in case, with the same and with different bytes.
    WriteFile(tree.Path("names/Case.txt"), "same text\n");
    WriteFile(tree.Path("names/case.txt"), "same text\n");
    WriteFile(tree.Path("names/CASE.txt"), "Same text\n");
    // Names JSON has to escape: bytes that are not UTF-8, quotes, a tab; and UTF-8.
    for (const char* name : {"names/bad\xFF\xFEname", "names/cut\xC3", "names/plain"})
        WriteFile(tree.Path(name), "invalid utf-8 name");
    for (const char* name : {"names/we\"ird\\name\t", "names/caf\xC3\xA9 \xF0\x9F\x98\x80"})
        WriteFile(tree.Path(name), "escaped");
    WriteFile(tree.Path("unique.txt"), "only one of these");
    // Links are never members: to a file, dangling, looping, to a parent folder.
    tree.Link("link-to-top", "top.bin");
    tree.Link("dangling", "nowhere");
    tree.Link("loop", "loop");
    tree.Link("a/deep/up", "../..");
    // A FIFO has size 0 like the empty files, but must never be opened.
    EXPECT_EQ(mkfifo(tree.Path("a/pipe").c_str(), 0644), 0);
    GroupSet expected = GroupsByContent({tree.Root()});
    ASSERT_EQ(expected.size(), 6u) << "a, b, empty, case, invalid names, escaped names";

    CliRun run = RunCommand({"scan", "--compare", "all", "--format", "json", "--workers", "3", tree.Root()});
    EXPECT_EQ(run.status, kExitSuccess) << run.err;
    ExpectGroupsMatch(ParseGroups(run.out), expected);
    EXPECT_NE(run.out.find("bad\\udcff\\udcfename"), std::string::npos) << "invalid bytes are escaped";
}

TEST(CliScanTest, OverlappingRootsCountEachFileOnce) {
    TemporaryTree tree;
    tree.Folder("sub");
    tree.Folder("sub/inner");
    const std::string x = RandomBytes(700, 5);
    for (const char* name : {"x1", "sub/x2", "sub/inner/x3"}) WriteFile(tree.Path(name), x);
    for (const char* name : {"sub/inner/y1", "sub/y2"}) WriteFile(tree.Path(name), "y");
    const std::string sub = tree.Path("sub");
    const GroupSet expected = GroupsByContent({tree.Root()});
    ASSERT_EQ(expected.size(), 2u);
    for (const auto& [first, second] : std::vector<std::pair<std::string, std::string>>{
             {tree.Root(), sub}, {sub, tree.Root()}, {tree.Root() + "/", tree.Path("sub/inner/..")}, {sub, sub}}) {
        SCOPED_TRACE(first + " " + second);
        CliRun run = RunCommand({"scan", "--format", "json", first, second});
        EXPECT_EQ(run.status, kExitSuccess) << run.err;
        ExpectGroupsMatch(ParseGroups(run.out), first == second ? GroupsByContent({sub}) : expected);
    }
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
    CliRun run = RunCommand({"scan", missing});
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_EQ(run.err, "twinseek-cli: cannot scan " + missing + ": No such file or directory\n");
    EXPECT_EQ(run.out, "");
}

// ---- digest -------------------------------------------------------------

TEST(CliDigestTest, AgreesWithSha1sumOnEverySize) {
    TemporaryTree tree;
    std::vector<size_t> sizes;
    for (size_t size = 0; size <= 130; ++size) sizes.push_back(size);
    for (size_t size : {16383, 16384, 16385, 65536 + 7, 1048576 + 1}) sizes.push_back(size);
    std::vector<std::string> arguments{"digest"};
    for (size_t size : sizes) {
        arguments.push_back(tree.Path("size-" + std::to_string(size)));
        WriteFile(arguments.back(), RandomBytes(size, uint32_t(size)));
    }
    std::vector<std::string> paths(arguments.begin() + 1, arguments.end());
    std::vector<std::string> expected = Sha1sumBase32(paths);

    CliRun run = RunCommand(arguments);
    EXPECT_EQ(run.status, kExitSuccess) << run.err;
    std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), paths.size());
    for (size_t i = 0; i < paths.size(); ++i) EXPECT_EQ(lines[i], expected[i] + "  " + paths[i]);
}

// ---- documents ----------------------------------------------------------

// A small tree to scan, and a folder for documents outside it.
struct CliDocumentTest : ::testing::Test {
    void SetUp() override {
        tree.Folder("data");
        tree.Folder("docs");
        for (const char* name : {"one", "two", "odd\xFFname"}) WriteFile(tree.Path(std::string("data/") + name), "triple");
        for (const char* name : {"big1", "big2"}) WriteFile(tree.Path(std::string("data/") + name), RandomBytes(30000, 8));
        WriteFile(tree.Path("data/decoy"), WithByteFlipped(RandomBytes(30000, 8), 29999));
        WriteFile(tree.Path("data/e1"), "");
        WriteFile(tree.Path("data/e2"), "");
        data = tree.Path("data");
        expected = GroupsByContent({data});
        ASSERT_EQ(expected.size(), 3u);
    }
    std::string Doc(const std::string& name) const { return tree.Path("docs/" + name); }

    TemporaryTree tree;
    std::string data;
    GroupSet expected;
};

TEST_F(CliDocumentTest, SavedScanGivesTheSameGroupsAndResavesByteForByte) {
    CliRun scan = RunCommand({"scan", "--save", Doc("A.tws"), "--format", "json", data});
    ASSERT_EQ(scan.status, kExitSuccess) << scan.err;
    std::vector<ReportedGroup> scanned = ParseGroups(scan.out);
    ExpectGroupsMatch(scanned, expected);

    CliRun groups = RunCommand({"groups", Doc("A.tws"), "--format", "json"});
    EXPECT_EQ(groups.status, kExitSuccess) << groups.err;
    std::vector<ReportedGroup> loaded = ParseGroups(groups.out);
    std::sort(loaded.begin(), loaded.end());
    std::sort(scanned.begin(), scanned.end());
    EXPECT_EQ(loaded, scanned);

    CliRun resave = RunCommand({"open", Doc("A.tws"), "--save", Doc("B.tws"), "--format", "json"});
    EXPECT_EQ(resave.status, kExitSuccess) << resave.err;
    EXPECT_EQ(resave.out, groups.out);
    std::optional<std::string> original = ReadFile(Doc("A.tws"));
    ASSERT_TRUE(original && !original->empty());
    EXPECT_TRUE(original == ReadFile(Doc("B.tws"))) << "B.tws differs from A.tws";
}

TEST_F(CliDocumentTest, DocumentSavedUncomparedIsComparedWhenOpened) {
    // Only "Huge Files" are compared, and this tree holds none.
    CliRun scan = RunCommand({"scan", "--compare", "1", "--save", Doc("A.tws"), "--format", "json", data});
    ASSERT_EQ(scan.status, kExitSuccess) << scan.err;
    EXPECT_EQ(scan.out, "[]\n");
    CliRun open = RunCommand({"open", Doc("A.tws"), "--compare", "all", "--format", "json"});
    EXPECT_EQ(open.status, kExitSuccess) << open.err;
    ExpectGroupsMatch(ParseGroups(open.out), expected);
}

TEST_F(CliDocumentTest, DamagedDocumentFailsWithOneLineNamingFileAndCause) {
    ASSERT_EQ(RunCommand({"scan", "--save", Doc("A.tws"), data}).status, kExitSuccess);
    std::optional<std::string> valid = ReadFile(Doc("A.tws"));
    ASSERT_TRUE(valid && valid->size() > 100);
    for (const std::string& bytes : {std::string(), valid->substr(0, valid->size() / 2), RandomBytes(4096, 9)}) {
        WriteFile(Doc("damaged.tws"), bytes);
        for (const char* command : {"open", "groups"}) {
            SCOPED_TRACE(std::string(command) + " of " + std::to_string(bytes.size()) + " bytes");
            CliRun run = RunCommand({command, Doc("damaged.tws"), "--format", "json"});
            EXPECT_EQ(run.status, kExitFailure);
            EXPECT_EQ(run.out, "");
            std::vector<std::string> errors = Lines(run.err);
            ASSERT_EQ(errors.size(), 1u) << run.err;
            const std::string prefix = "twinseek-cli: Could not open " + Doc("damaged.tws") + ": ";
            EXPECT_TRUE(errors[0].starts_with(prefix)) << errors[0];
            EXPECT_GT(errors[0].size(), prefix.size()) << "the cause is given";
        }
    }
}

}  // namespace
}  // namespace twinseek
