// The command line of twinseek-cli and the text and JSON reports it prints.
#include "cli/CliOptions.h"
#include "session/GroupReport.h"
#include "catalog/JsonText.h"
#include "platform/ProcessorCount.h"
#include "cli/SkipReport.h"
#include "catalog/TerminalText.h"
#include "tests/catalog/CatalogTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace twinseek::testing {
namespace {

// What a parse chose, as one line: compare all, categories, format, workers,
// full, digest all, refresh, save path, operands, and merge's inputs with their maps.
std::string Chosen(const CliParse& parse) {
    if (!parse.options) return parse.error;
    const CliOptions& o = *parse.options;
    std::string text = o.compareAll ? "all" : "";
    for (uint32_t category : o.compareCategories) text += " " + std::to_string(category);
    text += std::string(" format ") + char('0' + int(o.format)) + " workers " + std::to_string(o.workers);
    text += std::string(o.full ? " full" : "") + (o.digestAll ? " digest-all" : "") + (o.refresh ? " refresh" : "");
    text += " save " + o.savePath.value_or("-");
    for (const std::string& operand : o.operands) text += " " + operand;
    for (const MergeInput& input : o.mergeInputs) {
        text += " " + input.path + ":";
        for (const PathMapping& mapping : input.mappings) text += " " + mapping.from + "=" + mapping.to;
    }
    return text;
}

TEST(CliOptionsTest, ScanComparesEverySharedSizeOpenNothingUnlessAskedAndUsageErrorsSayWhatIsWrong) {
    const std::string perProcessor = " workers " + std::to_string(ProcessorCount());
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"scan", "/a", "b"}, "all format 0" + perProcessor + " save - /a b"},
        {{"scan", "--compare", "huge files", "7", "--format", "json", "/r"}, " 1 7 format 1" + perProcessor + " save - /r"},
        {{"scan", "--compare", "2,Tiny Files,2", "--workers", "3", "/r"}, " 2 7 format 0 workers 3 save - /r"},
        {{"scan", "--compare", "NONE", "7"}, " format 0" + perProcessor + " save - 7"},  // a word after none is a root
        {{"open", "doc.tws", "--save", "out.tws", "--full"}, " format 0" + perProcessor + " full save out.tws doc.tws"},
        {{"open", "--compare", "all", "--refresh", "doc.tws"}, "all format 0" + perProcessor + " refresh save - doc.tws"},
        {{"open", "--digest-all", "--refresh", "d.tws"}, " format 0" + perProcessor + " digest-all refresh save - d.tws"},
        {{"groups", "a.tws", "--format", "json-report"}, " format 2" + perProcessor + " save - a.tws"},
        {{"digest", "--", "-odd-name"}, " format 0" + perProcessor + " save - -odd-name"},
        // Each input keeps the maps written before it, and only those.
        {{"merge", "o.tws", "--map", "/a=/x", "--map", "/b=/y", "1.tws", "2.tws", "--map", "/c=/z", "3.tws"},
         " format 0" + perProcessor + " save - o.tws 1.tws: /a=/x /b=/y 2.tws: 3.tws: /c=/z"},
    };
    for (const auto& [arguments, chosen] : cases)
        EXPECT_EQ(Chosen(ParseCommandLine(arguments)), chosen) << ::testing::PrintToString(arguments);

    const std::pair<std::vector<std::string>, std::string> errors[] = {
        {{"scan"}, "scan needs at least one ROOT"},
        {{"scan", "--compare", "8", "/r"}, "unknown size category '8'"},
        {{"scan", "--compare", "all", "--compare", "none", "/r"}, "--compare none cannot go with other values"},
        {{"scan", "/r", "--save"}, "--save needs a value"},
        {{"groups", "a.tws", "--compare", "all"}, "unknown option '--compare' for groups"},
        {{"scan", "--refresh", "/r"}, "unknown option '--refresh' for scan"},
        {{"open", "a.tws", "b.tws"}, "open needs exactly one document"},
        {{"scan", "--workers", "0", "/r"}, "--workers takes a number from 1 to 64"},
        {{"scan", "--digest-all", "--compare", "all", "/r"}, "--digest-all digests every file: --compare cannot go with it"},
        {{"merge", "--map", "/a=/b", "out.tws", "in.tws"}, "--map goes before the input it maps, not before OUT.tws"},
        {{"merge", "out.tws"}, "merge needs OUT.tws and at least one document to merge into it"},
        {{"apply", "p.json", "--map", "a=/b"}, "--map takes two absolute paths as FROM=TO, not 'a=/b'"},
    };
    for (const auto& [arguments, error] : errors) EXPECT_EQ(ParseCommandLine(arguments).error, error);

    EXPECT_EQ(ParseCategory("Very Small Files"), 6u);
    EXPECT_EQ(ParseCategory("NORMAL FILES"), 4u);
    for (const char* none : {"All Files", "0", "1x"}) EXPECT_FALSE(ParseCategory(none)) << none;  // row 0 is no band
}

