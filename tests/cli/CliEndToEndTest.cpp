// twinseek-cli run in-process on real temporary trees: the groups, digests,
// exit statuses and messages it gives, checked against the files' own bytes
// and against sha1sum.
#include "cli/CliApp.h"
#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

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
#include <tuple>
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

std::string Base32(const std::vector<uint8_t>& bytes) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";
    std::string text;
    uint32_t buffer = 0;
    int bits = 0;
    for (uint8_t byte : bytes) {
        buffer = (buffer << 8) | byte;
        bits += 8;
        while (bits >= 5) {
            text += kAlphabet[(buffer >> (bits - 5)) & 31];
            bits -= 5;
        }
    }
    if (bits > 0) text += kAlphabet[(buffer << (5 - bits)) & 31];
    return text;
}

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// sha1sum's digest of each path, in order, in base32.
std::vector<std::string> Sha1sumBase32(const std::vector<std::string>& paths) {
    std::string command = "sha1sum --";
    for (const std::string& path : paths) command.append(" ").append(ShellQuoted(path));
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
        if (line.size() < 40) throw std::runtime_error("sha1sum printed " + line);
        std::vector<uint8_t> bytes;
        for (size_t i = 0; i < 40; i += 2) bytes.push_back(uint8_t(std::stoi(line.substr(i, 2), nullptr, 16)));
        digests.push_back(Base32(bytes));
    }
    if (digests.size() != paths.size()) throw std::runtime_error("sha1sum printed " + std::to_string(digests.size()));
    return digests;
}

// ---- what the CLI says --------------------------------------------------

struct ReportedGroup {
    uint64_t size = 0;
    std::string digest;
    std::vector<std::string> files;
};

// Reads the groups JSON the CLI prints, turning \udcXX escapes back into the
// bytes that were not UTF-8; throws on anything malformed.
class GroupsJsonReader {
public:
    explicit GroupsJsonReader(std::string_view text) : text(text) {}

    std::vector<ReportedGroup> ReadGroups() {
        std::vector<ReportedGroup> groups;
        Expect('[');
        if (!Accept(']')) {
            do groups.push_back(ReadGroup());
            while (Accept(','));
            Expect(']');
        }
        SkipSpace();
        if (position != text.size()) Fail("text after the array");
        return groups;
    }

private:
    ReportedGroup ReadGroup() {
        ReportedGroup group;
        std::set<std::string> keys;
        Expect('{');
        do {
            std::string key = ReadString();
            if (!keys.insert(key).second) Fail("repeated key " + key);
            Expect(':');
            if (key == "size") group.size = ReadNumber();
            else if (key == "digest") group.digest = ReadString();
            else if (key == "files") group.files = ReadStrings();
            else Fail("unknown key " + key);
        } while (Accept(','));
        Expect('}');
        if (keys.size() != 3) Fail("a group lacks a field");
        return group;
    }

    std::vector<std::string> ReadStrings() {
        std::vector<std::string> strings;
        Expect('[');
        if (Accept(']')) return strings;
        do strings.push_back(ReadString());
        while (Accept(','));
        Expect(']');
        return strings;
    }

    uint64_t ReadNumber() {
        SkipSpace();
        uint64_t value = 0;
        auto [end, error] = std::from_chars(text.data() + position, text.data() + text.size(), value);
        if (error != std::errc()) Fail("a number expected");
        position = size_t(end - text.data());
        return value;
    }

    std::string ReadString() {
        Expect('"');
        std::string bytes;
        for (;;) {
            char c = Next();
            if (c == '"') return bytes;
            if (uint8_t(c) < 0x20) Fail("raw control character in a string");
            if (c != '\\') {
                bytes += c;
                continue;
            }
            switch (char escape = Next()) {
            case '"': case '\\': case '/': bytes += escape; break;
            case 'b': bytes += '\b'; break;
            case 'f': bytes += '\f'; break;
            case 'n': bytes += '\n'; break;
            case 'r': bytes += '\r'; break;
            case 't': bytes += '\t'; break;
            case 'u': AppendCodeUnit(bytes); break;
            default: Fail("unknown escape");
            }
        }
    }

