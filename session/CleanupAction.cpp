#include "session/CleanupAction.h"

#include <array>
#include <utility>

namespace twinseek {

namespace {
constexpr std::array<std::pair<CleanupAction, std::string_view>, 4> kNames{{
    {CleanupAction::Trash, "trash"},
    {CleanupAction::Delete, "delete"},
    {CleanupAction::HardLink, "hardlink"},
    {CleanupAction::Clone, "clone"},
}};
}  // namespace

std::string_view ActionName(CleanupAction action) {
    for (const auto& [known, name] : kNames)
        if (known == action) return name;
    return {};
}

std::optional<CleanupAction> ActionNamed(std::string_view name) {
    for (const auto& [action, known] : kNames)
        if (known == name) return action;
    return std::nullopt;
}

}  // namespace twinseek
