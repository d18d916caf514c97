#include "session/WindowPlacement.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace twinseek {
namespace {

TEST(WindowPlacementTest, RecordIsLittleEndianAndRoundTrips) {
    const WindowPlacement placement{kRestoreToMaximized, kShowMinimized, -1, -2, 3, 4, {-100, 20, 1180, 0x12345678}};
    const auto record = EncodePlacement(placement);
    const std::vector<uint8_t> head(record.begin(), record.begin() + 16);
    EXPECT_EQ(head, (std::vector<uint8_t>{44, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 0xff, 0xff, 0xff, 0xff}));
    EXPECT_EQ(record[40], 0x78);
    EXPECT_EQ(record[43], 0x12);
    EXPECT_EQ(DecodePlacement(record), placement);
    // Records of the wrong size or length field are tried through the settings in the widget tests.
    EXPECT_FALSE(DecodePlacement({}));
}

TEST(WindowPlacementTest, NeverStartsMinimised) {
    const std::tuple<uint32_t, uint32_t, StartState> flagsShowExpected[] = {
        {0, kShowNormal, StartState::Normal},          {0, kShowMaximized, StartState::Maximized},
        {0, kShowMinimized, StartState::Normal},       {kRestoreToMaximized, kShowMinimized, StartState::Maximized},
        {kRestoreToMaximized, 7, StartState::Maximized}, {kRestoreToMaximized, kShowNormal, StartState::Normal},
        {0, 0xffffffff, StartState::Normal},
    };
    for (const auto& [flags, showState, expected] : flagsShowExpected) {
        EXPECT_EQ(StartStateOf({flags, showState, -1, -1, -1, -1, {}}), expected) << flags << " " << showState;
    }
}

TEST(WindowPlacementTest, OpensNoLargerThanItsScreenWithItsTopEdgeWithinReach) {
    // A wide screen with a panel along its top, and a smaller one to its right.
    const PlacementRect left{0, 32, 1920, 1080};
    const PlacementRect right{1920, 0, 3200, 1024};
    const std::vector<PlacementRect> areas = {left, right};
    const PlacementRect centred{560, 256, 1360, 856};  // 800 x 600 in the middle of the left one
    const struct {
        const char* what;
        PlacementRect saved;
        std::optional<PlacementRect> expected;
    } table[] = {
        {"on a screen", {100, 100, 900, 700}, PlacementRect{100, 100, 900, 700}},
        {"on the second screen, its foot below it", {3000, 900, 3200, 1500}, PlacementRect{3000, 900, 3200, 1500}},
        {"huge, from a damaged file", {0, 0, 16777214, 16777214}, PlacementRect{0, 32, 1920, 1080}},
        {"left of the screen, but enough of its edge on it", {-600, 100, 200, 700}, PlacementRect{-600, 100, 200, 700}},
        {"one column of its edge on the screen", {-799, 100, 1, 700}, centred},
        {"its top above the screen: the title bar out of reach", {100, -40, 900, 560}, centred},
        {"its top under the panel", {100, 10, 900, 610}, centred},
        {"its top edge at the foot of the screen", {100, 1060, 900, 1660}, centred},
        {"on a monitor that is gone", {4000, 0, 4800, 600}, centred},
        {"half on each screen: kept", {1700, 100, 2500, 700}, PlacementRect{1700, 100, 2500, 700}},
        {"on both screens, taller than the second", {1820, 0, 2620, 2000}, PlacementRect{1820, 0, 2620, 1024}},
        {"far off, larger than the primary", {5000, 5000, 9000, 8000}, PlacementRect{0, 32, 1920, 1080}},
        {"narrower than the strip, wholly on the screen", {10, 100, 110, 300}, PlacementRect{10, 100, 110, 300}},
        {"empty", {100, 100, 100, 700}, std::nullopt},
        {"inside out", {900, 100, 100, 700}, std::nullopt},
        {"as wide as numbers go", {INT32_MIN, 100, INT32_MAX, 600}, PlacementRect{0, 306, 1920, 806}},
    };
    for (const auto& row : table) {
        EXPECT_EQ(PlaceOnScreens(row.saved, areas, 0), row.expected) << row.what;
    }
    EXPECT_EQ(PlaceOnScreens({4000, 0, 4800, 600}, areas, 1), (PlacementRect{2160, 212, 2960, 812})) << "another primary";
    EXPECT_FALSE(PlaceOnScreens({4000, 0, 4800, 600}, {}, 0)) << "no screen at all";
}

}  // namespace
}  // namespace twinseek
