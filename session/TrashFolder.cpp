#include "session/TrashFolder.h"

#include <algorithm>
#include <utility>

namespace twinseek {

namespace {

bool IsNumber(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The last piece of path, and path without it and its slash.
std::pair<std::string_view, std::string_view> SplitLast(std::string_view path) {
    size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return {{}, path};
    return {path.substr(0, slash), path.substr(slash + 1)};
}

}  // namespace

bool IsInTrashFolder(std::string_view path) {
    if (!path.starts_with('/') || path.find("/./") != std::string_view::npos ||
        path.find("/../") != std::string_view::npos)
        return false;
    auto [files, name] = SplitLast(path);
    if (name.empty() || name == "." || name == "..") return false;
    auto [trash, filesName] = SplitLast(files);
    if (filesName != "files") return false;
    auto [above, trashName] = SplitLast(trash);
    if (trashName == "Trash") return true;  // $XDG_DATA_HOME/Trash
    if (trashName.starts_with(".Trash-")) return IsNumber(trashName.substr(7));
    return IsNumber(trashName) && SplitLast(above).second == ".Trash";
}

}  // namespace twinseek
