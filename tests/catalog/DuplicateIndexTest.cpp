#include "catalog/DuplicateIndex.h"
#include "catalog/GroupLabels.h"
#include "tests/catalog/CatalogTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <utility>
#include <vector>

namespace twinseek {
namespace {

using namespace testing;

const std::string kDigestA(32, 'A');
const std::string kDigestB(32, 'B');
const std::string kEmptyDigest = "3I42H3S6NNFQ2MSVX7XZKYAYSCX5QBYJ";

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
