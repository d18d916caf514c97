// The catalogue: its tree of folder and file records, the size index of the
// files with its size categories, catalogues put into one, and the index of
// duplicate groups.
#include "catalog/AnchoredPathOf.h"
#include "catalog/CatalogMerge.h"
#include "catalog/DuplicateIndex.h"
#include "catalog/FileCatalog.h"
#include "catalog/FolderItem.h"
#include "catalog/GroupLabels.h"
#include "catalog/ScannedRoots.h"
#include "catalog/SizeCategory.h"
#include "catalog/TextFormat.h"
#include "tests/catalog/CatalogTestSupport.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <thread>
#include <utility>
#include <vector>

namespace twinseek {
namespace {

using namespace testing;

TEST(CatalogTreeTest, FullPathsJoinNamesEvenWhenTwoThreadsBuildThemAndVeryDeepTreesCountAndClear) {
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

    // Counting, pruning and clearing go level by level without a call per level.
    for (int depth = 0; depth < 200000; ++depth) {
        folder = folder->FindOrCreateFolder(EntryNamed("d"));
        if (depth % 1000 == 0) AddFile(folder, "f", 1);
    }
    EXPECT_EQ(root->CountFiles(), 401u);
    root->Prune(true);
    EXPECT_EQ(folder->compareState, NotCompared);
    root->ClearChildren();
    EXPECT_EQ(root->CountFiles(), 0u);
    EXPECT_TRUE(root->ChildFolders().empty());
}

std::vector<FileItem*> Items(FileCatalog::EntryRange range) {
    std::vector<FileItem*> items;
    for (const auto& entry : range) items.push_back(entry.item);
    return items;
}

TEST(CatalogTreeTest, ScannedRootsAreTheFoldersOfARootsPathThatHoldWhatAListingMetOrNothing) {
    RootPtr root = MakeRoot();
    // Folders of a root's path carry no attributes; listed ones the directory attribute.
    auto path = [](FolderItem* folder, const char* name, uint32_t attributes = 0) {
        return folder->FindOrCreateFolder(EntryNamed(name, 0, attributes));
    };
    FolderItem* top = path(root.get(), "/");
    AddFile(path(path(top, "home"), "ann"), "song", 3);       // /home/ann holds a file
    path(path(top, "mnt"), "usb");                            // /mnt/usb holds nothing
    // /data holds a listed folder; /data/x/y holds nothing.
    path(path(path(top, "data"), "x", FILE_ATTRIBUTE_DIRECTORY), "y");
    AddFile(path(path(path(top, "srv"), "a"), "b"), "f", 1);  // /srv/a only leads to /srv/a/b
    EXPECT_EQ(ScannedRoots(*root),
              (std::vector<std::string>{"/data", "/data/x/y", "/home/ann", "/mnt/usb", "/srv/a/b"}));
    EXPECT_TRUE(ScannedRoots(*MakeRoot()).empty());
}

TEST(FileCatalogTest, LargestFirstEqualSizesInInsertionOrderThroughMergeAndRemoval) {
    auto root = MakeRoot();
    FileCatalog catalog;
    FileItem *a = AddFile(root.get(), "a", 10), *b = AddFile(root.get(), "b", 500), *c = AddFile(root.get(), "c", 10);
    FileItem* d = AddFile(root.get(), "d", 2000000);
    for (FileItem* item : {a, b, c, d}) catalog.Insert(item->Size(), item);
    EXPECT_EQ(Items(catalog.All()), (std::vector<FileItem*>{d, b, a, c}));
    FileCatalog intake;
    FileItem* e = AddFile(root.get(), "e", 10);
    intake.Insert(10, e);
    catalog.MergeFrom(intake);
    EXPECT_EQ(Items(catalog.Range(0, 10)), (std::vector<FileItem*>{a, c, e}));
    EXPECT_EQ(catalog.CountOfSize(10), 3u);
    EXPECT_EQ(catalog.CountOfSize(11), 0u);
    EXPECT_EQ(Items(catalog.Range(3)), std::vector<FileItem*>{d});
    EXPECT_EQ(Items(catalog.Range(7)), (std::vector<FileItem*>{b, a, c, e}));
    EXPECT_TRUE(catalog.Range(1).empty());

    EXPECT_TRUE(catalog.Remove(10, c));
    EXPECT_FALSE(catalog.Remove(10, c)) << "a record is removed once";
    EXPECT_FALSE(catalog.Remove(11, a)) << "the size must match";
    catalog.Insert(10, c);
    EXPECT_TRUE(catalog.Remove(10, c)) << "removing a file not yet sorted in";
    EXPECT_EQ(catalog.Count(), 4u);
    EXPECT_EQ(Items(catalog.Range(0, 10)), (std::vector<FileItem*>{a, e}));
    catalog.Clear();
    EXPECT_EQ(catalog.Count(), 0u);
    EXPECT_TRUE(catalog.All().empty());
}

TEST(FileCatalogTest, RemovingManyFilesOfOneSizeCostsEachALogarithm) {
    auto stepsPerFile = [](int n) {
        auto root = MakeRoot();
        FileCatalog catalog;
        std::vector<FileItem*> copies;
        for (int i = 0; i < n; ++i) {
            copies.push_back(AddFile(root.get(), Numbered("c", i), 0));
            catalog.Insert(0, copies.back());
        }
        catalog.Insert(7, AddFile(root.get(), "other", 7));
        (void)catalog.All();
        uint64_t before = catalog.Steps();
        // Last first: a walk from the head of the size to the file is longest so.
        for (auto it = copies.rbegin(); it != copies.rend(); ++it) EXPECT_TRUE(catalog.Remove(0, *it));
        EXPECT_EQ(Items(catalog.All()).size(), 1u);
        return double(catalog.Steps() - before) / n;
    };
    EXPECT_LT(stepsPerFile(1600), 2 * stepsPerFile(100));
}

TEST(FileCatalogTest, EachSizeBandBeginsAtItsLowerBoundAndSizeSetsCountSharedSizesOnce) {
    const std::pair<uint64_t, uint32_t> sizes[] = {{104857600, 1}, {104857599, 2}, {10485760, 2}, {10485759, 3},
        {1048576, 3}, {1048575, 4}, {102400, 4}, {102399, 5}, {10240, 5}, {10239, 6}, {1024, 6}, {1023, 7}, {0, 7}};
    for (auto [size, band] : sizes) EXPECT_EQ(ClassifySize(size), band) << size;

    auto root = MakeRoot();
    FileCatalog catalog;
    int n = 0;
    for (uint64_t size : {100u, 100u, 100u, 200u, 300u, 300u, 5000u, 5000u})
        catalog.Insert(size, AddFile(root.get(), Numbered("f", n++), size));
    EXPECT_EQ(CountSizeSets(catalog, 150, 250), 0u);
    auto labels = CategoryTreeLabels(catalog);
    EXPECT_EQ(labels[0].text, "All Files [3 Group(s)]");
    EXPECT_EQ(labels[7].text, "Tiny Files [2 Group(s)]");
    EXPECT_EQ(labels[1].text, "Huge Files [0 Group(s)]");
    EXPECT_FALSE(labels[1].hasChildren);
    EXPECT_TRUE(labels[7].hasChildren);
}

// Rates, percentages, durations and the time left, each cut rather than rounded; the
// common cases are cells of the Comparing and Finished lists in CompareListsTest.
TEST(TextFormatTest, RatePercentDurationAndRemainingTimeTruncate) {
    constexpr uint64_t kMax64 = std::numeric_limits<uint64_t>::max();
    EXPECT_STREQ(FormatRate(1999, 2000).CStr(), "999 B/S");
    // The product wraps: (2^64 / 1000 + 1) * 1000 mod 2^64 = 384.
    EXPECT_STREQ(FormatRate(kMax64 / 1000 + 1, 1).CStr(), "384 B/S");

    EXPECT_STREQ(FormatPercent(2, 3).CStr(), "66%");
    EXPECT_STREQ(FormatPercent(5, 0).CStr(), "100%") << "an empty whole is done";
    EXPECT_STREQ(FormatPercent(uint64_t(1) << 32, 1).CStr(), "0%") << "only the low 32 bits print";

    EXPECT_STREQ(FormatDuration(999).CStr(), "00:00:00");
    EXPECT_STREQ(FormatDuration(3661000).CStr(), "01:01:01");
    EXPECT_STREQ(FormatDuration(4294967295u).CStr(), "1193:02:47");

    EXPECT_EQ(RemainingMillis(1000, 3, 4), std::optional<uint32_t>(333)) << "truncated, not rounded";
    EXPECT_EQ(RemainingMillis(1000, 0, 4), std::nullopt);
    EXPECT_EQ(RemainingMillis(2000, 2, 1), std::optional<uint32_t>(uint32_t(-1000))) << "more done than total";
    EXPECT_EQ(RemainingMillis(4294967295u, 1, kMax64), std::optional<uint32_t>(0xFFFFFFFFu))
        << "beyond int64 saturates at its maximum";
}

// Putting catalogues into one: paths mapped a whole piece at a time, records of
// one path made one when they agree, anchors kept, files left to compare counted.
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

const std::string kDigestA(32, 'A');
const std::string kDigestB(32, 'B');

using KeyList = std::vector<std::pair<uint64_t, std::string>>;

KeyList Keys(const DuplicateIndex& index) {
    KeyList keys;
    index.ForEachKey([&](uint64_t size, std::string_view key) { keys.emplace_back(size, key); });
    return keys;
}

std::vector<FileItem*> Files(const DuplicateIndex& index, const std::string& key) {
    auto [first, last] = index.Files(key);
    return {first, last};
}

TEST(DuplicateIndexTest, GroupsFormByEqualSizeAndDigestOfReadableFilesAndShrinkOnRemoval) {
    auto root = MakeRoot();
    DuplicateIndex index;
    FileItem *a = AddFile(root.get(), "a", 1536, kDigestA), *b = AddFile(root.get(), "b", 1536, kDigestB);
    FileItem *c = AddFile(root.get(), "c", 1536, kDigestA), *empty1 = AddFile(root.get(), "e1", 0, kEmptyDigest);
    FileItem* empty2 = AddFile(root.get(), "e2", 0, kEmptyDigest);
    for (FileItem* item : {b, a, c, empty1, empty2}) ASSERT_TRUE(index.Insert(item));
    EXPECT_FALSE(index.Insert(AddFile(root.get(), "lost", 1536, kUnopenableText))) << "no one's duplicate";
    EXPECT_FALSE(index.Insert(c)) << "filed once";

    EXPECT_EQ(index.Count("1536" + kDigestB), 1u);
    EXPECT_EQ(index.Count("0" + kEmptyDigest), 2u) << "all empty files share one key";
    EXPECT_EQ(Files(index, "1536" + kDigestA), (std::vector<FileItem*>{a, c}));
    EXPECT_EQ(index.First("9" + kDigestA), nullptr);
    EXPECT_EQ(index.CountOfKeyOf(c), 2u);
    // Larger sizes first; keys of one size in the order they were first added, not as text.
    const KeyList all = {{1536, "1536" + kDigestB}, {1536, "1536" + kDigestA}, {0, "0" + kEmptyDigest}};
    EXPECT_EQ(Keys(index), all);

    EXPECT_TRUE(index.Remove(a));
    EXPECT_FALSE(index.Remove(a));
    EXPECT_EQ(Files(index, "1536" + kDigestA), std::vector<FileItem*>{c});
    EXPECT_EQ(Keys(index), all) << "a key keeps its name and place after its first file went";
    EXPECT_TRUE(index.Remove(b));
    EXPECT_TRUE(index.Insert(b));
    EXPECT_EQ(Keys(index), (KeyList{all[1], all[0], all[2]})) << "a key that went away entirely comes back as new";
    for (FileItem* item : {b, c, empty1, empty2}) EXPECT_TRUE(index.Remove(item));
    EXPECT_TRUE(Keys(index).empty());
    EXPECT_EQ(index.FileCount(), 0u);
}

// Everything a reader of the index can see, in the order it sees it.
std::vector<std::pair<std::string, std::vector<FileItem*>>> Contents(const DuplicateIndex& index) {
    std::vector<std::pair<std::string, std::vector<FileItem*>>> contents;
    index.ForEachKey([&](uint64_t, std::string_view key) {
        contents.emplace_back(std::string(key), Files(index, std::string(key)));
        EXPECT_EQ(index.Count(key), contents.back().second.size()) << key;
    });
    EXPECT_EQ(index.KeyCount(), contents.size());
    // The one-pass walk over the groups must show the same files in the same order.
    std::vector<std::vector<FileItem*>> groups, expected;
    index.ForEachDuplicateGroup(
        [&](uint64_t, DuplicateIndex::FileRange files) { groups.emplace_back(files.first, files.second); });
    for (const auto& [key, files] : contents)
        if (files.size() > 1) expected.push_back(files);
    EXPECT_EQ(groups, expected);
    return contents;
}

TEST(DuplicateIndexTest, KeysOrderAsTheirTextAndInsertAllFilesLikeInsertingOneByOne) {
    // Keys tying on their first twelve bytes or shorter, sizes whose decimal texts prefix each other or a
    // digest that starts with a digit, repeated keys and unreadable files, in random order.
    auto root = MakeRoot();
    std::mt19937_64 random(23);
    const std::vector<uint64_t> sizes = {5, 50, 4096, 40960, 409, 123456789012, 123456789013, 99, 100, 0, ~uint64_t(0)};
    const std::vector<std::string> digests = {
        "", "A", "2", "ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNOQ", "ABCDEFGH", kDigestA, kDigestB, kUnopenableText};
    auto make = [&](const char* prefix, int count) {
        std::vector<FileItem*> made;
        for (int i = 0; i < count; ++i)
            made.push_back(AddFile(root.get(), Numbered(prefix, i), sizes[random() % sizes.size()],
                                   digests[random() % digests.size()]));
        return made;
    };
    const std::vector<FileItem*> items = make("f", 600);
    std::vector<std::string> texts;
    for (FileItem* item : items) texts.push_back(std::to_string(item->Size()) + std::string(item->DigestText()));
    ByDuplicateKey less;
    for (size_t x = 0; x < items.size(); ++x)
        for (size_t y = 0; y < items.size(); ++y) {
            ASSERT_EQ(less(items[x], items[y]), texts[x] < texts[y]) << texts[x] << " vs " << texts[y];
            ASSERT_EQ(less(items[x], texts[y]), texts[x] < texts[y]);
            ASSERT_EQ(less(texts[x], items[y]), texts[x] < texts[y]);
        }

    DuplicateIndex oneByOne;
    size_t inserted = 0;
    for (FileItem* item : items) inserted += oneByOne.Insert(item) ? 1 : 0;
    DuplicateIndex batch;
    EXPECT_EQ(batch.InsertAll(items), inserted);
    EXPECT_EQ(batch.KeyCount(), oneByOne.KeyCount());
    EXPECT_EQ(Contents(batch), Contents(oneByOne));
    for (FileItem* item : items) ASSERT_EQ(batch.CountOfKeyOf(item), oneByOne.CountOfKeyOf(item));

    // A second batch joins what the index holds, as single inserts would.
    const std::vector<FileItem*> more = make("g", 100);
    for (FileItem* item : more) oneByOne.Insert(item);
    batch.InsertAll(more);
    EXPECT_EQ(Contents(batch), Contents(oneByOne));

    // Removal finds the keys a batch made.
    for (size_t i = 0; i < items.size(); i += 3) ASSERT_EQ(batch.Remove(items[i]), oneByOne.Remove(items[i]));
    EXPECT_EQ(Contents(batch), Contents(oneByOne));
    for (FileItem* item : items) ASSERT_EQ(batch.CountOfKeyOf(item), oneByOne.CountOfKeyOf(item));
    EXPECT_EQ(batch.KeyCount(), oneByOne.KeyCount());
}

// The steps per file that each stage takes on one group of n copies.
std::map<std::string, double> StepsPerFileOfAGroup(int n) {
    auto root = MakeRoot();
    std::vector<FileItem*> copies;
    for (int i = 0; i < n; ++i) copies.push_back(AddFile(root.get(), Numbered("c", i), 0, kEmptyDigest));
    const std::string key = "0" + kEmptyDigest;
    DuplicateIndex index, loaded;
    std::map<std::string, double> perFile;
    auto measure = [&](const char* stage, const DuplicateIndex& counted, auto work) {
        uint64_t before = counted.Steps();
        work();
        perFile[stage] = double(counted.Steps() - before) / n;
    };
    measure("collect", index, [&] {
        for (size_t i = 0; i < copies.size(); ++i) {
            index.Insert(copies[i]);
            EXPECT_EQ(index.CountOfKeyOf(copies[i]), i + 1);
        }
    });
    measure("load", loaded, [&] { loaded.InsertAll(copies); });
    // As a view would for each row of the group.
    measure("count and find", index, [&] {
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(index.Count(key), size_t(n));
            auto [first, last] = index.Files(key);
            EXPECT_EQ(*first, copies.front());
            EXPECT_EQ(*std::prev(last), copies.back());
            EXPECT_EQ(index.First(key), copies.front());
        }
    });
    measure("list", index, [&] {
        EXPECT_EQ(Files(index, key), copies);
        index.ForEachDuplicateGroup([&](uint64_t, DuplicateIndex::FileRange files) {
            EXPECT_EQ(std::vector<FileItem*>(files.first, files.second), copies);
        });
    });
    // Last first: a walk from the head of the group to the file is longest so.
    measure("remove", index, [&] {
        for (auto it = copies.rbegin(); it != copies.rend(); ++it) index.Remove(*it);
    });
    EXPECT_EQ(index.FileCount(), 0u);
    EXPECT_EQ(Contents(loaded).at(0).second, copies);
    return perFile;
}

TEST(DuplicateIndexTest, WorkPerFileStaysFlatAsAGroupGrows) {
    auto small = StepsPerFileOfAGroup(100);
    auto large = StepsPerFileOfAGroup(1600);
    // Sixteen times the copies add a few steps of a logarithm, where a walk
    // through the group would take sixteen times the steps.
    for (const auto& [stage, steps] : small) EXPECT_LT(large[stage], 2 * steps) << stage;
}

TEST(GroupLabelsTest, CountsChangeWithoutTouchingTheName) {
    EXPECT_EQ(GroupLabel("song.mp3", 4), "song.mp3 [4 Copies]");
    EXPECT_EQ(RelabelGroup(NewGroupLabel("mix [live].mp3"), 3), "mix [live].mp3 [3 Copies]");
    EXPECT_EQ(RelabelGroup(RelabelGroup(NewGroupLabel("[x]"), 3), 10), "[x] [10 Copies]");
}

}  // namespace
}  // namespace twinseek
