#include "cli/GroupReport.h"

#include "catalog/TextFormat.h"
#include "cli/JsonText.h"

namespace twinseek {

std::vector<GroupReport> CollectGroups(const DuplicateIndex& index) {
    std::vector<GroupReport> groups;
    index.ForEachDuplicateGroup([&](uint64_t size, DuplicateIndex::FileRange files) {
        auto [first, last] = files;
        GroupReport group{size, std::string((*first)->DigestText()), {}};
        for (auto it = first; it != last; ++it) group.paths.emplace_back((*it)->GetFullPath());
        groups.push_back(std::move(group));
    });
    return groups;
}

std::string GroupsAsText(const std::vector<GroupReport>& groups) {
    std::string text;
    for (const GroupReport& group : groups) {
        text += FormatSizeWithUnit(group.size).CStr();
        text.append(" [").append(std::to_string(group.paths.size())).append(" Copies] ");
        text += group.digest;
        text += '\n';
        for (const std::string& path : group.paths) text.append(path).append("\n");
        text += '\n';
    }
    return text;
}

std::string GroupsAsJson(const std::vector<GroupReport>& groups) {
    std::string json = "[";
    for (size_t g = 0; g < groups.size(); ++g) {
        const GroupReport& group = groups[g];
        json += g == 0 ? "\n" : ",\n";
        json.append("  {\"size\": ").append(std::to_string(group.size)).append(", \"digest\": ");
        AppendJsonString(json, group.digest);
        json += ", \"files\": [";
        for (size_t f = 0; f < group.paths.size(); ++f) {
            if (f != 0) json += ", ";
            AppendJsonString(json, group.paths[f]);
        }
        json += "]}";
    }
    json += groups.empty() ? "]\n" : "\n]\n";
    return json;
}

}  // namespace twinseek
