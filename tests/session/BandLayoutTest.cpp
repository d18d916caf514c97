#include "session/BandLayout.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace twinseek {
namespace {

// Settings as a person may have left them; a value that is not a number reads as missing.
class FakeNumbers : public SettingsNumbers {
public:
    std::optional<int64_t> ReadNumber(const std::string& name) const override {
        const auto found = values.find(name);
        return found == values.end() ? std::nullopt : std::optional(found->second);
    }
    void WriteNumber(const std::string& name, int64_t value) override {
        values[name] = value;
        order.push_back(name);
    }
    std::map<std::string, int64_t> values;
    std::vector<std::string> order;
};

const std::vector<Band> kCreated = {{kMenuBandId, 900, false}, {kToolBandId, 900, true}};

TEST(BandLayoutTest, SavesCountThenEachPositionInOrder) {
    FakeNumbers settings;
    SaveBandValues(settings, "ReBar", std::vector<Band>{{kToolBandId, 635, false}, {kMenuBandId, 265, false}});
    EXPECT_EQ(settings.order, (std::vector<std::string>{"ReBarBandCount", "ReBar0ID", "ReBar0CX", "ReBar0BreakLine",
                                                         "ReBar1ID", "ReBar1CX", "ReBar1BreakLine"}));
    EXPECT_EQ(settings.ReadNumber("ReBar0ID"), kToolBandId);
    EXPECT_EQ(settings.ReadNumber("ReBar1CX"), 265);

    const auto restored = RestoreBandLayout(settings, "ReBar", kCreated);
    EXPECT_EQ(restored, (std::vector<RestoredBand>{{{kToolBandId, 635, false}, true}, {{kMenuBandId, 265, false}, true}}));
    EXPECT_FALSE(EndsRow(restored, 0));
    EXPECT_TRUE(EndsRow(restored, 1));
}

TEST(BandLayoutTest, DamagedValuesChangeNothingTheyShouldNot) {
    using Values = std::map<std::string, int64_t>;
    const RestoredBand menuAsCreated{kCreated[0], false};
    const RestoredBand toolAsCreated{kCreated[1], false};
    const RestoredBand toolFirst{{kToolBandId, 900, false}, false};
    const struct {
        const char* what;
        Values values;
        std::vector<RestoredBand> expected;
    } table[] = {
        {"nothing saved", {}, {menuAsCreated, toolAsCreated}},
        {"count negative", {{"ReBarBandCount", -1}, {"ReBar0ID", kToolBandId}}, {menuAsCreated, toolAsCreated}},
        {"count missing", {{"ReBar0ID", kToolBandId}}, {menuAsCreated, toolAsCreated}},
        {"count beyond the bands",
         {{"ReBarBandCount", 5}, {"ReBar0ID", kToolBandId}, {"ReBar2ID", kMenuBandId}, {"ReBar2CX", 10}},
         {toolFirst, menuAsCreated}},
        {"unknown id keeps the position as it is",
         {{"ReBarBandCount", 2}, {"ReBar0ID", 12345}, {"ReBar0CX", 50}, {"ReBar1ID", kToolBandId}, {"ReBar1CX", 70}},
         {menuAsCreated, {{kToolBandId, 70, true}, true}}},
        {"negative and huge widths, odd breaks",
         {{"ReBarBandCount", 2}, {"ReBar0ID", kToolBandId}, {"ReBar0CX", -1}, {"ReBar0BreakLine", 1},
          {"ReBar1ID", kMenuBandId}, {"ReBar1CX", int64_t(1) << 32}, {"ReBar1BreakLine", 7}},
         {toolFirst, menuAsCreated}},
        {"missing width and break keep the band's own",
         {{"ReBarBandCount", 2}, {"ReBar0ID", kToolBandId}, {"ReBar1ID", kMenuBandId}},
         {toolFirst, menuAsCreated}},
        {"same id twice moves the band on and keeps both ids",
         {{"ReBarBandCount", 2}, {"ReBar0ID", kMenuBandId}, {"ReBar1ID", kMenuBandId}, {"ReBar1BreakLine", 1}},
         {{{kToolBandId, 900, false}, false}, {{kMenuBandId, 900, true}, false}}},
    };
    for (const auto& row : table) {
        FakeNumbers settings;
        settings.values = row.values;
        EXPECT_EQ(RestoreBandLayout(settings, "ReBar", kCreated), row.expected) << row.what;
    }
}

}  // namespace
}  // namespace twinseek