    void AppendCodeUnit(std::string& bytes) {
        uint32_t code = ReadHex4();
        if (code >= 0xDC80 && code <= 0xDCFF) {
            bytes += char(code & 0xFF);  // a byte that was not UTF-8
            return;
        }
        if (code >= 0xD800 && code <= 0xDBFF) {
            if (Next() != '\\' || Next() != 'u') Fail("lone high surrogate");
            uint32_t low = ReadHex4();
            if (low < 0xDC00 || low > 0xDFFF) Fail("bad surrogate pair");
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        } else if (code >= 0xDC00 && code <= 0xDFFF) {
            Fail("lone low surrogate");
        }
        if (code < 0x80) {
            bytes += char(code);
        } else if (code < 0x800) {
            bytes += char(0xC0 | (code >> 6));
            bytes += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            bytes += char(0xE0 | (code >> 12));
            bytes += char(0x80 | ((code >> 6) & 0x3F));
            bytes += char(0x80 | (code & 0x3F));
        } else {
            bytes += char(0xF0 | (code >> 18));
            bytes += char(0x80 | ((code >> 12) & 0x3F));
            bytes += char(0x80 | ((code >> 6) & 0x3F));
            bytes += char(0x80 | (code & 0x3F));
        }
    }

    uint32_t ReadHex4() {
        if (text.size() - position < 4) Fail("short \\u escape");
        uint32_t code = 0;
        auto [end, error] = std::from_chars(text.data() + position, text.data() + position + 4, code, 16);
        if (error != std::errc() || end != text.data() + position + 4) Fail("bad \\u escape");
        position += 4;
        return code;
    }

    char Next() {
        if (position >= text.size()) Fail("unexpected end");
        return text[position++];
    }
    void SkipSpace() {
        while (position < text.size() && (text[position] == ' ' || text[position] == '\n' || text[position] == '\t' ||
                                           text[position] == '\r'))
            ++position;
    }
    bool Accept(char c) {
        SkipSpace();
        if (position < text.size() && text[position] == c) {
            ++position;
            return true;
        }
        return false;
    }
    void Expect(char c) {
        if (!Accept(c)) Fail(std::string("'") + c + "' expected");
    }
    [[noreturn]] void Fail(const std::string& what) const {
        throw std::runtime_error(what + " at offset " + std::to_string(position));
    }

    std::string_view text;
    size_t position = 0;
};

std::vector<ReportedGroup> ParseGroups(const std::string& json) { return GroupsJsonReader(json).ReadGroups(); }

GroupSet AsGroupSet(const std::vector<ReportedGroup>& groups) {
    GroupSet set;
    for (const ReportedGroup& group : groups) set.insert(PathSet(group.files.begin(), group.files.end()));
    return set;
}

// Size, digest and members of each group, order of groups and of members aside.
std::set<std::tuple<uint64_t, std::string, PathSet>> AsKeyedSet(const std::vector<ReportedGroup>& groups) {
    std::set<std::tuple<uint64_t, std::string, PathSet>> set;
    for (const ReportedGroup& group : groups)
        set.emplace(group.size, group.digest, PathSet(group.files.begin(), group.files.end()));
    return set;
}

// The reported groups are exactly the content groups; no file is listed twice;
// each group's size and digest are those of its files.
void ExpectGroupsMatch(const std::vector<ReportedGroup>& reported, const GroupSet& expected) {
    EXPECT_EQ(AsGroupSet(reported), expected);
    size_t listed = 0;
    PathSet distinct;
    std::vector<std::string> firstMembers;
    for (const ReportedGroup& group : reported) {
        listed += group.files.size();
        distinct.insert(group.files.begin(), group.files.end());
        ASSERT_FALSE(group.files.empty());
        firstMembers.push_back(group.files[0]);
        EXPECT_EQ(group.size, fs::file_size(group.files[0])) << group.files[0];
    }
    EXPECT_EQ(listed, distinct.size()) << "a file is listed more than once";
    if (firstMembers.empty()) return;
    std::vector<std::string> digests = Sha1sumBase32(firstMembers);
    for (size_t g = 0; g < reported.size(); ++g) EXPECT_EQ(reported[g].digest, digests[g]) << firstMembers[g];
}

