#include "session/CleanupPlan.h"

#include "catalog/AnchoredPathOf.h"
#include "catalog/FileItem.h"
#include "catalog/JsonReader.h"
#include "catalog/JsonText.h"
#include "platform/FindData.h"

#include <algorithm>
#include <unordered_set>

namespace twinseek {

namespace {

// 100-ns intervals between 1601-01-01 and 1970-01-01.
constexpr int64_t kUnixEpochInFileTime = 116444736000000000LL;

int64_t FloorDivide(int64_t value, int64_t by) { return value / by - (value % by < 0 ? 1 : 0); }

bool ParseFile(JsonReader& reader, PlanFile& file, PlanFile* keep) {
    if (!reader.Take('{')) return false;
    bool havePath = false;
    bool haveKeep = keep == nullptr;
    if (reader.Take('}')) return false;
    do {
        std::optional<std::string> key = reader.String();
        if (!key || !reader.Take(':')) return false;
        if (*key == "path" || *key == "anchor" || *key == "digest") {
            std::optional<std::string> text = reader.String();
            if (!text) return false;
            (*key == "path" ? file.path : *key == "anchor" ? file.anchor : file.digest) = std::move(*text);
            havePath |= *key == "path";
        } else if (*key == "size" || *key == "mtime_ns") {
            std::optional<int64_t> number = reader.Number();
            if (!number || (*key == "size" && *number < 0)) return false;
            if (*key == "size") file.size = uint64_t(*number);
            else file.writeNanos = *number;
        } else if (*key == "keep" && keep) {
            if (!ParseFile(reader, *keep, nullptr)) return false;
            haveKeep = true;
        } else if (!reader.SkipValue()) {
            return false;
        }
    } while (reader.Take(','));
    if (file.anchor.empty()) file.anchor = "/";
    return reader.Take('}') && havePath && haveKeep;
}

// The path below anchor as the checks walk it; none when it is not below.
std::optional<AnchoredPath> Along(const std::string& anchor, const std::string& path) {
    if (!anchor.starts_with('/') || path == anchor || !HoldsPath(anchor, path)) return std::nullopt;
    std::vector<std::string_view> below = PathPieces(std::string_view(path).substr(anchor.size()));
    if (below.empty()) return std::nullopt;
    AnchoredPath along{anchor, {}, std::string(below.back())};
    for (size_t i = 0; i + 1 < below.size(); ++i) along.steps.emplace_back(below[i]);
    return along;
}

std::optional<CheckedFile> LocalFile(const PlanFile& planned, std::span<const PathMapping> mappings) {
    CheckedFile file;
    file.path = planned.path;
    std::string anchor = planned.anchor;
    if (const PathMapping* mapping = MappingFor(mappings, planned.path)) {
        file.path = MapPath(*mapping, planned.path);
        if (HoldsPath(mapping->from, anchor))
            anchor = MapPath(*mapping, anchor);
        else if (mapping->from == planned.path)  // the file itself mapped: its new folder is followed
            anchor = file.path.substr(0, std::max<size_t>(file.path.rfind('/'), 1));
        else  // a folder below the anchor mapped: followed from there as it is reached here
            anchor = mapping->to;
    }
    std::optional<AnchoredPath> where = Along(anchor, file.path);
    if (!where) return std::nullopt;
    file.where = std::move(*where);
    file.size = planned.size;
    const int64_t units = FloorDivide(planned.writeNanos, 100) + kUnixEpochInFileTime;
    file.lastWrite = units < 0 ? 0 : uint64_t(units);
    file.digest = planned.digest;
    return file;
}

}  // namespace

PlanFile DescribeForPlan(const FileItem& file) {
    PlanFile planned;
    planned.path = file.GetFullPath();
    planned.anchor = AnchoredPathOf(file).anchor;
    planned.size = file.Size();
    planned.writeNanos = (int64_t(file.LastWriteTime().Value()) - kUnixEpochInFileTime) * 100;
    if (file.compareState.load(std::memory_order_relaxed) == Finished) planned.digest = file.DigestText();
    return planned;
}

void AppendPlanFileMembers(std::string& out, const PlanFile& file) {
    AppendJsonString(out += "\"path\": ", file.path);
    AppendJsonString(out += ", \"anchor\": ", file.anchor);
    out += ", \"size\": " + std::to_string(file.size) + ", \"mtime_ns\": " + std::to_string(file.writeNanos);
    AppendJsonString(out += ", \"digest\": ", file.digest);
}

std::optional<CleanupPlan> ParseCleanupPlan(std::string_view json, std::string& error) {
    JsonReader reader(json);
    CleanupPlan plan;
    bool haveAction = false;
    bool haveFiles = false;
    const auto fail = [&](const std::string& what) {
        error = what + " (at byte " + std::to_string(reader.Offset()) + ")";
        return std::nullopt;
    };
    if (!reader.Take('{')) return fail("not a plan: it does not begin with {");
    do {
        std::optional<std::string> key = reader.String();
        if (!key || !reader.Take(':')) return fail("not a plan: a member name was expected");
        if (*key == "action") {
            std::optional<std::string> name = reader.String();
            std::optional<CleanupAction> action = name ? ActionNamed(*name) : std::nullopt;
            if (!action) return fail("the action is not trash, delete, hardlink or clone");
            plan.action = *action;
            haveAction = true;
        } else if (*key == "files") {
            if (!reader.Take('[')) return fail("\"files\" is not a list");
            if (!reader.Take(']')) {
                do {
                    PlanStep step;
                    if (!ParseFile(reader, step.file, &step.keep))
                        return fail("file " + std::to_string(plan.steps.size() + 1) +
                                    " of the plan lacks its path or the copy it keeps, or is not well formed");
                    plan.steps.push_back(std::move(step));
                } while (reader.Take(','));
                if (!reader.Take(']')) return fail("the list of files does not end");
            }
            haveFiles = true;
        } else if (!reader.SkipValue()) {
            return fail("not a plan: a value is not well formed");
        }
    } while (reader.Take(','));
    if (!reader.Take('}') || !reader.AtEnd()) return fail("not a plan: it does not end where it should");
    if (!haveAction || !haveFiles) return fail("not a plan: it has no \"action\" or no \"files\"");
    return plan;
}

LocalPlan TakeToThisComputer(const CleanupPlan& plan, std::span<const PathMapping> mappings) {
    LocalPlan local;
    std::unordered_set<std::string> taken;
    for (const PlanStep& step : plan.steps) {
        std::optional<CheckedFile> file = LocalFile(step.file, mappings);
        std::optional<CheckedFile> keep = LocalFile(step.keep, mappings);
        if (!file || !keep) {
            const PlanFile& wrong = file ? step.keep : step.file;
            local.errors.push_back(wrong.path + " is not below the folder its scan began in, " + wrong.anchor);
            continue;
        }
        if (!taken.insert(file->path).second) continue;
        PlanStep shown = step;
        for (const auto& [planned, checked] : {std::pair{&shown.file, &*file}, std::pair{&shown.keep, &*keep}}) {
            planned->path = checked->path;
            planned->anchor = checked->where.anchor;
        }
        local.steps.push_back(std::move(shown));
        local.removals.push_back({std::move(*file), std::move(*keep)});
    }
    return local;
}

}  // namespace twinseek
