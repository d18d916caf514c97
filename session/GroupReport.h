// The duplicate groups of a catalogue in the order the result view shows them,
// written for people (text) or for programs (JSON), whole or one at a time.
#pragma once

#include "catalog/DuplicateIndex.h"
#include "catalog/SameFileLinks.h"

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
    // Per path, the further paths of its file (hard links); empty when no
    // file of the group has any.
    std::vector<std::vector<std::string>> links;
};

// Every key with two or more files: largest size first, keys of one size in
// the order they were first added, files in the order they were collected.
// With links, each file's further paths come along.
void ForEachGroupReport(const DuplicateIndex& index, const std::function<void(const GroupReport&)>& visit,
                        const SameFileLinks* links = nullptr);
std::vector<GroupReport> CollectGroups(const DuplicateIndex& index, const SameFileLinks* links = nullptr);

// Per group a header "<size>B [<n> Copies] <digest>", its paths, a blank line;
// the text as TerminalText shows it, so that no name acts on a terminal.
void AppendGroupText(std::string& out, const GroupReport& group);
std::string GroupsAsText(const std::vector<GroupReport>& groups);

// [{"size": N, "digest": "...", "files": ["/path", ...]}, ...]: the array's
// opening, each element (the first without a separator), and its closing
// (without a line end). A group whose files have further paths also has
// "links": {"/path": ["/other/path", ...], ...}.
constexpr std::string_view kJsonGroupsOpening = "[";
void AppendGroupJson(std::string& out, const GroupReport& group, bool first);
std::string_view JsonGroupsClosing(bool anyGroup);
// The whole array and a line end.
std::string GroupsAsJson(const std::vector<GroupReport>& groups);

}  // namespace twinseek