// ---- trees --------------------------------------------------------------

// A tree with every awkward kind of entry the walk and the comparison meet.
void BuildAwkwardTree(const TemporaryTree& tree) {
    const std::string a = RandomBytes(5000, 1);
    const std::string b = RandomBytes(40000, 2);  // more than two read blocks
    const std::string c = RandomBytes(300, 3);
    const std::string name = "caf\xC3\xA9 \xF0\x9F\x98\x80";

    for (const char* folder : {"a", "a/deep", "a/deep/er", "a/deep/er/nest", "decoys", "big", ".hidden", "names"})
        tree.Folder(folder);

    // Copies of a across folders and depths, and one-byte decoys of the same size.
    WriteFile(tree.Path("top.bin"), a);
    WriteFile(tree.Path("a/copy.bin"), a);
    WriteFile(tree.Path("a/deep/er/nest/copy3.bin"), a);
    WriteFile(tree.Path("decoys/start.bin"), WithByteFlipped(a, 0));
    WriteFile(tree.Path("decoys/middle.bin"), WithByteFlipped(a, a.size() / 2));
    WriteFile(tree.Path("decoys/end.bin"), WithByteFlipped(a, a.size() - 1));
    // A hard link is a second name for the same bytes: a duplicate too.
    EXPECT_EQ(link(tree.Path("top.bin").c_str(), tree.Path("a/hard.bin").c_str()), 0);

    WriteFile(tree.Path("big/one.bin"), b);
    WriteFile(tree.Path("big/two.bin"), b);
    WriteFile(tree.Path("big/decoy-last.bin"), WithByteFlipped(b, b.size() - 1));
    WriteFile(tree.Path("big/decoy-block.bin"), WithByteFlipped(b, 16384));

    // Empty files, hidden ones included, are all one group.
    WriteFile(tree.Path("empty1"), "");
    WriteFile(tree.Path("a/deep/empty2"), "");
    WriteFile(tree.Path(".empty-hidden"), "");
    WriteFile(tree.Path(".hidden/.dot-c"), c);
    WriteFile(tree.Path(".hidden/c.txt"), c);

    // Names that differ only in case, with the same and with different bytes.
    WriteFile(tree.Path("names/Case.txt"), "same text\n");
    WriteFile(tree.Path("names/case.txt"), "same text\n");
    WriteFile(tree.Path("names/CASE.txt"), "Same text\n");
    // Names JSON has to escape: bytes that are not UTF-8, quotes, a tab, UTF-8.
    WriteFile(tree.Path("names/bad\xFF\xFEname"), "invalid utf-8 name");
    WriteFile(tree.Path("names/cut\xC3"), "invalid utf-8 name");
    WriteFile(tree.Path("names/plain"), "invalid utf-8 name");
    WriteFile(tree.Path("names/we\"ird\\name\t"), "escaped");
    WriteFile(tree.Path("names/" + name), "escaped");
    WriteFile(tree.Path("unique.txt"), "only one of these");

    // Links are never members: to a file, dangling, looping, to a parent folder.
    tree.Link("link-to-top", "top.bin");
    tree.Link("a/link-to-c", "../.hidden/c.txt");
    tree.Link("dangling", "nowhere");
    tree.Link("loop", "loop");
    tree.Link("ping", "pong");
    tree.Link("pong", "ping");
    tree.Link("a/deep/up", "../..");
    // A FIFO has size 0 like the empty files, but must never be opened.
    EXPECT_EQ(mkfifo(tree.Path("a/pipe").c_str(), 0644), 0);
}

