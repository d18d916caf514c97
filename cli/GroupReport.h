// The duplicate groups of a catalogue in the order the result view shows them,
// written for people (text) or for programs (JSON), whole or one at a time.
#pragma once

#include "catalog/DuplicateIndex.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace twinseek {

struct GroupReport {
    uint64_t size;
    std::string digest;
    std::vector<std::string> paths;
};

// Every key with two or more files: largest size first, keys of one size in
// the order they were first added, files in the order they were collected.
void ForEachGroupReport(const DuplicateIndex& index, const std::function<void(const GroupReport&)>& visit);
std::vector<GroupReport> CollectGroups(const DuplicateIndex& index);

// Per group a header "<size>B [<n> Copies] <digest>", its paths, a blank line.
void AppendGroupText(std::string& out, const GroupReport& group);
std::string GroupsAsText(const std::vector<GroupReport>& groups);

// [{"size": N, "digest": "...", "files": ["/path", ...]}, ...]: the array's
// opening, each element (the first without a separator), and its closing.
constexpr std::string_view kJsonGroupsOpening = "[";
void AppendGroupJson(std::string& out, const GroupReport& group, bool first);
std::string_view JsonGroupsClosing(bool anyGroup);
std::string GroupsAsJson(const std::vector<GroupReport>& groups);

}  // namespace twinseek
