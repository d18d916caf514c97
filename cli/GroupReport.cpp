#include "cli/GroupReport.h"

#include "catalog/TextFormat.h"
#include "cli/JsonText.h"

namespace twinseek {

void ForEachGroupReport(const DuplicateIndex& index, const std::function<void(const GroupReport&)>& visit) {
    GroupReport group;
    index.ForEachDuplicateGroup([&](uint64_t size, DuplicateIndex::FileRange files) {
        auto [first, last] = files;
        group.size = size;
        group.digest.assign((*first)->DigestText());
        group.paths.clear();
        for (auto it = first; it != last; ++it) group.paths.emplace_back((*it)->GetFullPath());
        visit(group);
    });
}

std::vector<GroupReport> CollectGroups(const DuplicateIndex& index) {
    std::vector<GroupReport> groups;
    ForEachGroupReport(index, [&](const GroupReport& group) { groups.push_back(group); });
    return groups;
}

void AppendGroupText(std::string& out, const GroupReport& group) {
    out += FormatSizeWithUnit(group.size).CStr();
    out.append(" [").append(std::to_string(group.paths.size())).append(" Copies] ");
    out += group.digest;
    out += '\n';
    for (const std::string& path : group.paths) out.append(path).append("\n");
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
    out += "]}";
}

std::string_view JsonGroupsClosing(bool anyGroup) { return anyGroup ? "\n]\n" : "]\n"; }

std::string GroupsAsJson(const std::vector<GroupReport>& groups) {
    std::string json(kJsonGroupsOpening);
    for (size_t g = 0; g < groups.size(); ++g) AppendGroupJson(json, groups[g], g == 0);
    json += JsonGroupsClosing(!groups.empty());
    return json;
}

}  // namespace twinseek