// ---- scan ---------------------------------------------------------------

TEST(CliScanTest, FindsExactlyTheGroupsOfIdenticalContent) {
    TemporaryTree tree;
    BuildAwkwardTree(tree);
    GroupSet expected = GroupsByContent({tree.Root()});
    ASSERT_EQ(expected.size(), 7u) << "a, b, empty, c, case, invalid names, escaped names";

    CliRun run = RunCommand({"scan", "--compare", "all", "--format", "json", "--workers", "3", tree.Root()});
    EXPECT_EQ(run.status, kExitSuccess) << run.err;
    std::vector<ReportedGroup> groups;
    ASSERT_NO_THROW(groups = ParseGroups(run.out)) << run.out;
    ExpectGroupsMatch(groups, expected);
    EXPECT_EQ(run.out.find(tree.Path("link-to-top")), std::string::npos);
    EXPECT_EQ(run.out.find(tree.Path("a/pipe")), std::string::npos);
    EXPECT_NE(run.out.find("bad\\udcff\\udcfename"), std::string::npos) << "invalid bytes are escaped";
}

TEST(CliScanTest, UnreadableFilesAndFoldersAreLeftOutOfGroups) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads files whatever their mode";
    TemporaryTree tree;
    const std::string bytes = RandomBytes(2000, 4);
    WriteFile(tree.Path("readable1"), bytes);
    WriteFile(tree.Path("readable2"), bytes);
    WriteFile(tree.Path("secret"), bytes);
    tree.Folder("locked");
    WriteFile(tree.Path("locked/inside"), bytes);
    ASSERT_EQ(chmod(tree.Path("secret").c_str(), 0), 0);
    ASSERT_EQ(chmod(tree.Path("locked").c_str(), 0), 0);

    CliRun run = RunCommand({"scan", "--format", "json", tree.Root()});
    std::vector<ReportedGroup> groups;
    ASSERT_NO_THROW(groups = ParseGroups(run.out)) << run.out;
    ExpectGroupsMatch(groups, GroupSet{{tree.Path("readable1"), tree.Path("readable2")}});
    EXPECT_NE(run.err.find("twinseek-cli: could not read " + tree.Path("secret") + "\n"), std::string::npos) << run.err;
}

TEST(CliScanTest, OverlappingRootsCountEachFileOnce) {
    TemporaryTree tree;
    tree.Folder("sub");
    tree.Folder("sub/inner");
    const std::string x = RandomBytes(700, 5);
    const std::string y = RandomBytes(90, 6);
    WriteFile(tree.Path("x1"), x);
    WriteFile(tree.Path("sub/x2"), x);
    WriteFile(tree.Path("sub/inner/y1"), y);
    WriteFile(tree.Path("sub/y2"), y);
    WriteFile(tree.Path("sub/inner/x3"), x);
    GroupSet expected = GroupsByContent({tree.Root()});
    ASSERT_EQ(expected.size(), 2u);

    const std::string sub = tree.Path("sub");
    struct Case {
        std::string first, second;
        GroupSet expected;
    };
    for (const Case& roots : {Case{tree.Root(), sub, expected}, Case{sub, tree.Root(), expected},
                              Case{tree.Root() + "/", tree.Path("sub/inner/.."), expected},
                              Case{sub, sub, GroupsByContent({sub})}}) {
        SCOPED_TRACE(roots.first + " " + roots.second);
        CliRun run = RunCommand({"scan", "--format", "json", roots.first, roots.second});
        EXPECT_EQ(run.status, kExitSuccess) << run.err;
        std::vector<ReportedGroup> groups;
        ASSERT_NO_THROW(groups = ParseGroups(run.out)) << run.out;
        ExpectGroupsMatch(groups, roots.expected);
    }
    EXPECT_EQ(GroupsByContent({sub}).size(), 2u) << "x2 and x3, y1 and y2";
}

