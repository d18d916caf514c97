#include "session/StartupArguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace twinseek {
namespace {

TEST(StartupArgumentsTest, OneDocumentHelpOrAMistake) {
    const struct {
        std::vector<std::string> arguments;
        std::optional<std::string> document;
        bool help;
        std::string error;
    } table[] = {
        {{}, std::nullopt, false, ""},
        {{"/home/ann/photos.tws"}, "/home/ann/photos.tws", false, ""},
        {{"-"}, "-", false, ""},
        {{"--", "-odd.tws"}, "-odd.tws", false, ""},
        {{"--help"}, std::nullopt, true, ""},
        {{"a.tws", "-h"}, "a.tws", true, ""},
        {{"-x", "a.tws"}, "a.tws", false, "twinseek: unknown option -x"},
        {{"-x", "--help"}, std::nullopt, true, "twinseek: unknown option -x"},
        {{"a.tws", "b.tws", "-y"}, "a.tws", false, "twinseek: one document at a time; also given b.tws"},
    };
    for (const auto& row : table) {
        const StartupRequest request = ParseStartupArguments(row.arguments);
        const std::string given = row.arguments.empty() ? "(nothing)" : row.arguments.front();
        EXPECT_EQ(request.documentPath, row.document) << given;
        EXPECT_EQ(request.showHelp, row.help) << given;
        EXPECT_EQ(request.error, row.error) << given;
    }
}

}  // namespace
}  // namespace twinseek
