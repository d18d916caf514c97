// Opening a file's folder along the path a scan walked, telling gone from not on
// this computer and from a link on the path; comparing files; replacing one; the
// entries of a listing and full paths; and the file layer below the document.
#include "platform/AnchoredPath.h"
#include "platform/BusErrorGuard.h"
#include "platform/CXException.h"
#include "platform/CXFile.h"
#include "platform/EntryContent.h"
#include "platform/EntryRemoval.h"
#include "platform/FileContentReader.h"
#include "platform/FileOperations.h"
#include "platform/FileReplacement.h"
#include "platform/FindData.h"
#include "platform/FullPath.h"
#include "platform/UniqueFd.h"
#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <sys/mount.h>
#include <vector>

namespace twinseek {
namespace {

using namespace testing;

TEST(AnchoredPathTest, WhatStandsOnThePathDecidesBetweenGoneNotHereLinkAndUnreachable) {
    TemporaryTree tree;
    for (const char* folder : {"root", "root/a", "root/a/b", "elsewhere", "elsewhere/b"}) tree.Folder(folder);
    tree.File("root/file");
    tree.Link("root/linked", tree.Path("elsewhere"));
    tree.Link("rootlink", tree.Path("root"));
    struct Case {
        std::string anchor;
        std::vector<std::string> steps;
        PathState state;
        std::string linkedFolder;
    };
    const Case cases[] = {
        {tree.Path("root"), {"a", "b"}, PathState::Present, ""},
        // The anchor's own folders are followed, as the scan followed them.
        {tree.Path("rootlink") + "/a", {"b"}, PathState::Present, ""},
        {tree.Path("root"), {"missing", "b"}, PathState::Gone, ""},
        {tree.Path("root"), {"file", "b"}, PathState::Gone, ""},  // a plain file where a folder was
        {tree.Path("root"), {"linked", "b"}, PathState::LinkOnPath, tree.Path("root/linked")},
        {tree.Path("rootlink"), {"a"}, PathState::LinkOnPath, tree.Path("rootlink")},
        // No folder where the scan began: another computer's, never gone.
        {tree.Path("gone"), {"a"}, PathState::NotOnThisComputer, ""},
        {tree.Path("root/file/deeper"), {}, PathState::NotOnThisComputer, ""},
        {"relative/path", {}, PathState::Unreachable, ""},
    };
    for (const Case& test : cases) {
        FolderOpening opening = OpenAnchoredFolder({test.anchor, test.steps, "x"});
        EXPECT_EQ(opening.state, test.state) << test.anchor << " " << test.steps.size();
        EXPECT_EQ(opening.folder.IsOpen(), test.state == PathState::Present);
        EXPECT_EQ(opening.linkedFolder, test.linkedFolder);
    }

    FolderOpening root = OpenAnchoredFolder({tree.Path("root"), {}, ""});
    EXPECT_TRUE(LookAtEntry(root.folder.Get(), "file").IsRegularFile());
    EXPECT_EQ(LookAtEntry(root.folder.Get(), "nothing").state, PathState::Gone);
    EntryLook link = LookAtEntry(root.folder.Get(), "linked");
    EXPECT_EQ(link.state, PathState::Present);
    EXPECT_FALSE(link.IsRegularFile()) << "a link is looked at, not followed";
}

TEST(AnchoredPathTest, ContentsCompareByteForByteAndEntriesAreHeldToTheFileTheyWereCheckedAs) {
    TemporaryTree tree;
    const std::string base(300 * 1024, 'x');  // more than one piece read
    std::string lastByte = base;
    lastByte.back() = 'y';
    const std::pair<std::string, ContentMatch> cases[] = {
        {base, ContentMatch::Same},
        {lastByte, ContentMatch::Different},
        {base.substr(1), ContentMatch::Different},  // shorter than the size compared
        {base + "z", ContentMatch::Different},      // goes on past it
    };
    WriteBytes(tree.Path("first"), base);
    FolderOpening opening = OpenAnchoredFolder({tree.Root(), {}, ""});
    const int folder = opening.folder.Get();
    const auto identity = [&](const char* name) { return LookAtEntry(folder, name).stamp.identity; };
    const FileIdentity first = identity("first");
    UniqueFd firstFile;
    ASSERT_EQ(OpenEntryForReading(folder, "first", first, firstFile), 0);
    for (const auto& [content, match] : cases) {
        WriteBytes(tree.Path("second"), content);
        UniqueFd secondFile;
        ASSERT_EQ(OpenEntryForReading(folder, "second", identity("second"), secondFile), 0);
        std::atomic<uint64_t> done{0};
        std::atomic<bool> stop{false};
        EXPECT_EQ(CompareContents(firstFile.Get(), secondFile.Get(), base.size(), done, stop).match, match)
            << content.size();
        stop = true;
        EXPECT_EQ(CompareContents(firstFile.Get(), secondFile.Get(), base.size(), done, stop).match,
                  ContentMatch::Stopped);
    }

    // Another file moved into the place of the one checked is neither read, removed nor linked to.
    UniqueFd other;
    ASSERT_EQ(rename(tree.Path("second").c_str(), tree.Path("first").c_str()), 0);
    EXPECT_EQ(OpenEntryForReading(folder, "first", first, other), ESTALE);
    EXPECT_EQ(UnlinkEntry(folder, "first", first), ESTALE);
    WriteBytes(tree.Path("file"), base);
    const FolderEntry file{folder, "file", identity("file")};
    EXPECT_EQ(ReplaceWithHardLink(file, {folder, "first", first}).error, ESTALE);
    EXPECT_EQ(identity("file"), file.identity);
    EXPECT_EQ(EntriesIn(tree.Root()), 2) << "no temporary name is left behind";
    EXPECT_EQ(ReplaceWithHardLink(file, {folder, "first", identity("first")}).error, 0);
    EXPECT_EQ(identity("file"), identity("first"));
    EXPECT_EQ(EntriesIn(tree.Root()), 2);
    ASSERT_EQ(mkfifo(tree.Path("fifo").c_str(), 0600), 0);
    EXPECT_EQ(OpenEntryForReading(folder, "fifo", identity("fifo"), other), EINVAL) << "and never waits on a FIFO";
    EXPECT_EQ(UnlinkEntry(folder, "fifo", identity("fifo")), 0);
    EXPECT_EQ(access(tree.Path("fifo").c_str(), F_OK), -1);
}

// A link to or a clone of a copy put in a file's place in one rename, or the file left.

FileIdentity IdentityOf(const std::string& path) {
    const struct stat status = testing::StatusOf(path);
    return {uint64_t(status.st_dev), uint64_t(status.st_ino)};
}

// A small Btrfs file system mounted for one test, which can clone files.
struct BtrfsImage {
    BtrfsImage() {
        tree.Folder("mnt");
        const std::string image = tree.Path("image"), make = "truncate -s 128M '" + image + "' && mkfs.btrfs -q '";
        if (geteuid() != 0)
            why = "needs root to mount a Btrfs image";
        else if (std::system((make + image + "' >/dev/null 2>&1").c_str()) != 0)
            why = "mkfs.btrfs is missing or failed";
        else if (std::system(("mount -o loop '" + image + "' '" + mountPoint + "' 2>/dev/null").c_str()) != 0)
            why = "no loop device could mount the image";
        mounted = why.empty();
    }
    ~BtrfsImage() {
        if (mounted) umount2(mountPoint.c_str(), MNT_DETACH);
    }
    std::string Path(const std::string& name) const { return mountPoint + "/" + name; }

