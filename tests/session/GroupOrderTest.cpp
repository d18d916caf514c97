#include "session/GroupOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace twinseek {
namespace {

using Entry = GroupOrder::Entry;

bool Above(const Entry& a, const Entry& b) { return a.size > b.size || (a.size == b.size && a.group < b.group); }

// Checks every row, every group's place and the visiting order against a plain
// sorted vector of the same groups.
void ExpectSameAs(const GroupOrder& order, const std::vector<Entry>& plain) {
    ASSERT_EQ(order.GroupCount(), plain.size());
    size_t row = 0;
    for (size_t ordinal = 0; ordinal < plain.size(); ++ordinal) {
        const Entry& entry = plain[ordinal];
        auto place = order.Find(entry.size, entry.group);
        ASSERT_TRUE(place) << "group " << entry.group;
        EXPECT_EQ(place->ordinal, ordinal);
        EXPECT_EQ(place->firstRow, row);
        EXPECT_EQ(place->rows, entry.rows);
        for (uint32_t i = 0; i < entry.rows; ++i, ++row) {
            GroupOrder::Place atRow = order.AtRow(row);
            ASSERT_EQ(atRow.group, entry.group) << "row " << row;
            ASSERT_EQ(atRow.ordinal, ordinal);
        }
    }
    EXPECT_EQ(order.RowCount(), row);
    std::vector<uint32_t> visited;
    order.ForEach([&](const Entry& entry) { visited.push_back(entry.group); });
    std::vector<uint32_t> expected;
    for (const Entry& entry : plain) expected.push_back(entry.group);
    EXPECT_EQ(visited, expected);
}

TEST(GroupOrderTest, RandomInsertsAndGrowthMatchASortedList) {
    std::mt19937 random(7);
    GroupOrder order;
    std::vector<Entry> plain;
    for (uint32_t step = 0; step < 6000; ++step) {
        if (random() % 4 == 0 && !plain.empty()) {
            Entry& grown = plain[random() % plain.size()];
            order.AddRows(grown.size, grown.group, 1);
            grown.rows += 1;
        } else {
            Entry entry{random() % 300, step, 1 + uint32_t(random() % 3)};
            auto at = std::lower_bound(plain.begin(), plain.end(), entry, Above);
            GroupOrder::Place place = order.PlaceFor(entry.size, entry.group);
            ASSERT_EQ(place.ordinal, size_t(at - plain.begin()));
            ASSERT_FALSE(order.Find(entry.size, entry.group)) << "not held before it is put in";
            order.Insert(entry.size, entry.group, entry.rows);
            plain.insert(at, entry);
        }
        if (step % 1500 == 1499) ExpectSameAs(order, plain);
    }
    GroupOrder assigned;
    assigned.Assign(plain);
    ExpectSameAs(assigned, plain);
    assigned.Clear();
    EXPECT_EQ(assigned.RowCount(), 0u);
    EXPECT_EQ(assigned.PlaceFor(5, 1).firstRow, 0u);
}

}  // namespace
}  // namespace twinseek
