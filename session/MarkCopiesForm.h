// What the Mark Copies dialog shows and allows: its texts, one choice per keep
// rule, the groups it applies to, and whether the rules as filled in can mark.
#pragma once

#include "session/MarkRules.h"

#include <cstdint>
#include <span>
#include <string>

namespace twinseek {

struct KeepChoice {
    KeepRule rule;
    const char* label;
};

inline constexpr char kMarkCopiesTitle[] = "Mark Copies";
inline constexpr char kKeepHeading[] = "In each group, keep";
inline constexpr char kReferenceHeading[] = "Reference folders: their files are never ticked";
inline constexpr char kScopeHeading[] = "Apply to";
inline constexpr char kMarkButtonText[] = "&Mark";
inline constexpr char kBrowseText[] = "&Browse...";
inline constexpr char kAddReferenceText[] = "&Add...";
inline constexpr char kRemoveReferenceText[] = "&Remove";
inline constexpr char kChooseKeptFolderTitle[] = "Keep the File Under";
inline constexpr char kChooseReferenceTitle[] = "Add a Reference Folder";

// The keep rules in the order the dialog lists them.
std::span<const KeepChoice> KeepChoices();

// "All &groups" for kAllFilesId; for a category, "Only &this category (Huge Files)".
std::string ScopeText(uint32_t categoryId);

// A rule that keeps the file under a folder needs the folder.
bool CanMark(const MarkRules& rules);

}  // namespace twinseek