    TemporaryTree tree;
    std::string mountPoint = tree.Path("mnt"), why;
    bool mounted = false;
};

TEST(FileReplacementTest, CloneKeepsTheFilesModeAndTimesAndAHardLinkCannotLeaveItsFileSystem) {
    BtrfsImage btrfs;
    if (!btrfs.mounted) GTEST_SKIP() << btrfs.why;
    const std::string bytes(1 << 20, 'c');
    WriteBytes(btrfs.Path("kept"), bytes);
    WriteBytes(btrfs.Path("file"), bytes);
    ASSERT_EQ(chmod(btrfs.Path("file").c_str(), 0640), 0);
    testing::SetWriteTime(btrfs.Path("file"), 1500000000, 123456789);
    UniqueFd folder(open(btrfs.mountPoint.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    const FolderEntry file{folder.Get(), "file", IdentityOf(btrfs.Path("file"))};
    const FolderEntry kept{folder.Get(), "kept", IdentityOf(btrfs.Path("kept"))};

    const ReplacementOutcome cloned = ReplaceWithClone(file, kept);
    ASSERT_EQ(cloned.error, 0) << cloned.reason;
    const struct stat status = testing::StatusOf(btrfs.Path("file"));
    EXPECT_NE(IdentityOf(btrfs.Path("file")), file.identity);
    EXPECT_NE(IdentityOf(btrfs.Path("file")), kept.identity) << "a clone is a file of its own";
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(status.st_mtim.tv_sec, 1500000000);
    EXPECT_EQ(status.st_mtim.tv_nsec, 123456789);
    EXPECT_EQ(ReadBytes(btrfs.Path("file")), bytes);

    WriteBytes(btrfs.tree.Path("outside"), bytes);
    UniqueFd outsideFolder(open(btrfs.tree.Root().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    const ReplacementOutcome linked =
        ReplaceWithHardLink({outsideFolder.Get(), "outside", IdentityOf(btrfs.tree.Path("outside"))}, kept);
    EXPECT_EQ(linked.error, EXDEV);
    EXPECT_EQ(linked.reason, "A hard link cannot reach a copy on another file system");
    EXPECT_EQ(ReadBytes(btrfs.tree.Path("outside")), bytes);
}

TEST(FindDataTest, SizeSplitsIntoHalvesTimesCountFrom1601AndNamesMustFit) {
    FindData data;
    struct stat status {};
    status.st_mode = S_IFREG | 0644;
    status.st_size = off_t(5) << 32 | 7;
    status.st_ctim = {1, 500};
    struct timespec birth {2, 0};
    FillFindData(data, status, "big", &birth);
    EXPECT_EQ(data.nFileSizeHigh, 5u);
    EXPECT_EQ(data.nFileSizeLow, 7u);
    EXPECT_EQ(data.ftLastWriteTime.Value(), 116444736000000000ULL);
    EXPECT_EQ(data.ftCreationTime.Value(), 116444736000000000ULL + 20000000ULL);
    FillFindData(data, status, "big", nullptr);
    EXPECT_EQ(data.ftCreationTime.Value(), 116444736000000000ULL + 10000005ULL)
        << "without a birth time the change time stands in";

    std::string longest(kMaxNameBuffer - 1, 'y');
    EXPECT_TRUE(data.SetName(longest.c_str()));
    EXPECT_EQ(std::strlen(data.cFileName), size_t(kMaxNameBuffer - 1));
    std::string tooLong(kMaxNameBuffer, 'x');
    EXPECT_FALSE(data.SetName(tooLong.c_str()));
    EXPECT_EQ(data.cFileName, longest) << "a name that does not fit leaves the old one";
}

// Absolute paths from their text alone, relative ones joined to the working directory.
TEST(FullPathTest, FoldsTheTextJoinsTheWorkingDirectoryWhileItExistsAndMustFitWithItsZero) {
    char previous[PATH_MAX];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    testing::TemporaryTree tree;
    tree.Folder("cwd");
    const std::string cwd = tree.Path("cwd");
    ASSERT_EQ(chdir(cwd.c_str()), 0);
    // The room is the buffer's whole size, so a write past it shows under ASan; "" is refused.
    const struct { const char* path; size_t room; std::string full; } cases[] = {
        {"/a//b/./c/../d", PATH_MAX, "/a/b/d"}, {"/a/b/../..", PATH_MAX, "/"}, {"///a/./", PATH_MAX, "/a"},
        {"/a/..b/.c", PATH_MAX, "/a/..b/.c"},  // only whole components are dots
        {"/../../x", PATH_MAX, "/x"}, {"//", PATH_MAX, "/"}, {"x/y", PATH_MAX, cwd + "/x/y"}, {"", PATH_MAX, cwd},
        {"./x/../y/", PATH_MAX, cwd + "/y"}, {"..", PATH_MAX, tree.Root()}, {"/a/b/../cde", 7, "/a/cde"},
        {"/a/b/../cde", 6, ""}, {"/a/bcdefgh/..", 4, "/a"},  // only the folded result has to fit
    };
    for (const auto& [path, room, full] : cases) {
        std::vector<char> out(room, '#');
        EXPECT_EQ(GetFullPathName(path, out.data(), room), !full.empty()) << path;
        EXPECT_EQ(std::string(out.data()), full) << path;
    }
    EXPECT_EQ(GetFullPathName(std::string_view("x/y")), cwd + "/x/y");

    ASSERT_EQ(rmdir(cwd.c_str()), 0);
    char out[16] = "old";
    EXPECT_FALSE(GetFullPathName("x", out, sizeof out));
    EXPECT_STREQ(out, "");
    EXPECT_EQ(GetFullPathName(std::string_view("x")), std::nullopt);
    EXPECT_EQ(GetFullPathName(std::string_view("/x")), "/x") << "absolute paths need no working directory";
    EXPECT_EQ(chdir(previous), 0);
}

// The file layer: the document's open file, a safe save's temporary file,
// replacement and permissions, and the reader of contents for comparing.

// Runs body and returns the cause of the CXFileException it throws (0 if none).
template <typename Body>
uint32_t FileErrorOf(Body body) {
    try {
        body();
    } catch (const CXFileException& error) {
        return error.GetCause();
    }
    return 0;
}

TEST(CXFileTest, MissingFilesDirectoriesAndFifosAreRefusedWithoutBlockingAndNoSeekGoesBeforeTheStart) {
    TemporaryTree dir;
    CXFile file;
    const auto openError = [&](const std::string& path, CXFile::Access access) {
        return FileErrorOf([&] { file.Open(path, access, CXFile::Creation::OpenExisting); });
    };
    EXPECT_EQ(openError(dir.Path("missing"), CXFile::Access::Read), uint32_t(ENOENT));
    EXPECT_EQ(openError(dir.Root(), CXFile::Access::Read), uint32_t(EISDIR));
    std::string fifo = dir.Path("pipe.tws");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(openError(fifo, CXFile::Access::Read), uint32_t(EINVAL));
    EXPECT_NE(openError(fifo, CXFile::Access::Write), 0u) << "a FIFO without a reader is refused, not waited on";
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.GetFilePath(), "");

    // Reads, writes and seeks move in the file; none goes before its start.
    file.Open(dir.Path("data.tws"), CXFile::Access::ReadWrite, CXFile::Creation::CreateNew);
    EXPECT_EQ(file.GetFileName(), "data.tws");
    file.Write("0123456789", 10);
    EXPECT_EQ(file.Seek(-4, CXFile::SeekFrom::Current), 6u);
    char buffer[8] = {};
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 4u) << "one read stops at the end";
    EXPECT_EQ(std::string(buffer, 4), "6789");
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
    EXPECT_EQ(FileErrorOf([&] { file.Seek(-11, CXFile::SeekFrom::Current); }), uint32_t(EINVAL));
    file.Close();
    EXPECT_EQ(file.GetFilePath(), "") << "a closed file has no name";
    EXPECT_EQ(FileErrorOf([&] { file.Flush(); file.Close(); }), 0u) << "flushing or closing a closed file does nothing";
    EXPECT_EQ(FileErrorOf([&] { file.Open(dir.Path("data.tws"), CXFile::Access::Write, CXFile::Creation::CreateNew); }),
              uint32_t(EEXIST));
}

TEST(FileOperationsTest, TemporaryFilesAreNewHiddenAndBesideTheirTargetAndReplaceOrLeaveIt) {
    TemporaryTree folder;
    CXFile first, second;
    std::string firstPath = OpenTemporaryBeside(first, folder.Path("doc.tws"));
    EXPECT_NE(OpenTemporaryBeside(second, folder.Path("doc.tws")), firstPath);
    EXPECT_EQ(std::filesystem::path(firstPath).parent_path(), folder.Root());
    EXPECT_EQ(std::filesystem::path(firstPath).filename().string()[0], '.');
    first.Write("abc", 3);
    first.Close();
    EXPECT_EQ(ReadBytes(firstPath), "abc");
    EXPECT_EQ(testing::EntriesIn(folder.Root()), 2);
    EXPECT_THROW(OpenTemporaryBeside(first, folder.Path("absent/doc.tws")), CXFileException);

    // A replacement that fails leaves both alone; permissions copy.
    folder.Folder("dir");
    WriteBytes(folder.Path("next"), "next");
    EXPECT_EQ(FileErrorOf([&] { ReplaceFile(folder.Path("next"), folder.Path("dir")); }), uint32_t(EISDIR));
    EXPECT_EQ(ReadBytes(folder.Path("next")), "next");
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path("dir")));

    WriteBytes(folder.Path("old"), "old");
    ASSERT_EQ(chmod(folder.Path("old").c_str(), 0604), 0);
    EXPECT_TRUE(CopyPermissions(folder.Path("old"), folder.Path("next")));
    EXPECT_EQ(testing::StatusOf(folder.Path("next")).st_mode & 07777, 0604u);
    EXPECT_FALSE(CopyPermissions(folder.Path("absent"), folder.Path("next")));
}

using Status = FileContentReader::ReadStatus;

TEST(FileContentReaderTest, ReadsAndMapsARegularFileTellsAReadErrorFromTheEndAndSurvivesAFileCutShortUnderAView) {
    testing::TemporaryTree tree;
    const std::string content = testing::RandomContent(2 * 65536 + 123, 1);
    testing::WriteBytes(tree.Path("data"), content);
    FileContentReader reader;
    ASSERT_TRUE(reader.Open(tree.Path("data").c_str()));
    std::string read;
    std::string buffer(65536, '\0');
    FileContentReader::ReadResult result;
    while ((result = reader.Read(buffer.data(), buffer.size())).status == Status::Data)
        read.append(buffer, 0, result.bytes);
    EXPECT_EQ(result.status, Status::EndOfFile);
    EXPECT_EQ(read, content);
    EXPECT_EQ(reader.Read(buffer.data(), 16).status, Status::EndOfFile) << "the end stays the end";

    FileContentReader::MappedView view = reader.MapAt(4096 + 3, 5000);
    ASSERT_EQ(view.status, Status::Data);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(view.data), view.bytes), content.substr(4096 + 3, 5000));
    view = reader.MapAt(content.size() - 10, 5000);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(view.data), view.bytes), content.substr(content.size() - 10));
    EXPECT_EQ(reader.MapAt(content.size(), 5000).status, Status::EndOfFile);

    // Cut to nothing under a mapped view: every touch fails the guard, the
    // second too (the first must not leave SIGBUS blocked), and the process lives.
    view = reader.MapAt(0, 3 * 4096);
    ASSERT_EQ(view.status, Status::Data);
    ASSERT_EQ(truncate(tree.Path("data").c_str(), 0), 0);
    struct Touch {
        const uint8_t* byte;
        int sum = 0;
    };
    auto touch = [](void* context) {
        Touch& work = *static_cast<Touch*>(context);
        work.sum += *static_cast<const volatile uint8_t*>(work.byte);
    };
    for (size_t at : {size_t(0), size_t(2 * 4096 + 1)}) {
        Touch work{view.data + at};
        EXPECT_FALSE(RunGuardedAgainstBusError(touch, &work)) << at;
    }
    uint8_t heap = 7;
    Touch work{&heap};
    EXPECT_TRUE(RunGuardedAgainstBusError(touch, &work));
    EXPECT_EQ(work.sum, 7);

    // This process's memory reads as an error at offset 0, where nothing is mapped.
    ASSERT_TRUE(reader.Open("/proc/self/mem")) << reader.LastError();
    EXPECT_EQ(reader.Read(buffer.data(), 64).status, Status::Failed);
    EXPECT_EQ(reader.LastError(), EIO);
    reader.Close();
    EXPECT_FALSE(reader.IsOpen());
}

}  // namespace
}  // namespace twinseek
