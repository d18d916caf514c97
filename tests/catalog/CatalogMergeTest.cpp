// Putting catalogues into one: paths mapped a whole piece at a time, records of
// one path made one when they agree, anchors kept, files left to compare counted.
#include "catalog/AnchoredPathOf.h"
#include "catalog/CatalogMerge.h"
#include "tests/catalog/CatalogTestSupport.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace twinseek {
namespace {

using namespace testing;

struct Planted {
    std::string path;  // below the scan's root
    uint64_t size = 5;
    uint64_t time = 100;
    std::string digest = {};
    bool folder = false;
};

// A catalogue as a scan of scanRoot makes one: the folders of the root's
// path without attributes, those below as a listing gives them.
RootPtr Scanned(const std::string& scanRoot, const std::vector<Planted>& entries) {
    RootPtr root = MakeRoot();
    FolderItem* top = root->FindOrCreateFolder(EntryNamed("/", 0, 0));
    for (std::string_view piece : PathPieces(scanRoot))
        top = top->FindOrCreateFolder(EntryNamed(std::string(piece), 0, 0));
    for (const Planted& entry : entries) {
        FolderItem* folder = top;
        std::vector<std::string_view> pieces = PathPieces(entry.path);
        for (size_t i = 0; i + (entry.folder ? 0 : 1) < pieces.size(); ++i)
            folder = folder->FindOrCreateFolder(EntryNamed(std::string(pieces[i]), 0, FILE_ATTRIBUTE_DIRECTORY));
        if (entry.folder) continue;
        FileItem* file = AddFile(folder, std::string(pieces.back()), entry.size, entry.digest);
        file->findData.ftLastWriteTime = FileTime::FromValue(entry.time);
        if (!entry.digest.empty()) file->compareState = Finished;
    }
    root->Prune(true);
    return root;
}

// Every file's full path with its anchor and, once compared, its digest, a line each in path order.
std::string Files(const FolderItem& root) {
    std::set<std::string> lines;
    root.ForEachFileBelow([&](const FileItem* file) {
        std::string line = std::string(file->GetFullPath()) + " @" + AnchoredPathOf(*file).anchor;
        lines.insert(file->compareState == Finished ? line + " " + std::string(file->DigestText()) : line);
    });
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

TEST(PathMapTest, MappingsMoveWholePiecesAndTheLongestThatHoldsAPathWins) {
    // The mapping read back as "from=to" after folding, or "" where it is refused.
    const std::pair<const char*, const char*> parsed[] = {
        {"/home=/net/laptop/home", "/home=/net/laptop/home"}, {"/a//b/=/c/./d/", "/a/b=/c/d"}, {"/=/net/m", "/=/net/m"},
        {"/x=y=/z", "/x=y=/z"}, {"home=/x", ""}, {"/home", ""}, {"/a=b", ""},
    };
    for (const auto& [text, expected] : parsed) {
        const std::optional<PathMapping> mapping = ParsePathMapping(text);
        EXPECT_EQ(mapping ? mapping->from + "=" + mapping->to : "", expected) << text;
    }
    const std::vector<PathMapping> mappings = {{"/home", "/net/l/home"}, {"/home/ann", "/x"}, {"/", "/m"}};
    const std::pair<const char*, const char*> mapped[] = {
        {"/home/bob/f", "/net/l/home/bob/f"}, {"/home/ann/f", "/x/f"},  {"/home/annie", "/net/l/home/annie"},
        {"/homework/f", "/m/homework/f"},     {"/home", "/net/l/home"}, {"/", "/m"},
    };
    for (const auto& [path, expected] : mapped) {
        const PathMapping* mapping = MappingFor(mappings, path);
        ASSERT_TRUE(mapping) << path;
        EXPECT_EQ(MapPath(*mapping, path), expected);
    }
    EXPECT_EQ(MappingFor(std::span(mappings).first(2), "/homework"), nullptr);
}

TEST(CatalogMergeTest, RecordsOfOnePathAreOneOnlyWhenSizeTimeAndDigestAgree) {
    struct Case {
        const char* name;
        Planted first;
        Planted second;
        std::string error;   // what the refusal holds; empty when merged
        std::string digest;  // of the merged record
    };
    const std::string clash = "/data/f is a different file in two catalogues: they differ in ";
    const Case cases[] = {
        {"agree, digest taken", {"f"}, {"f", 5, 100, "D1"}, "", "D1"},
        {"agree, digest kept", {"f", 5, 100, "D1"}, {"f"}, "", "D1"},
        {"size", {"f"}, {"f", 6}, clash + "size", ""},
        {"time", {"f", 5, 100, "D1"}, {"f", 5, 101, "D1"}, clash + "last-write time", ""},
        {"size and time", {"f"}, {"f", 6, 101}, clash + "size, last-write time", ""},
        {"digest", {"f", 5, 100, "D1"}, {"f", 5, 100, "D2"}, clash + "digest", ""},
        {"folder", {"f"}, {"f", 0, 0, "", true}, "/data/f is a folder in one catalogue and a file in another", ""},
    };
    for (const Case& test : cases) {
        RootPtr output = MakeRoot();
        CatalogMerge merge(*output);
        RootPtr first = Scanned("/data", {test.first});
        RootPtr second = Scanned("/data", {test.second});
        EXPECT_EQ(merge.Add(*first, {}), "") << test.name;
        EXPECT_EQ(merge.Add(*second, {}), test.error) << test.name;
        EXPECT_TRUE(second->ChildFolders().empty()) << "the input is left empty";
        if (test.error.empty()) {
            EXPECT_EQ(Files(*output), "/data/f @/data " + test.digest + "\n") << test.name;
        }
    }
}

TEST(CatalogMergeTest, MappingsMoveEachInputsPathsAndTheFoldersMadeOnTheWayAreFollowed) {
    RootPtr output = MakeRoot();
    CatalogMerge merge(*output);
    RootPtr laptop = Scanned("/home/ann", {{"a", 5, 1, "A"}, {"docs/b", 7}});
    RootPtr nas = Scanned("/", {{"home/ann/a", 5, 2, "A"}, {"homework/c", 7}, {"home/bob/x", 9}});
    const std::vector<PathMapping> laptopMaps = {{"/home", "/net/laptop/home"}};
    const std::vector<PathMapping> nasMaps = {{"/home", "/net/nas/home"}, {"/home/ann", "/net/nas/ann-home"}};
    ASSERT_EQ(merge.Add(*laptop, laptopMaps), "");
    ASSERT_EQ(merge.Add(*nas, nasMaps), "");
    // A listed folder keeps its kind where it moves: the walk below it goes
    // without following links, from the last folder a root's path made.
    EXPECT_EQ(Files(*output),
              "/homework/c @/\n"
              "/net/laptop/home/ann/a @/net/laptop/home/ann A\n"
              "/net/laptop/home/ann/docs/b @/net/laptop/home/ann\n"
              "/net/nas/ann-home/a @/net/nas A\n"
              "/net/nas/home/bob/x @/net/nas\n");
    EXPECT_EQ(merge.UndigestedAcrossInputs(), 2u) << "b and c share a size across inputs; x only its own";

    const std::vector<PathMapping> typo = {{"/hom", "/elsewhere"}};
    EXPECT_EQ(merge.Add(*Scanned("/home/ann", {{"a"}}), typo),
              "the mapping /hom=/elsewhere names nothing: no file or folder is at /hom");
    const std::vector<PathMapping> twice = {{"/home", "/a"}, {"/home", "/b"}};
    EXPECT_EQ(merge.Add(*Scanned("/home/ann", {{"a"}}), twice), "/home is mapped twice");
}

}  // namespace
}  // namespace twinseek
