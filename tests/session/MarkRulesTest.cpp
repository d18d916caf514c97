#include "session/MarkRules.h"

#include "tests/catalog/CatalogTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace twinseek {
namespace {

using testing::EntryNamed;

MarkRules Rules(KeepRule keep, std::string folder = {}, std::vector<std::string> references = {}) {
    return MarkRules{keep, std::move(folder), std::move(references)};
}

class MarkRulesTest : public ::testing::Test {
protected:
    // A file at an absolute path, its folders made as a scan cuts a root,
    // modified at time (100-ns units).
    FileItem* File(const std::string& path, uint64_t time = 0) {
        FolderItem* folder = root->FindOrCreateFolder(EntryNamed("/", 0, FILE_ATTRIBUTE_DIRECTORY));
        size_t start = 1;
        for (size_t slash; (slash = path.find('/', start)) != std::string::npos; start = slash + 1)
            folder = folder->FindOrCreateFolder(EntryNamed(path.substr(start, slash - start), 0, FILE_ATTRIBUTE_DIRECTORY));
        FileItem* file = testing::AddFile(folder, path.substr(start), 10, std::string(32, 'A'));
        file->findData.ftLastWriteTime = FileTime::FromValue(time);
        return file;
    }
    std::vector<FileItem*> Group(const std::vector<std::pair<std::string, uint64_t>>& files) {
        std::vector<FileItem*> group;
        for (const auto& [path, time] : files) group.push_back(File(path, time));
        return group;
    }
    // The files left unticked, by path; "untouched" when the rules leave the group.
    static std::string Kept(CopyMarker& marker, const std::vector<FileItem*>& group) {
        const std::vector<bool>& ticks = marker.Mark(group);
        if (ticks.empty()) return "untouched";
        std::string kept;
        for (size_t i = 0; i < group.size(); ++i)
            if (!ticks[i]) kept.append(kept.empty() ? "" : " ").append(group[i]->GetFullPath());
        return kept;
    }

    testing::RootPtr root = testing::MakeRoot();
};

TEST_F(MarkRulesTest, EachRuleKeepsOneFileAndTiesGoToTheFirstPathByteWise) {
    struct Case {
        const char* what;
        MarkRules rules;
        std::vector<std::pair<std::string, uint64_t>> files;
        const char* kept;
    };
    const Case cases[] = {
        {"newest, two equally new", Rules(KeepRule::Newest), {{"/c/x", 9}, {"/a/x", 5}, {"/b/x", 9}}, "/b/x"},
        {"oldest, two equally old", Rules(KeepRule::Oldest), {{"/c/x", 3}, {"/a/x", 5}, {"/b/x", 3}}, "/b/x"},
        {"a tie by whole paths, not folder then name: '-' comes before '/'",
         Rules(KeepRule::Oldest), {{"/a/b/f", 1}, {"/a/b-x/f", 1}}, "/a/b-x/f"},
        {"bytes compare unsigned", Rules(KeepRule::Newest), {{"/a/\xc3\xa9", 1}, {"/a/z", 1}}, "/a/z"},
        {"shortest path", Rules(KeepRule::Shortest), {{"/data/photos/x.jpg", 0}, {"/e/x.jpg", 0}, {"/d/x.jpg", 0}},
         "/d/x.jpg"},
        {"least nested, though longer", Rules(KeepRule::Shallowest),
         {{"/a/b/c/x", 0}, {"/a-much-longer-name/x", 0}, {"/a/b/x", 0}}, "/a-much-longer-name/x"},
        {"first as listed", Rules(KeepRule::First), {{"/z/x", 0}, {"/a/x", 0}}, "/z/x"},
        {"under the folder, the first path of those there", Rules(KeepRule::InFolder, "/keep/./"),
         {{"/a/x", 0}, {"/keep/x", 0}, {"/keep/sub/x", 0}}, "/keep/sub/x"},
        {"a folder whose name only starts the same holds nothing", Rules(KeepRule::InFolder, "/keep"),
         {{"/a/x", 0}, {"/keeper/x", 0}}, "untouched"},
    };
    for (const Case& test : cases) {
        CopyMarker marker(test.rules);
        const std::vector<FileItem*> group = Group(test.files);
        EXPECT_EQ(Kept(marker, group), test.kept) << test.what;
        std::vector<FileItem*> reversed(group.rbegin(), group.rend());
        if (test.rules.keep != KeepRule::First) {
            EXPECT_EQ(Kept(marker, reversed), test.kept) << test.what << ", listed the other way round";
        }
    }
}

TEST_F(MarkRulesTest, ReferenceFoldersKeepTheirFilesAndTickTheOthers) {
    struct Case {
        const char* what;
        std::vector<std::string> references;
        std::vector<std::pair<std::string, uint64_t>> files;
        const char* kept;
    };
    const Case cases[] = {
        {"one file in a reference folder stays, though the rule picks another", {"/ref"},
         {{"/a/x", 1}, {"/ref/x", 9}, {"/b/x", 5}}, "/ref/x"},
        {"every file in one stays, deep ones too", {"/ref/"}, {{"/ref/x", 9}, {"/a/x", 1}, {"/ref/sub/x", 9}},
         "/ref/x /ref/sub/x"},
        {"a group wholly inside reference folders keeps all", {"/ref", "/other"}, {{"/ref/x", 1}, {"/other/x", 2}},
         "/ref/x /other/x"},
        {"a folder whose name only starts the same is none", {"/ref"}, {{"/reference/x", 9}, {"/a/x", 1}}, "/a/x"},
        {"the root holds everything", {"/"}, {{"/a/x", 1}, {"/b/x", 2}}, "/a/x /b/x"},
    };
    for (const Case& test : cases) {
        CopyMarker marker(Rules(KeepRule::Oldest, "", test.references));
        EXPECT_EQ(Kept(marker, Group(test.files)), test.kept) << test.what;
    }
}

TEST_F(MarkRulesTest, FilesToTickCoversEveryGroupOfTheIndexAndRulesGoByName) {
    DuplicateIndex index;
    std::vector<FileItem*> files = Group({{"/a/one", 3}, {"/b/one", 1}, {"/c/one", 2}, {"/a/two", 1},
                                          {"/b/two", 4}, {"/a/alone", 1}});
    for (size_t i = 0; i < files.size(); ++i) {
        files[i]->findData.nFileSizeLow = i < 3 ? 100 : i < 5 ? 50 : 7;
        index.Insert(files[i]);
    }
    std::vector<std::string> ticked;
    for (FileItem* file : FilesToTick(index, Rules(KeepRule::Newest))) ticked.emplace_back(file->GetFullPath());
    EXPECT_EQ(ticked, (std::vector<std::string>{"/b/one", "/c/one", "/a/two"})) << "largest group first";

    for (KeepRule rule : {KeepRule::Newest, KeepRule::Oldest, KeepRule::Shortest, KeepRule::Shallowest,
                          KeepRule::First, KeepRule::InFolder})
        EXPECT_EQ(KeepRuleNamed(KeepRuleName(rule)), rule) << KeepRuleName(rule);
    EXPECT_FALSE(KeepRuleNamed("Newest"));
}

}  // namespace
}  // namespace twinseek
