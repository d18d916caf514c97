#include "catalog/FileCatalog.h"
#include "catalog/GroupLabels.h"
#include "catalog/SizeCategory.h"
#include "tests/catalog/CatalogTestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace twinseek {
namespace {

using testing::AddFile;
using testing::MakeRoot;
using testing::Numbered;

std::vector<FileItem*> Items(FileCatalog::EntryRange range) {
    std::vector<FileItem*> items;
    for (const auto& entry : range) items.push_back(entry.item);
    return items;
}

TEST(SizeCategoryTest, BandBoundariesAreInclusive) {
    EXPECT_EQ(ClassifySize(104857600), 1u);
    EXPECT_EQ(ClassifySize(104857599), 2u);
    EXPECT_EQ(ClassifySize(1048575), 4u);
    EXPECT_EQ(ClassifySize(1024), 6u);
    EXPECT_EQ(ClassifySize(1023), 7u);
    EXPECT_EQ(ClassifySize(0), 7u);
    EXPECT_EQ(ClassifySize(~uint64_t(0)), 1u);
    EXPECT_STREQ(CategoryOfId(8).name, "All Files");
    EXPECT_STREQ(CategoryOfId(3).description, "Between 10M and 1M");
    // The seven bands tile every size below 2^63.
    for (uint32_t id = 2; id <= 7; ++id) EXPECT_EQ(CategoryOfId(id).max + 1, CategoryOfId(id - 1).min);
    EXPECT_EQ(CategoryOfId(7).min, 0u);
}

TEST(FileCatalogTest, LargestFirstEqualSizesInInsertionOrderThroughMergeAndRemoval) {
    auto root = MakeRoot();
    FileCatalog catalog;
    FileItem* a = AddFile(root.get(), "a", 10);
    FileItem* b = AddFile(root.get(), "b", 500);
    FileItem* c = AddFile(root.get(), "c", 10);
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
    EXPECT_EQ(Items(catalog.Range(8)).size(), 5u);
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

TEST(FileCatalogTest, MatchesAStableSortUnderRandomInsertsAndRemovals) {
    auto root = MakeRoot();
    std::mt19937_64 random(7);
    FileCatalog catalog;
    std::vector<FileCatalog::Entry> model;
    for (int i = 0; i < 3000; ++i) {
        uint64_t size = random() % 40;
        FileItem* item = AddFile(root.get(), Numbered("f", i), size);
        catalog.Insert(size, item);
        model.push_back({size, item});
        if (i % 7 == 3) {
            auto victim = model[random() % model.size()];
            ASSERT_TRUE(catalog.Remove(victim.size, victim.item));
            std::erase_if(model, [&](const auto& e) { return e.item == victim.item; });
        }
        if (i % 500 == 0) (void)catalog.All();  // settle now and then
    }
    std::stable_sort(model.begin(), model.end(), [](const auto& x, const auto& y) { return x.size > y.size; });
    ASSERT_EQ(catalog.Count(), model.size());
    auto all = catalog.All();
    for (size_t i = 0; i < model.size(); ++i) EXPECT_EQ(all[i].item, model[i].item) << "at " << i;
}

TEST(FileCatalogTest, SizeSetsCountSharedSizesOnce) {
    auto root = MakeRoot();
    FileCatalog catalog;
    int n = 0;
    for (uint64_t size : {100u, 100u, 100u, 200u, 300u, 300u, 5000u, 5000u}) {
        FileItem* item = AddFile(root.get(), Numbered("f", n++), size);
        catalog.Insert(size, item);
    }
    EXPECT_EQ(CountSizeSets(catalog, 150, 250), 0u);
    auto labels = CategoryTreeLabels(catalog);
    EXPECT_EQ(labels[0].text, "All Files [3 Group(s)]");
    EXPECT_EQ(labels[7].text, "Tiny Files [2 Group(s)]");
    EXPECT_EQ(labels[1].text, "Huge Files [0 Group(s)]");
    EXPECT_FALSE(labels[1].hasChildren);
    EXPECT_TRUE(labels[7].hasChildren);
}

}  // namespace
}  // namespace twinseek
