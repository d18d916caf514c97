// The program's own remover: a checked file is unlinked through its folder,
// moved from there into the freedesktop Trash of its file system, or replaced
// there by a hard link to or a clone of the copy that stays; each only while
// the entry is still the file it was checked as.
#pragma once

#include "session/FileRemover.h"

namespace twinseek {

class DiskFileRemover final : public FileRemover {
public:
    RemoverOutcome Remove(const CheckedEntry& file, CleanupAction action) override;
    RemoverOutcome Replace(const CheckedEntry& file, const CheckedEntry& kept, CleanupAction action) override;
};

}  // namespace twinseek
