#include "catalog/FolderItem.h"
#include "tests/catalog/CatalogTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace twinseek {
namespace {

using testing::AddFile;
using testing::EntryNamed;
using testing::MakeRoot;
using testing::Numbered;

std::vector<std::string> FileNames(const FolderItem* folder) {
    std::vector<std::string> names;
    for (const FileItem* file : folder->Files()) names.emplace_back(file->Name());
    return names;
}

TEST(CatalogTreeTest, RecordsKeepTheirEntryAndAreFoundAgainByTheirExactName) {
    auto root = MakeRoot();
    FindData entry = EntryNamed("movie.mkv", (uint64_t(3) << 32) + 9);
    entry.ftLastWriteTime = FileTime::FromValue(0x0123456789ABCDEFULL);
    strcpy(entry.cAlternateFileName, "MOVIE~1.MKV");
    bool created = false;
    FileItem* file = root->FindOrCreateFile(entry, created);
    EXPECT_TRUE(created);
    EXPECT_EQ(file->compareState, Provisional);
    FindData back = file->GetFindData();
    EXPECT_STREQ(back.cFileName, "movie.mkv");
    EXPECT_STREQ(back.cAlternateFileName, "MOVIE~1.MKV");
    EXPECT_EQ(back.ftLastWriteTime.Value(), 0x0123456789ABCDEFULL);
    EXPECT_EQ(file->parent, root.get());
    EXPECT_EQ(root->FindOrCreateFile(EntryNamed("movie.mkv", 99), created), file);
    EXPECT_FALSE(created);
    EXPECT_EQ(file->Size(), (uint64_t(3) << 32) + 9) << "a file found again keeps the size first recorded";

    // Names are ordered byte-wise and differ by case.
    for (const char* name : {"b", "B", "a", "ab", "\xC3\xA9t\xC3\xA9", "A"}) AddFile(root.get(), name, 1);
    EXPECT_EQ(FileNames(root.get()),
              (std::vector<std::string>{"A", "B", "a", "ab", "b", "movie.mkv", "\xC3\xA9t\xC3\xA9"}));
    FolderItem* folder = root->FindOrCreateFolder(EntryNamed("docs", 0, FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(root->FindOrCreateFolder(EntryNamed("docs")), folder);
    EXPECT_EQ(root->ChildFolders().size(), 1u);

    // Colour marks are kept per list.
    int listA = 0;
    int listB = 0;
    file->SetTextColor(&listA, 0x0000FF);
    file->SetTextColor(&listB, 0);
    file->SetTextColor(&listA, 0xFF0000);
    EXPECT_EQ(file->FindColorMark(&listA)->textColor, 0xFF0000u);
    EXPECT_EQ(file->FindColorMark(&listB)->textColor, 0u);
}

TEST(CatalogTreeTest, FullPathsJoinNamesUnderTheFileSystemRootEvenWhenTwoThreadsBuildThem) {
    auto root = MakeRoot();
    FolderItem* folder = root->FindOrCreateFolder(EntryNamed("/"));
    FileItem* inRelative = AddFile(root->FindOrCreateFolder(EntryNamed("relative")), "x", 1);
    EXPECT_EQ(root->GetFullPath(), "");
    EXPECT_EQ(folder->GetFullPath(), "/");
    EXPECT_EQ(inRelative->GetFullPath(), "relative/x");

    std::vector<FileItem*> files;
    for (int depth = 0; depth < 50; ++depth) folder = folder->FindOrCreateFolder(EntryNamed(Numbered("d", depth)));
    for (int i = 0; i < 200; ++i) files.push_back(AddFile(folder, Numbered("f", i), 1));
    std::vector<std::string> seenByWorker(files.size());
    std::thread worker([&] {
        for (size_t i = 0; i < files.size(); ++i) seenByWorker[i] = std::string(files[i]->GetFullPath());
    });
    for (size_t i = files.size(); i-- > 0;) (void)files[i]->GetFullPath();
    worker.join();
    for (size_t i = 0; i < files.size(); ++i) EXPECT_EQ(seenByWorker[i], files[i]->GetFullPath());
    EXPECT_EQ(files[7]->GetFullPath().substr(0, 7), "/d0/d1/");
    EXPECT_TRUE(files[7]->GetFullPath().ends_with("/d48/d49/f7")) << files[7]->GetFullPath();
    EXPECT_EQ(files[7]->GetFullPath().data(), files[7]->GetFullPath().data()) << "the path is built once";
}

TEST(CatalogTreeTest, PruneCommitsOrRollsBackOnlyProvisionalRecords) {
    auto root = MakeRoot();
    FolderItem* kept = root->FindOrCreateFolder(EntryNamed("kept"));
    FileItem* old = AddFile(kept, "old", 1);  // committed earlier
    old->compareState = Finished;
    kept->compareState = NotCompared;

    bool created = false;
    kept->FindOrCreateFolder(EntryNamed("fresh"))->FindOrCreateFile(EntryNamed("inner", 2), created);
    kept->FindOrCreateFile(EntryNamed("new", 3), created);
    kept->Prune(false);
    EXPECT_EQ(kept->ChildFolders().size(), 0u);
    EXPECT_EQ(FileNames(kept), std::vector<std::string>{"old"});
    EXPECT_EQ(old->compareState, Finished);

    FolderItem* again = kept->FindOrCreateFolder(EntryNamed("again"));
    FileItem* inner = again->FindOrCreateFile(EntryNamed("inner", 2), created);
    root->Prune(true);
    EXPECT_EQ(again->compareState, NotCompared);
    EXPECT_EQ(inner->compareState, NotCompared);
    EXPECT_EQ(old->compareState, Finished) << "commit leaves states past Provisional alone";
    EXPECT_EQ(root->CountFiles(), 2u);
}

TEST(CatalogTreeTest, ClearAndCountCopeWithVeryDeepTrees) {
    auto root = MakeRoot();
    FolderItem* folder = root.get();
    for (int depth = 0; depth < 200000; ++depth) {
        folder = folder->FindOrCreateFolder(EntryNamed("d"));
        if (depth % 1000 == 0) AddFile(folder, "f", 1);
    }
    EXPECT_EQ(root->CountFiles(), 200u);
    root->Prune(true);
    EXPECT_EQ(folder->compareState, NotCompared);
    root->ClearChildren();
    EXPECT_EQ(root->CountFiles(), 0u);
    EXPECT_TRUE(root->ChildFolders().empty());
}

}  // namespace
}  // namespace twinseek
