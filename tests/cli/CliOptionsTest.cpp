#include "cli/CliOptions.h"

#include <gtest/gtest.h>

namespace twinseek {
namespace {

CliParse Parse(std::vector<std::string> arguments) { return ParseCommandLine(arguments); }

TEST(CliOptionsTest, ScanComparesEverySharedSizeUnlessCategoriesAreChosen) {
    CliParse plain = Parse({"scan", "/a", "b"});
    ASSERT_TRUE(plain.options) << plain.error;
    EXPECT_TRUE(plain.options->compareAll);
    EXPECT_EQ(plain.options->operands, (std::vector<std::string>{"/a", "b"}));

    CliParse chosen = Parse({"scan", "--compare", "huge files", "7", "--format", "json", "/r"});
    ASSERT_TRUE(chosen.options) << chosen.error;
    EXPECT_FALSE(chosen.options->compareAll);
    EXPECT_EQ(chosen.options->compareCategories, (std::vector<uint32_t>{1, 7}));
    EXPECT_EQ(chosen.options->format, OutputFormat::Json);
    EXPECT_EQ(chosen.options->operands, std::vector<std::string>{"/r"});

    CliParse commas = Parse({"scan", "--compare", "2,Tiny Files,2", "--workers", "3", "/r"});
    ASSERT_TRUE(commas.options) << commas.error;
    EXPECT_EQ(commas.options->compareCategories, (std::vector<uint32_t>{2, 7}));
    EXPECT_EQ(commas.options->workers, 3u);
}

TEST(CliOptionsTest, OpenComparesNothingUnlessAsked) {
    CliParse open = Parse({"open", "doc.tws", "--save", "out.tws"});
    ASSERT_TRUE(open.options) << open.error;
    EXPECT_FALSE(open.options->compareAll);
    EXPECT_TRUE(open.options->compareCategories.empty());
    EXPECT_EQ(open.options->savePath, "out.tws");
    CliParse all = Parse({"open", "--compare", "all", "doc.tws"});
    ASSERT_TRUE(all.options) << all.error;
    EXPECT_TRUE(all.options->compareAll);
}

TEST(CliOptionsTest, UsageErrorsSayWhatIsWrong) {
    EXPECT_EQ(Parse({}).error, "no command given");
    EXPECT_EQ(Parse({"frobnicate"}).error, "unknown command 'frobnicate'");
    EXPECT_EQ(Parse({"scan"}).error, "scan needs at least one ROOT");
    EXPECT_EQ(Parse({"scan", "--compare", "8", "/r"}).error, "unknown size category '8'");
    EXPECT_EQ(Parse({"scan", "--format", "xml", "/r"}).error, "--format takes text or json, not 'xml'");
    EXPECT_EQ(Parse({"scan", "/r", "--save"}).error, "--save needs a value");
    EXPECT_EQ(Parse({"groups", "a.tws", "--compare", "all"}).error, "unknown option '--compare' for groups");
    EXPECT_EQ(Parse({"open", "a.tws", "b.tws"}).error, "open needs exactly one document");
    EXPECT_EQ(Parse({"scan", "--workers", "0", "/r"}).error, "--workers takes a number from 1 to 64");
    EXPECT_FALSE(Parse({"digest"}).options);
    CliParse dashed = Parse({"digest", "--", "-odd-name"});
    ASSERT_TRUE(dashed.options);
    EXPECT_EQ(dashed.options->operands, std::vector<std::string>{"-odd-name"});
}

TEST(CliOptionsTest, CategoriesByNameOrId) {
    EXPECT_EQ(ParseCategory("Very Small Files"), 6u);
    EXPECT_EQ(ParseCategory("NORMAL FILES"), 4u);
    EXPECT_EQ(ParseCategory("1"), 1u);
    EXPECT_FALSE(ParseCategory("All Files")) << "row 0 is not a band to compare";
    EXPECT_FALSE(ParseCategory("0"));
    EXPECT_FALSE(ParseCategory("1x"));
}

}  // namespace
}  // namespace twinseek
