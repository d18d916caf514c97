#include "session/GroupReport.h"

#include "catalog/FolderItem.h"
#include "catalog/TextFormat.h"
#include "catalog/JsonText.h"
#include "catalog/TerminalText.h"

namespace twinseek {

namespace {

// The path of file built into out, whose room is kept from group to group; the
// file's own record does not cache it, as it would for every file reported.
void AssignPath(std::string& out, const FileItem& file) {
    out.assign(file.parent ? file.parent->GetFullPath() : std::string_view());
    if (!out.empty() && out.back() != '/') out += '/';
    out.append(file.Name());
}

}  // namespace

void ForEachGroupReport(const DuplicateIndex& index, const std::function<void(const GroupReport&)>& visit,
                        const SameFileLinks* links) {
    GroupReport group;
    index.ForEachDuplicateGroup([&](uint64_t size, DuplicateIndex::FileRange files) {
        auto [first, last] = files;
        group.size = size;
        group.digest.assign((*first)->DigestText());
        group.paths.resize(size_t(std::distance(first, last)));
        group.links.clear();
        size_t shown = 0;
        for (auto it = first; it != last; ++it) {
            AssignPath(group.paths[shown++], **it);
            std::span<FileItem* const> extras = links ? links->ExtrasOf(*it) : std::span<FileItem* const>();
            if (extras.empty()) continue;
            group.links.resize(group.paths.size());
            for (const FileItem* extra : extras) AssignPath(group.links[shown - 1].emplace_back(), *extra);
        }
        visit(group);
    });
}

std::vector<GroupReport> CollectGroups(const DuplicateIndex& index, const SameFileLinks* links) {
    std::vector<GroupReport> groups;
    ForEachGroupReport(index, [&](const GroupReport& group) { groups.push_back(group); }, links);
    return groups;
}

void AppendGroupText(std::string& out, const GroupReport& group) {
    out += FormatSizeWithUnit(group.size).CStr();
    out.append(" [").append(std::to_string(group.paths.size())).append(" Copies] ");
    AppendTerminalText(out, group.digest);
    out += '\n';
    for (const std::string& path : group.paths) {
        AppendTerminalText(out, path);
        out += '\n';
    }
    out += '\n';
}

std::string GroupsAsText(const std::vector<GroupReport>& groups) {
    std::string text;
    for (const GroupReport& group : groups) AppendGroupText(text, group);
    return text;
}

void AppendGroupJson(std::string& out, const GroupReport& group, bool first) {
    out += first ? "\n" : ",\n";
    out.append("  {\"size\": ").append(std::to_string(group.size)).append(", \"digest\": ");
    AppendJsonString(out, group.digest);
    out += ", \"files\": [";
    for (size_t f = 0; f < group.paths.size(); ++f) {
        if (f != 0) out += ", ";
        AppendJsonString(out, group.paths[f]);
    }
    out += "]";
    if (!group.links.empty()) {
        out += ", \"links\": {";
        bool firstLink = true;
        for (size_t f = 0; f < group.links.size(); ++f) {
            if (group.links[f].empty()) continue;
            if (!firstLink) out += ", ";
            firstLink = false;
            AppendJsonString(out, group.paths[f]);
            out += ": [";
            for (size_t l = 0; l < group.links[f].size(); ++l) {
                if (l != 0) out += ", ";
                AppendJsonString(out, group.links[f][l]);
            }
            out += "]";
        }
        out += "}";
    }
    out += "}";
}

std::string_view JsonGroupsClosing(bool anyGroup) { return anyGroup ? "\n]" : "]"; }

std::string GroupsAsJson(const std::vector<GroupReport>& groups) {
    std::string json(kJsonGroupsOpening);
    for (size_t g = 0; g < groups.size(); ++g) AppendGroupJson(json, groups[g], g == 0);
    json += JsonGroupsClosing(!groups.empty());
    json += '\n';
    return json;
}

}  // namespace twinseek