TEST(CliScanTest, GroupsComeLargestFirstInBothFormats) {
    TemporaryTree tree;
    // Made in an order unrelated to size, so that file order cannot pass for size order.
    const size_t sizes[] = {300, 0, 70000, 12, 5000, 1, 16384};
    for (size_t i = 0; i < std::size(sizes); ++i) {
        const std::string bytes = RandomBytes(sizes[i], uint32_t(10 + i));
        WriteFile(tree.Path("f" + std::to_string(i) + "-1"), bytes);
        WriteFile(tree.Path("f" + std::to_string(i) + "-2"), bytes);
    }
    // Two groups of one size: same size, different bytes.
    WriteFile(tree.Path("g-1"), RandomBytes(300, 99));
    WriteFile(tree.Path("g-2"), RandomBytes(300, 99));

    CliRun json = RunCommand({"scan", "--format", "json", tree.Root()});
    std::vector<ReportedGroup> groups;
    ASSERT_NO_THROW(groups = ParseGroups(json.out)) << json.out;
    ExpectGroupsMatch(groups, GroupsByContent({tree.Root()}));
    ASSERT_EQ(groups.size(), std::size(sizes) + 1);
    for (size_t g = 1; g < groups.size(); ++g) EXPECT_GE(groups[g - 1].size, groups[g].size) << "group " << g;
    EXPECT_EQ(groups.front().size, 70000u);
    EXPECT_EQ(groups.back().size, 0u);

    // The text form lists the same groups in the same order: a header, the
    // paths, a blank line.
    CliRun text = RunCommand({"scan", tree.Root()});
    EXPECT_EQ(text.status, kExitSuccess) << text.err;
    std::vector<std::string> lines = Lines(text.out);
    size_t line = 0;
    for (const ReportedGroup& group : groups) {
        ASSERT_LT(line, lines.size());
        EXPECT_NE(lines[line].find("[" + std::to_string(group.files.size()) + " Copies] " + group.digest),
                  std::string::npos)
            << lines[line];
        ++line;
        for (const std::string& path : group.files) {
            ASSERT_LT(line, lines.size());
            EXPECT_EQ(lines[line++], path);
        }
        ASSERT_LT(line, lines.size());
        EXPECT_EQ(lines[line++], "");
    }
    EXPECT_EQ(line, lines.size());
}

TEST(CliScanTest, RootsThatCannotBeScannedFailWithTheReason) {
    TemporaryTree tree;
    WriteFile(tree.Path("file"), "x");
    const std::string missing = tree.Path("missing");
    CliRun run = RunCommand({"scan", missing});
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_EQ(run.err, "twinseek-cli: cannot scan " + missing + ": No such file or directory\n");
    EXPECT_EQ(run.out, "");

    run = RunCommand({"scan", "--format", "json", tree.Root(), tree.Path("file")});
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_EQ(run.err, "twinseek-cli: cannot scan " + tree.Path("file") + ": Not a directory\n");
    EXPECT_EQ(run.out, "");

    // The walk never follows a link, a root included, so a linked folder would
    // come out empty: it is refused rather than reported as free of duplicates.
    tree.Folder("real");
    WriteFile(tree.Path("real/one"), "same");
    WriteFile(tree.Path("real/two"), "same");
    tree.Link("linked", "real");
    run = RunCommand({"scan", "--format", "json", tree.Path("linked")});
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_TRUE(run.err.starts_with("twinseek-cli: cannot scan " + tree.Path("linked") + ": ")) << run.err;
    EXPECT_EQ(run.out, "");
}

TEST(CliScanTest, UsageErrorsExitWithTwoAndSayWhy) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {}, {"scan"}, {"frobnicate", "/"}, {"scan", "--format", "xml", "/"}, {"open"}, {"digest"},
             {"groups", "a.tws", "--save", "b.tws"}}) {
        CliRun run = RunCommand(arguments);
        EXPECT_EQ(run.status, kExitUsage) << ::testing::PrintToString(arguments);
        EXPECT_TRUE(run.err.starts_with("twinseek-cli: ")) << run.err;
        EXPECT_NE(run.err.find("Usage:"), std::string::npos);
        EXPECT_EQ(run.out, "");
    }
}

