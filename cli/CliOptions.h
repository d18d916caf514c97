// The command line of twinseek-cli: subcommand, operands and options.
#pragma once

#include "catalog/PathMap.h"
#include "document/DocumentMerge.h"
#include "session/CleanupAction.h"
#include "session/MarkRules.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace twinseek {

enum class CliCommand { Scan, Open, Groups, Digest, Clean, Apply, Merge, Undo, Help };
// JsonReport wraps the groups of Json in an object that also tells what the scan passed over.
enum class OutputFormat { Text, Json, JsonReport };

struct CliOptions {
    CliCommand command = CliCommand::Help;
    std::vector<std::string> operands;  // roots, a document, files to digest, a plan, or merge's output
    // Which files to compare: none chosen, every shared size, or categories 1 to 7.
    bool compareAll = false;
    std::vector<uint32_t> compareCategories;
    OutputFormat format = OutputFormat::Text;
    std::optional<std::string> savePath;
    // Compare workers; one per processor unless given.
    uint32_t workers = 1;
    // Digest every candidate whole, without screening them first.
    bool full = false;
    // Digest every file, shared size or not, so that another machine's
    // catalogue can be matched against this one.
    bool digestAll = false;
    // open: walk the document's own roots again before comparing.
    bool refresh = false;
    // clean: which copy of each group stays, what becomes of the others, and
    // whether only to tell what would be done.
    std::optional<MarkRules> keep;
    CleanupAction action = CleanupAction::Trash;
    bool dryRun = false;
    // merge: the documents to merge, each with the mappings written before it.
    std::vector<MergeInput> mergeInputs;
    // apply: how the plan's paths are taken back to this computer's.
    std::vector<PathMapping> mappings;
};

struct CliParse {
    std::optional<CliOptions> options;  // empty on a usage error
    std::string error;
};

CliParse ParseCommandLine(const std::vector<std::string>& arguments);
// The category id (1 to 7) of a name such as "Huge Files" (any case) or "1".
std::optional<uint32_t> ParseCategory(const std::string& text);

extern const char kUsageText[];

}  // namespace twinseek
