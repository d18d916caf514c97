#include "catalog/PathMap.h"

#include "platform/FullPath.h"

namespace twinseek {

namespace {

std::optional<std::string> FoldedAbsolute(std::string_view path) {
    if (!path.starts_with('/')) return std::nullopt;
    return GetFullPathName(path);
}

}  // namespace

std::optional<PathMapping> ParsePathMapping(std::string_view text) {
    const size_t split = text.find("=/");
    if (split == std::string_view::npos) return std::nullopt;
    std::optional<std::string> from = FoldedAbsolute(text.substr(0, split));
    std::optional<std::string> to = FoldedAbsolute(text.substr(split + 1));
    if (!from || !to) return std::nullopt;
    return PathMapping{std::move(*from), std::move(*to)};
}

bool HoldsPath(std::string_view prefix, std::string_view path) {
    if (!path.starts_with(prefix)) return false;
    return path.size() == prefix.size() || prefix.ends_with('/') || path[prefix.size()] == '/';
}

const PathMapping* MappingFor(std::span<const PathMapping> mappings, std::string_view path) {
    const PathMapping* best = nullptr;
    for (const PathMapping& mapping : mappings)
        if (HoldsPath(mapping.from, path) && (!best || mapping.from.size() > best->from.size())) best = &mapping;
    return best;
}

std::string MapPath(const PathMapping& mapping, std::string_view path) {
    std::string_view rest = path.substr(mapping.from.size());
    if (rest.starts_with('/')) rest.remove_prefix(1);
    std::string mapped = mapping.to;
    if (!rest.empty()) {
        if (!mapped.ends_with('/')) mapped += '/';
        mapped += rest;
    }
    return mapped;
}

std::vector<std::string_view> PathPieces(std::string_view path) {
    std::vector<std::string_view> pieces;
    for (size_t start = 0; start < path.size();) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) pieces.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

}  // namespace twinseek
