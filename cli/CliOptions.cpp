#include "cli/CliOptions.h"

#include "catalog/SizeCategory.h"
#include "platform/ProcessorCount.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <strings.h>
#include <utility>

namespace twinseek {

const char kUsageText[] =
    "Usage:\n"
    "  twinseek-cli scan [--compare all|none|CATEGORY... | --digest-all] [--format text|json|json-report]\n"
    "                    [--save FILE.tws] [--workers N] [--full] ROOT...\n"
    "  twinseek-cli open FILE.tws [--refresh] [--compare all|CATEGORY... | --digest-all] [--save OUT.tws]\n"
    "                    [--format text|json|json-report] [--workers N] [--full]\n"
    "  twinseek-cli groups FILE.tws [--format text|json|json-report]\n"
    "  twinseek-cli digest FILE...\n"
    "  twinseek-cli clean FILE.tws --keep newest|oldest|shortest|shallowest|first\n"
    "                    [--reference DIR]... [--action trash|delete|hardlink|clone]\n"
    "                    [--dry-run] [--save OUT.tws] [--format text|json]\n"
    "  twinseek-cli apply PLAN.json [--map TO=FROM]... [--format text|json]\n"
    "  twinseek-cli merge OUT.tws [--map FROM=TO]... IN.tws [[--map FROM=TO]... IN.tws]...\n"
    "  twinseek-cli undo\n"
    "\n"
    "scan catalogues the folders ROOT..., digests every file whose size is shared by\n"
    "another (or only those of the chosen size categories) and prints the duplicate\n"
    "groups, largest first. CATEGORY is a name or id: 1 \"Huge Files\", 2 \"Very Large\n"
    "Files\", 3 \"Large Files\", 4 \"Normal Files\", 5 \"Small Files\", 6 \"Very Small\n"
    "Files\", 7 \"Tiny Files\"; several may follow --compare or be separated by commas.\n"
    "--compare none catalogues without comparing anything.\n"
    "open loads a document, compares what is still uncompared when asked, and prints\n"
    "its groups; groups prints the groups of a document without comparing.\n"
    "open --refresh first scans the folders the document was scanned from again:\n"
    "new files are taken in, changed ones compared afresh, vanished ones dropped\n"
    "(what a folder that cannot be listed held is kept); the new and changed files\n"
    "are compared with the files of their sizes not compared yet.\n"
    "Files of one size are first told apart by their first 4 KiB (and last 4 KiB\n"
    "when over 64 KiB); only those still alike are digested whole, unless --full\n"
    "asks to digest every one. --workers: files read at once, one per processor\n"
    "by default; 1 suits a single spinning disk.\n"
    "--digest-all digests every file, whatever its size, so that the catalogues of\n"
    "several machines can be matched; with open --refresh, only what is new or\n"
    "changed is read.\n"
    "digest prints the base32 SHA-1 of each file, like sha1sum.\n"
    "clean keeps one file of each group of a document by the --keep rule (files\n"
    "under a --reference folder are never touched, and a group with one keeps\n"
    "that) and sends the others to the Trash, removes them for good, or puts a\n"
    "hard link to or a clone of the kept copy in their place. Each file is first\n"
    "checked against a copy that stays, byte for byte; a file that fails makes\n"
    "the exit status 1 once the others are done. --dry-run only tells what would\n"
    "be done (as json: a plan with size, time and digest of each file and of the\n"
    "copy it keeps). Every cleanup is journaled; undo undoes the last one.\n"
    "apply carries out such a plan on the computer that holds the files: --map\n"
    "TO=FROM takes the plan's paths back to this computer's; each file is checked\n"
    "again, against the copy the plan keeps where that is here, else by reading\n"
    "it for the SHA-1 planned; a file whose scan root is not here is refused.\n"
    "merge writes into OUT.tws the catalogues of every IN.tws; the --map options\n"
    "written before an input move its paths from FROM to TO, whole path pieces\n"
    "only, so that the machines' folders stay apart. Files at one path must agree\n"
    "in size, time and digest, or nothing is written.\n"
    "Text output shows control characters in names as escapes (\\n, \\033, like\n"
    "ls -b); json gives the exact bytes. json-report is an object holding the\n"
    "groups, what the scan left out and what a refresh found. What a scan leaves\n"
    "out is also told on standard error, one line per cause, and a refresh's\n"
    "new, changed and gone files in one line.\n"
    "\n"
    "Exit status: 0 on success (also when a scan left something out), 1 when the\n"
    "work failed, 2 on a usage error.\n";

std::optional<uint32_t> ParseCategory(const std::string& text) {
    uint32_t id = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (error == std::errc() && end == text.data() + text.size()) {
        if (id >= 1 && id <= 7) return id;
        return std::nullopt;
    }
    const auto& table = SizeCategories();
    for (uint32_t row = 1; row < table.size(); ++row)
        if (strcasecmp(text.c_str(), table[row].name) == 0) return row;
    return std::nullopt;
}

namespace {

constexpr uint32_t kMaxWorkers = 64;

bool AddCompareValue(CliOptions& options, const std::string& value) {
    size_t start = 0;
    while (start <= value.size()) {
        size_t comma = value.find(',', start);
        std::string piece = value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (strcasecmp(piece.c_str(), "all") == 0) {
            options.compareAll = true;
        } else if (auto id = ParseCategory(piece)) {
            if (std::find(options.compareCategories.begin(), options.compareCategories.end(), *id) ==
                options.compareCategories.end())
                options.compareCategories.push_back(*id);
        } else {
            return false;
        }
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return true;
}

}  // namespace

CliParse ParseCommandLine(const std::vector<std::string>& arguments) {
    CliParse result;
    if (arguments.empty()) {
        result.error = "no command given";
        return result;
    }
    CliOptions options;
    const std::string& command = arguments[0];
    if (command == "scan") options.command = CliCommand::Scan;
    else if (command == "open") options.command = CliCommand::Open;
    else if (command == "groups") options.command = CliCommand::Groups;
    else if (command == "digest") options.command = CliCommand::Digest;
    else if (command == "clean") options.command = CliCommand::Clean;
    else if (command == "apply") options.command = CliCommand::Apply;
    else if (command == "merge") options.command = CliCommand::Merge;
    else if (command == "undo") options.command = CliCommand::Undo;
    else if (command == "help" || command == "--help" || command == "-h") options.command = CliCommand::Help;
    else {
        result.error = "unknown command '" + command + "'";
        return result;
    }

    bool compareGiven = false;
    bool compareNone = false;
    bool workersGiven = false;
    bool operandsOnly = false;
    std::vector<std::string> references;
    std::vector<PathMapping> pendingMappings;  // merge: for the next input
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto value = [&](const char* option) -> const std::string* {
            if (i + 1 >= arguments.size()) {
                result.error = std::string(option) + " needs a value";
                return nullptr;
            }
            return &arguments[++i];
        };
        if (operandsOnly || argument.empty() || argument[0] != '-' || argument == "-") {
            if (options.command == CliCommand::Merge && !options.operands.empty())
                options.mergeInputs.push_back({argument, std::exchange(pendingMappings, {})});
            else
                options.operands.push_back(argument);
            if (options.command == CliCommand::Merge && !pendingMappings.empty()) {
                result.error = "--map goes before the input it maps, not before OUT.tws";
                return result;
            }
        } else if (argument == "--") {
            operandsOnly = true;
        } else if (argument == "--help" || argument == "-h") {
            options.command = CliCommand::Help;
        } else if (argument == "--compare" && (options.command == CliCommand::Scan || options.command == CliCommand::Open)) {
            const std::string* first = value("--compare");
            if (!first) return result;
            // "none" stands alone as the value: a word after it is a root.
            if (strcasecmp(first->c_str(), "none") == 0) {
                compareNone = true;
                compareGiven = true;
                continue;
            }
            if (!AddCompareValue(options, *first)) {
                result.error = "unknown size category '" + *first + "'";
                return result;
            }
            compareGiven = true;
            // Further categories may follow as separate words.
            while (i + 1 < arguments.size() && arguments[i + 1][0] != '-' && AddCompareValue(options, arguments[i + 1]))
                ++i;
        } else if (argument == "--keep" && options.command == CliCommand::Clean) {
            const std::string* rule = value("--keep");
            if (!rule) return result;
            const std::optional<KeepRule> keep = KeepRuleNamed(*rule);
            if (!keep || *keep == KeepRule::InFolder) {
                result.error = "--keep takes newest, oldest, shortest, shallowest or first, not '" + *rule + "'";
                return result;
            }
            if (!options.keep) options.keep.emplace();
            options.keep->keep = *keep;
        } else if (argument == "--reference" && options.command == CliCommand::Clean) {
            const std::string* folder = value("--reference");
            if (!folder) return result;
            references.push_back(*folder);
        } else if (argument == "--action" && options.command == CliCommand::Clean) {
            const std::string* action = value("--action");
            if (!action) return result;
            const std::optional<CleanupAction> chosen = ActionNamed(*action);
            if (!chosen) {
                result.error = "--action takes trash, delete, hardlink or clone, not '" + *action + "'";
                return result;
            }
            options.action = *chosen;
        } else if (argument == "--map" &&
                   (options.command == CliCommand::Merge || options.command == CliCommand::Apply)) {
            const std::string* text = value("--map");
            if (!text) return result;
            std::optional<PathMapping> mapping = ParsePathMapping(*text);
            if (!mapping) {
                result.error = "--map takes two absolute paths as FROM=TO, not '" + *text + "'";
                return result;
            }
            (options.command == CliCommand::Merge ? pendingMappings : options.mappings).push_back(std::move(*mapping));
        } else if (argument == "--dry-run" && options.command == CliCommand::Clean) {
            options.dryRun = true;
        } else if (argument == "--format" && options.command != CliCommand::Digest &&
                   options.command != CliCommand::Undo && options.command != CliCommand::Merge) {
            const std::string* format = value("--format");
            if (!format) return result;
            if (*format == "text") options.format = OutputFormat::Text;
            else if (*format == "json") options.format = OutputFormat::Json;
            else if (*format == "json-report") options.format = OutputFormat::JsonReport;
            else {
                result.error = "--format takes text, json or json-report, not '" + *format + "'";
                return result;
            }
        } else if (argument == "--save" && (options.command == CliCommand::Scan || options.command == CliCommand::Open ||
                                            options.command == CliCommand::Clean)) {
            const std::string* path = value("--save");
            if (!path) return result;
            options.savePath = *path;
        } else if (argument == "--workers" && (options.command == CliCommand::Scan || options.command == CliCommand::Open)) {
            const std::string* count = value("--workers");
            if (!count) return result;
            uint32_t workers = 0;
            auto [end, error] = std::from_chars(count->data(), count->data() + count->size(), workers);
            if (error != std::errc() || end != count->data() + count->size() || workers < 1 || workers > kMaxWorkers) {
                result.error = "--workers takes a number from 1 to 64";
                return result;
            }
            options.workers = workers;
            workersGiven = true;
        } else if (argument == "--full" && (options.command == CliCommand::Scan || options.command == CliCommand::Open)) {
            options.full = true;
        } else if (argument == "--digest-all" &&
                   (options.command == CliCommand::Scan || options.command == CliCommand::Open)) {
            options.digestAll = true;
        } else if (argument == "--refresh" && options.command == CliCommand::Open) {
            options.refresh = true;
        } else {
            result.error = "unknown option '" + argument + "' for " + command;
            return result;
        }
    }
    if (compareNone && (options.compareAll || !options.compareCategories.empty())) {
        result.error = "--compare none cannot go with other values";
        return result;
    }
    if (options.digestAll && compareGiven) {
        result.error = "--digest-all digests every file: --compare cannot go with it";
        return result;
    }
    if (options.compareAll) options.compareCategories.clear();
    if (!workersGiven) options.workers = std::min<uint32_t>(ProcessorCount(), kMaxWorkers);