// ---- digest -------------------------------------------------------------

TEST(CliDigestTest, AgreesWithSha1sumOnEverySize) {
    TemporaryTree tree;
    std::vector<size_t> sizes;
    for (size_t size = 0; size <= 130; ++size) sizes.push_back(size);
    for (size_t size : {16383, 16384, 16385, 65536 + 7, 1048576 + 1}) sizes.push_back(size);
    std::vector<std::string> paths;
    for (size_t size : sizes) {
        paths.push_back(tree.Path("size-" + std::to_string(size)));
        WriteFile(paths.back(), RandomBytes(size, uint32_t(size)));
    }
    std::vector<std::string> expected = Sha1sumBase32(paths);

    std::vector<std::string> arguments{"digest"};
    arguments.insert(arguments.end(), paths.begin(), paths.end());
    CliRun run = RunCommand(arguments);
    EXPECT_EQ(run.status, kExitSuccess) << run.err;
    EXPECT_EQ(run.err, "");
    std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), paths.size());
    for (size_t i = 0; i < paths.size(); ++i) EXPECT_EQ(lines[i], expected[i] + "  " + paths[i]);
}

TEST(CliDigestTest, MissingFileFailsButTheOthersArePrinted) {
    TemporaryTree tree;
    const std::string first = tree.Path("first");
    const std::string missing = tree.Path("missing");
    const std::string last = tree.Path("last");
    WriteFile(first, "first");
    WriteFile(last, RandomBytes(20000, 7));
    std::vector<std::string> expected = Sha1sumBase32({first, last});

    CliRun run = RunCommand({"digest", first, missing, last});
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_EQ(Lines(run.out), (std::vector<std::string>{expected[0] + "  " + first, expected[1] + "  " + last}));
    std::vector<std::string> errors = Lines(run.err);
    ASSERT_EQ(errors.size(), 1u) << run.err;
    EXPECT_NE(errors[0].find(missing), std::string::npos);
    EXPECT_NE(errors[0].find("No such file or directory"), std::string::npos);
}

// ---- documents ----------------------------------------------------------

