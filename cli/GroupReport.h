// The duplicate groups of a catalogue in the order the result view shows them,
// written for people (text) or for programs (JSON).
#pragma once

#include "catalog/DuplicateIndex.h"

#include <cstdint>
#include <string>
#include <vector>

namespace twinseek {

struct GroupReport {
    uint64_t size;
    std::string digest;
    std::vector<std::string> paths;
};

// Every key with two or more files: largest size first, keys of one size in
// the order they were first added, files in the order they were collected.
std::vector<GroupReport> CollectGroups(const DuplicateIndex& index);

// Per group a header "<size>B [<n> Copies] <digest>", its paths, a blank line.
std::string GroupsAsText(const std::vector<GroupReport>& groups);
// [{"size": N, "digest": "...", "files": ["/path", ...]}, ...]
std::string GroupsAsJson(const std::vector<GroupReport>& groups);

}  // namespace twinseek
