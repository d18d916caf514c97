#include "cli/SkipReport.h"

#include "catalog/JsonText.h"

#include <array>
#include <string_view>

namespace twinseek {

namespace {

struct CauseText {
    SkipCause cause;
    std::string_view jsonKey;
    // What was done, with the count at '#' and the noun at '@'.
    std::string_view line;
    std::string_view one;
    std::string_view many;
};

constexpr std::array<CauseText, kSkipCauseCount> kCauses{{
    {SkipCause::Unlistable, "unlistable_folders", "could not list # @, so what they hold is left out", "folder",
     "folders"},
    {SkipCause::PathTooLong, "paths_too_long", "left out # @ whose path is longer than PATH_MAX allows", "entry",
     "entries"},
    {SkipCause::LineBreak, "line_break_names",
     "left out # @ whose name holds a line break, which a document cannot record", "entry", "entries"},
    {SkipCause::PseudoFileSystem, "pseudo_file_systems",
     "did not enter # @ on file systems that hold no user files (such as /proc)", "folder", "folders"},
    {SkipCause::EnteredBefore, "folders_entered_before",
     "did not enter # @ again, already entered through another path (a bind mount)", "folder", "folders"},
}};

// A path longer than a line keeps its start and its end, which tell the most.
std::string ShownPath(std::string_view path) {
    constexpr size_t kKept = 60;
    if (path.size() <= 3 * kKept) return std::string(path);
    return std::string(path.substr(0, kKept)) + "..." + std::string(path.substr(path.size() - kKept));
}

}  // namespace

std::vector<std::string> SkipSummaryLines(const ScanSkips& skips) {
    std::vector<std::string> lines;
    for (const CauseText& text : kCauses) {
        const uint64_t count = skips.Count(text.cause);
        if (count == 0) continue;
        std::string line(text.line);
        line.replace(line.find('#'), 1, std::to_string(count));
        line.replace(line.find('@'), 1, count == 1 ? text.one : text.many);
        const std::vector<std::string>& examples = skips.Examples(text.cause);
        for (size_t i = 0; i < examples.size(); ++i)
            line.append(i == 0 ? ": \"" : ", \"").append(ShownPath(examples[i])) += '"';
        if (count > examples.size())
            line.append(" and ").append(std::to_string(count - examples.size())).append(" more");
        lines.push_back(std::move(line));
    }
    return lines;
}

void AppendSkipsJson(std::string& out, const ScanSkips& skips) {
    out += '{';
    for (size_t c = 0; c < kCauses.size(); ++c) {
        const CauseText& text = kCauses[c];
        if (c != 0) out += ", ";
        AppendJsonString(out, text.jsonKey);
        out.append(": {\"count\": ").append(std::to_string(skips.Count(text.cause))).append(", \"examples\": [");
        const std::vector<std::string>& examples = skips.Examples(text.cause);
        for (size_t i = 0; i < examples.size(); ++i) {
            if (i != 0) out += ", ";
            AppendJsonString(out, examples[i]);
        }
        out += "]}";
    }
    out += '}';
}

}  // namespace twinseek