// A small tree to scan, and a folder for documents outside it.
struct CliDocumentTest : ::testing::Test {
    void SetUp() override {
        tree.Folder("data");
        tree.Folder("docs");
        for (const char* name : {"one", "two", "three"}) WriteFile(tree.Path(std::string("data/") + name), "triple");
        WriteFile(tree.Path("data/big1"), RandomBytes(30000, 8));
        WriteFile(tree.Path("data/big2"), RandomBytes(30000, 8));
        WriteFile(tree.Path("data/decoy"), WithByteFlipped(RandomBytes(30000, 8), 29999));
        WriteFile(tree.Path("data/odd\xFFname"), "triple");
        WriteFile(tree.Path("data/e1"), "");
        WriteFile(tree.Path("data/e2"), "");
        tree.Link("data/link", "one");
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
    EXPECT_EQ(scan.err, "");
    std::vector<ReportedGroup> scanned;
    ASSERT_NO_THROW(scanned = ParseGroups(scan.out)) << scan.out;
    ExpectGroupsMatch(scanned, expected);

    CliRun groups = RunCommand({"groups", Doc("A.tws"), "--format", "json"});
    EXPECT_EQ(groups.status, kExitSuccess) << groups.err;
    std::vector<ReportedGroup> loaded;
    ASSERT_NO_THROW(loaded = ParseGroups(groups.out)) << groups.out;
    EXPECT_EQ(AsKeyedSet(loaded), AsKeyedSet(scanned));

    CliRun resave = RunCommand({"open", Doc("A.tws"), "--save", Doc("B.tws"), "--format", "json"});
    EXPECT_EQ(resave.status, kExitSuccess) << resave.err;
    EXPECT_EQ(resave.out, groups.out);
    std::optional<std::string> original = ReadFile(Doc("A.tws"));
    std::optional<std::string> copy = ReadFile(Doc("B.tws"));
    ASSERT_TRUE(original && copy);
    EXPECT_FALSE(original->empty());
    EXPECT_TRUE(*original == *copy) << "B.tws differs from A.tws";
}

TEST_F(CliDocumentTest, DocumentSavedUncomparedIsComparedWhenOpened) {
    // Only "Huge Files" are compared, and this tree holds none.
    CliRun scan = RunCommand({"scan", "--compare", "1", "--save", Doc("A.tws"), "--format", "json", data});
    ASSERT_EQ(scan.status, kExitSuccess) << scan.err;
    EXPECT_EQ(scan.out, "[]\n");
    EXPECT_EQ(RunCommand({"groups", Doc("A.tws"), "--format", "json"}).out, "[]\n");

    CliRun open = RunCommand({"open", Doc("A.tws"), "--compare", "all", "--save", Doc("C.tws"), "--format", "json"});
    EXPECT_EQ(open.status, kExitSuccess) << open.err;
    std::vector<ReportedGroup> compared;
    ASSERT_NO_THROW(compared = ParseGroups(open.out)) << open.out;
    ExpectGroupsMatch(compared, expected);

    // The digests went into the saved document.
    CliRun groups = RunCommand({"groups", Doc("C.tws"), "--format", "json"});
    std::vector<ReportedGroup> loaded;
    ASSERT_NO_THROW(loaded = ParseGroups(groups.out)) << groups.out;
    EXPECT_EQ(AsKeyedSet(loaded), AsKeyedSet(compared));
}

TEST_F(CliDocumentTest, DamagedDocumentFailsWithOneLineNamingFileAndCause) {
    ASSERT_EQ(RunCommand({"scan", "--save", Doc("A.tws"), data}).status, kExitSuccess);
    std::optional<std::string> valid = ReadFile(Doc("A.tws"));
    ASSERT_TRUE(valid && valid->size() > 100);

    std::vector<std::pair<std::string, std::string>> damaged{
        {"empty.tws", ""},
        {"one-byte.tws", valid->substr(0, 1)},
        {"third.tws", valid->substr(0, valid->size() / 3)},
        {"half.tws", valid->substr(0, valid->size() / 2)},
        {"text.tws", "this is not a document\n"},
        {"noise.tws", RandomBytes(4096, 9)},
    };
    for (const auto& [name, bytes] : damaged) {
        const std::string path = Doc(name);
        WriteFile(path, bytes);
        for (const char* command : {"open", "groups"}) {
            SCOPED_TRACE(std::string(command) + " " + name);
            CliRun run = RunCommand({command, path, "--format", "json"});
            EXPECT_EQ(run.status, kExitFailure);
            EXPECT_EQ(run.out, "");
            std::vector<std::string> errors = Lines(run.err);
            ASSERT_EQ(errors.size(), 1u) << run.err;
            const std::string prefix = "twinseek-cli: Could not open " + path + ": ";
            EXPECT_TRUE(errors[0].starts_with(prefix)) << errors[0];
            EXPECT_GT(errors[0].size(), prefix.size()) << "the cause is given";
        }
    }
}

TEST_F(CliDocumentTest, MissingDocumentFails) {
    for (const char* command : {"open", "groups"}) {
        CliRun run = RunCommand({command, Doc("missing.tws")});
        EXPECT_EQ(run.status, kExitFailure);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "twinseek-cli: Could not open " + Doc("missing.tws") + ": No such file or directory\n");
    }
    EXPECT_FALSE(fs::exists(Doc("missing.tws"))) << "a failed open creates nothing";
}

}  // namespace
}  // namespace twinseek