// A name as the text report shows it (what a terminal would act on, escaped)
// and as a JSON string (bytes that are not UTF-8 as lone surrogates).
TEST(NameTextTest, TerminalAndJsonEscapeControlsQuotesAndInvalidBytesAndPassTheRest) {
    const struct {
        std::string_view name, terminal, json;
    } cases[] = {
        {"bell\a back\b tab\t lf\n vt\v ff\f cr\r", "bell\\a back\\b tab\\t lf\\n vt\\v ff\\f cr\\r",
         "\"bell\\u0007 back\\u0008 tab\\t lf\\n vt\\u000b ff\\u000c cr\\r\""},
        {std::string_view("nul\0\x01\x7f", 6), "nul\\000\\001\\177", "\"nul\\u0000\\u0001\\u007f\""},
        // So that an escape in a name cannot pass for one.
        {"back\\slash \"quoted\"", "back\\\\slash \"quoted\"", "\"back\\\\slash \\\"quoted\\\"\""},
        {"caf\xC3\xA9 \xF0\x9F\x98\x80", "caf\xC3\xA9 \xF0\x9F\x98\x80", "\"caf\xC3\xA9 \xF0\x9F\x98\x80\""},
        // A C1 control, then a printable: JSON needs no escape for either.
        {"csi\xC2\x9B and nbsp\xC2\xA0", "csi\\302\\233 and nbsp\xC2\xA0", "\"csi\xC2\x9B and nbsp\xC2\xA0\""},
        {"bad\xFF\xFE cut\xC3", "bad\\377\\376 cut\\303", "\"bad\\udcff\\udcfe cut\\udcc3\""},
        // An overlong form and an encoded surrogate are no UTF-8 either.
        {"\xC0\xAF \xED\xA0\x80", "\\300\\257 \\355\\240\\200", "\"\\udcc0\\udcaf \\udced\\udca0\\udc80\""},
    };
    for (const auto& [name, terminal, json] : cases) {
        std::string quoted;
        AppendJsonString(quoted, name);
        EXPECT_EQ(TerminalText(name), terminal) << TerminalText(name);
        EXPECT_EQ(quoted, json);
    }
}

TEST(SkipReportTest, OneLinePerCauseWithTheFirstPathsAndTheCountsInJson) {
    ScanSkips skips;
    EXPECT_TRUE(SkipSummaryLines(skips).empty());
    for (const char* path : {"/a", "/b", "/c", "/d", "/e"}) skips.Add(SkipCause::Unlistable, path);
    skips.Add(SkipCause::PathTooLong, "/" + std::string(5000, 'd'));
    EXPECT_EQ(SkipSummaryLines(skips),
              (std::vector<std::string>{
                  "could not list 5 folders, so what they hold is left out: \"/a\", \"/b\", \"/c\" and 2 more",
                  "left out 1 entry whose path is longer than PATH_MAX allows: \"/" + std::string(59, 'd') + "..." +
                      std::string(60, 'd') + "\""}));
    std::string json;
    AppendSkipsJson(json, skips);
    EXPECT_EQ(json.substr(0, json.find("paths_too_long")),
              "{\"unlistable_folders\": {\"count\": 5, \"examples\": [\"/a\", \"/b\", \"/c\"]}, \"");
    EXPECT_NE(json.find("\"folders_entered_before\": {\"count\": 0, \"examples\": []}}"), std::string::npos);
}

TEST(GroupReportTest, GroupsOfTwoOrMoreInResultOrder) {
    auto root = MakeRoot();
    FolderItem* top = root->FindOrCreateFolder(EntryNamed("/", 0, FILE_ATTRIBUTE_DIRECTORY));
    DuplicateIndex index;
    const std::string a(32, 'A'), b(32, 'B');
    FileItem* big1 = AddFile(top, "big1", 900, b);
    for (FileItem* item : {AddFile(top, "small1", 10, a), big1, AddFile(top, "single", 900, a),
                           AddFile(top, "small2", 10, a), AddFile(top, "big2", 900, b)})
        index.Insert(item);
    auto groups = CollectGroups(index);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(GroupsAsJson(groups), "[\n  {\"size\": 900, \"digest\": \"" + b +
                                        "\", \"files\": [\"/big1\", \"/big2\"]},\n  {\"size\": 10, \"digest\": \"" + a +
                                        "\", \"files\": [\"/small1\", \"/small2\"]}\n]\n");
    EXPECT_EQ(GroupsAsText({groups[1]}), "10 B [2 Copies] " + a + "\n/small1\n/small2\n\n");
}

}  // namespace
}  // namespace twinseek::testing
