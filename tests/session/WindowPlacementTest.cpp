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

TEST(WindowPlacementTest, RectangleOffEveryScreenMovesToThePrimary) {
    const PlacementRect left{0, 0, 1920, 1080};
    const PlacementRect right{1920, 0, 3200, 1024};
    const PlacementRect workArea{0, 32, 1920, 1080};
    const std::vector<PlacementRect> screens = {left, right};
    const struct {
        PlacementRect saved;
        std::optional<PlacementRect> expected;
    } table[] = {
        {{100, 100, 900, 700}, PlacementRect{100, 100, 900, 700}},
        {{3000, 900, 3800, 1500}, PlacementRect{3000, 900, 3800, 1500}},  // partly on the right screen
        {{-799, 10, 1, 610}, PlacementRect{-799, 10, 1, 610}},            // one column visible
        {{-800, 10, 0, 610}, PlacementRect{560, 256, 1360, 856}},         // touches the edge only
        {{4000, 0, 4800, 600}, PlacementRect{560, 256, 1360, 856}},       // a monitor that is gone
        {{5000, 5000, 9000, 8000}, PlacementRect{0, 32, 1920, 1080}},     // shrunk to the work area
        {{100, 100, 100, 700}, std::nullopt},                              // empty
        {{900, 100, 100, 700}, std::nullopt},                              // inside out
        {{INT32_MIN, 0, INT32_MAX, 600}, std::nullopt},                    // wider than any window
    };
    for (const auto& row : table) {
        EXPECT_EQ(PlaceOnScreens(row.saved, screens, workArea), row.expected) << row.saved.left << "," << row.saved.top;
    }
    EXPECT_FALSE(PlaceOnScreens({4000, 0, 4800, 600}, screens, {0, 0, 0, 0})) << "no usable primary screen";
}

}  // namespace
}  // namespace twinseek
