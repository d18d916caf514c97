// Moving paths from under one folder to under another, a whole path piece at
// a time: "/home" holds "/home/ann" but not "/homework". Used to tell several
// machines' folders apart in one catalogue, and to take them back.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace twinseek {

struct PathMapping {
    std::string from;  // absolute, folded: no "//", ".", ".." nor a '/' at the end ("/" itself aside)
    std::string to;
};

// "FROM=TO", split at the first "=/", both absolute; none when it is not one.
std::optional<PathMapping> ParsePathMapping(std::string_view text);

// Whether prefix is path itself or a folder above it.
bool HoldsPath(std::string_view prefix, std::string_view path);

// Of mappings, the one whose from holds path, the longest such; null when none does.
const PathMapping* MappingFor(std::span<const PathMapping> mappings, std::string_view path);

// path, held by mapping.from, with that part replaced by mapping.to.
std::string MapPath(const PathMapping& mapping, std::string_view path);

// The pieces of an absolute path below "/", in order ("/" has none).
std::vector<std::string_view> PathPieces(std::string_view path);

}  // namespace twinseek
