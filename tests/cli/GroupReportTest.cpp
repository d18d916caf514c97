#include "cli/GroupReport.h"
#include "cli/JsonText.h"
#include "tests/catalog/CatalogTestSupport.h"

#include <gtest/gtest.h>

namespace twinseek {
namespace {

std::string Json(std::string_view bytes) {
    std::string out;
    AppendJsonString(out, bytes);
    return out;
}

TEST(JsonTextTest, EscapesControlsQuotesAndInvalidBytes) {
    EXPECT_EQ(Json("plain/path.txt"), "\"plain/path.txt\"");
    EXPECT_EQ(Json("a\"b\\c\nd\te\x01"), "\"a\\\"b\\\\c\\nd\\te\\u0001\"");
    EXPECT_EQ(Json("caf\xC3\xA9 \xF0\x9F\x98\x80"), "\"caf\xC3\xA9 \xF0\x9F\x98\x80\"") << "valid UTF-8 passes";
    EXPECT_EQ(Json("bad\xFF"), "\"bad\\udcff\"");
    EXPECT_EQ(Json("\xC3"), "\"\\udcc3\"") << "a cut sequence";
    EXPECT_EQ(Json("\xC0\xAF"), "\"\\udcc0\\udcaf\"") << "an overlong form";
    EXPECT_EQ(Json("\xED\xA0\x80"), "\"\\udced\\udca0\\udc80\"") << "an encoded surrogate";
}

TEST(GroupReportTest, GroupsOfTwoOrMoreInResultOrder) {
    using testing::AddFile;
    auto root = testing::MakeRoot();
    FindData slash = testing::EntryNamed("/", 0, FILE_ATTRIBUTE_DIRECTORY);
    FolderItem* top = root->FindOrCreateFolder(slash);
    DuplicateIndex index;
    const std::string a(32, 'A');
    const std::string b(32, 'B');
    for (FileItem* item : {AddFile(top, "small1", 10, a), AddFile(top, "big1", 900, b), AddFile(top, "single", 900, a),
                           AddFile(top, "small2", 10, a), AddFile(top, "big2", 900, b)})
        index.Insert(item);
    auto groups = CollectGroups(index);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].size, 900u);
    EXPECT_EQ(groups[0].paths, (std::vector<std::string>{"/big1", "/big2"}));
    EXPECT_EQ(groups[1].paths, (std::vector<std::string>{"/small1", "/small2"}));
    EXPECT_EQ(GroupsAsJson(groups), "[\n  {\"size\": 900, \"digest\": \"" + b +
                                        "\", \"files\": [\"/big1\", \"/big2\"]},\n  {\"size\": 10, \"digest\": \"" + a +
                                        "\", \"files\": [\"/small1\", \"/small2\"]}\n]\n");
    EXPECT_EQ(GroupsAsText({groups[1]}), "10 B [2 Copies] " + a + "\n/small1\n/small2\n\n");
    EXPECT_EQ(GroupsAsJson({}), "[]\n");
}

}  // namespace
}  // namespace twinseek
