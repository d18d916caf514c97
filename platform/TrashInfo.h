// The record the Trash keeps beside each file it holds (info/NAME.trashinfo):
// where the file was and when it was trashed, with the path escaped so any bytes survive.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace twinseek {

struct TrashInfo {
    std::string path;          // where the file was, as its raw bytes (not escaped)
    std::string deletionDate;  // local time as YYYY-MM-DDThh:mm:ss

    bool operator==(const TrashInfo&) const = default;
};

// path with every byte but A-Z a-z 0-9 - . _ ~ and / written as %XX (upper-case
// hex), so that spaces, '%' and names that are not UTF-8 read back exactly.
std::string EscapeTrashPath(std::string_view path);
// The bytes an escaped path stands for (hex digits of either case); nullopt for
// a '%' not followed by two hex digits. Other bytes are taken as they are.
std::optional<std::string> UnescapeTrashPath(std::string_view escaped);

// The whole text of the info file for info.
std::string FormatTrashInfo(const TrashInfo& info);
// Path (unescaped) and DeletionDate of the [Trash Info] group of an info file's
// text; other groups and keys are passed over. nullopt when Path is missing,
// empty or wrongly escaped.
std::optional<TrashInfo> ParseTrashInfo(std::string_view text);

// when as the local date and time an info file records.
std::string TrashDeletionDate(std::time_t when);

}  // namespace twinseek