    switch (options.command) {
    case CliCommand::Scan:
        if (options.operands.empty()) result.error = "scan needs at least one ROOT";
        // Comparing every shared size is what a scan is for unless told otherwise.
        if (!compareGiven) options.compareAll = true;
        break;
    case CliCommand::Open:
    case CliCommand::Groups:
        if (options.operands.size() != 1) result.error = command + " needs exactly one document";
        break;
    case CliCommand::Digest:
        if (options.operands.empty()) result.error = "digest needs at least one FILE";
        break;
    case CliCommand::Clean:
        if (options.operands.size() != 1) result.error = "clean needs exactly one document";
        else if (!options.keep) result.error = "clean needs --keep to say which copy of each group stays";
        else if (options.format == OutputFormat::JsonReport) result.error = "clean prints text or json";
        else options.keep->referenceFolders = references;
        break;
    case CliCommand::Apply:
        if (options.operands.size() != 1) result.error = "apply needs exactly one plan";
        else if (options.format == OutputFormat::JsonReport) result.error = "apply prints text or json";
        break;
    case CliCommand::Merge:
        if (options.operands.empty() || options.mergeInputs.empty())
            result.error = "merge needs OUT.tws and at least one document to merge into it";
        else if (!pendingMappings.empty())
            result.error = "--map after the last input maps nothing";
        break;
    case CliCommand::Undo:
        if (!options.operands.empty()) result.error = "undo takes no operand";
        break;
    case CliCommand::Help:
        break;
    }
    if (!result.error.empty()) return result;
    result.options = std::move(options);
    return result;
}

}  // namespace twinseek
