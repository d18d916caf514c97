// What a cleanup does with each file that passed its checks: sends it to the
// Trash, removes it for good, or puts a hard link to, or a clone of, the copy
// that stays in its place.
#pragma once

#include <optional>
#include <string_view>

namespace twinseek {

enum class CleanupAction { Trash, Delete, HardLink, Clone };

// "trash", "delete", "hardlink" or "clone": the names the journal and the command line use.
std::string_view ActionName(CleanupAction action);
std::optional<CleanupAction> ActionNamed(std::string_view name);

// Whether the file leaves the disk (Trash, Delete) rather than being replaced.
inline bool RemovesFile(CleanupAction action) { return action == CleanupAction::Trash || action == CleanupAction::Delete; }

}  // namespace twinseek
