#include "session/MarkRules.h"

#include "catalog/FolderItem.h"
#include "platform/FullPath.h"

#include <algorithm>
#include <array>
#include <compare>
#include <cstring>

namespace twinseek {

namespace {

constexpr std::array<std::pair<KeepRule, std::string_view>, 6> kRuleNames{{
    {KeepRule::Newest, "newest"},
    {KeepRule::Oldest, "oldest"},
    {KeepRule::Shortest, "shortest"},
    {KeepRule::Shallowest, "shallowest"},
    {KeepRule::First, "first"},
    {KeepRule::InFolder, "folder"},
}};

// A file's full path as its three pieces: the folder's path (built once per
// folder and kept), the separator when that path needs one, and the name.
struct PathPieces {
    std::array<std::string_view, 3> pieces;

    explicit PathPieces(const FileItem& file) {
        std::string_view folder = file.parent ? file.parent->GetFullPath() : std::string_view();
        pieces = {folder, folder.empty() || folder.back() == '/' ? "" : "/", file.Name()};
    }
    size_t Length() const { return pieces[0].size() + pieces[1].size() + pieces[2].size(); }
};

size_t FolderDepth(const FileItem& file) {
    size_t depth = 0;
    for (const FolderItem* folder = file.parent; folder; folder = folder->parent) ++depth;
    return depth;
}

std::optional<std::string> AbsoluteFolder(const std::string& folder) {
    if (folder.empty()) return std::nullopt;
    return GetFullPathName(folder);
}

}  // namespace

std::string_view KeepRuleName(KeepRule rule) {
    for (const auto& [known, name] : kRuleNames)
        if (known == rule) return name;
    return {};
}

std::optional<KeepRule> KeepRuleNamed(std::string_view name) {
    for (const auto& [rule, known] : kRuleNames)
        if (known == name) return rule;
    return std::nullopt;
}

int CompareFullPaths(const FileItem& a, const FileItem& b) {
    const PathPieces left(a);
    const PathPieces right(b);
    size_t leftPiece = 0, rightPiece = 0;
    std::string_view leftRest = left.pieces[0], rightRest = right.pieces[0];
    for (;;) {
        while (leftRest.empty() && leftPiece < 2) leftRest = left.pieces[++leftPiece];
        while (rightRest.empty() && rightPiece < 2) rightRest = right.pieces[++rightPiece];
        if (leftRest.empty() || rightRest.empty()) return int(!leftRest.empty()) - int(!rightRest.empty());
        const size_t common = std::min(leftRest.size(), rightRest.size());
        // memcmp compares as unsigned bytes.
        if (int order = std::memcmp(leftRest.data(), rightRest.data(), common); order != 0) return order;
        leftRest.remove_prefix(common);
        rightRest.remove_prefix(common);
    }
}

bool IsUnderFolder(const FileItem& file, std::string_view folder) {
    if (!file.parent || folder.empty()) return false;
    const std::string_view path = file.parent->GetFullPath();
    if (!path.starts_with(folder)) return false;
    return path.size() == folder.size() || folder.back() == '/' || path[folder.size()] == '/';
}

CopyMarker::CopyMarker(const MarkRules& rules) : keep(rules.keep) {
    if (keep == KeepRule::InFolder) keepFolder = AbsoluteFolder(rules.keepFolder).value_or("");
    for (const std::string& folder : rules.referenceFolders)
        if (std::optional<std::string> absolute = AbsoluteFolder(folder)) referenceFolders.push_back(*absolute);
}

std::strong_ordering CopyMarker::RuleOrder(const FileItem& a, const FileItem& b) const {
    switch (keep) {
    case KeepRule::Newest:
        return b.LastWriteTime().Value() <=> a.LastWriteTime().Value();
    case KeepRule::Oldest:
        return a.LastWriteTime().Value() <=> b.LastWriteTime().Value();
    case KeepRule::Shortest:
        return PathPieces(a).Length() <=> PathPieces(b).Length();
    case KeepRule::Shallowest:
        return FolderDepth(a) <=> FolderDepth(b);
    default:
        return std::strong_ordering::equal;
    }
}

size_t CopyMarker::KeptFile(std::span<FileItem* const> files) const {
    if (keep == KeepRule::First) return 0;
    size_t kept = files.size();
    for (size_t i = 0; i < files.size(); ++i) {
        if (keep == KeepRule::InFolder && !IsUnderFolder(*files[i], keepFolder)) continue;
        if (kept == files.size()) {
            kept = i;
            continue;
        }
        const std::strong_ordering order = RuleOrder(*files[i], *files[kept]);
        if (order < 0 || (order == 0 && CompareFullPaths(*files[i], *files[kept]) < 0)) kept = i;
    }
    return kept;
}

const std::vector<bool>& CopyMarker::Mark(std::span<FileItem* const> files) {
    ticks.clear();
    if (files.empty()) return ticks;
    bool anyReference = false;
    for (FileItem* file : files) {
        const bool reference = std::any_of(referenceFolders.begin(), referenceFolders.end(),
                                           [&](const std::string& folder) { return IsUnderFolder(*file, folder); });
        ticks.push_back(!reference);
        anyReference |= reference;
    }
    if (anyReference) return ticks;
    const size_t kept = KeptFile(files);
    if (kept == files.size()) {
        ticks.clear();
        return ticks;
    }
    ticks[kept] = false;
    return ticks;
}

std::vector<FileItem*> FilesToTick(const DuplicateIndex& index, const MarkRules& rules) {
    CopyMarker marker(rules);
    std::vector<FileItem*> ticked;
    std::vector<FileItem*> group;
    index.ForEachDuplicateGroup([&](uint64_t, DuplicateIndex::FileRange files) {
        group.assign(files.first, files.second);
        const std::vector<bool>& ticks = marker.Mark(group);
        for (size_t i = 0; i < ticks.size(); ++i)
            if (ticks[i]) ticked.push_back(group[i]);
    });
    return ticked;
}

}  // namespace twinseek
