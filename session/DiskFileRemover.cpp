#include "session/DiskFileRemover.h"

#include "platform/AnchoredPath.h"
#include "platform/EntryRemoval.h"
#include "platform/FileReplacement.h"
#include "platform/FreedesktopTrash.h"

#include <cerrno>

namespace twinseek {

namespace {
constexpr char kChanged[] = "Modified since it was compared";
}  // namespace

RemoverOutcome DiskFileRemover::Remove(const CheckedEntry& file, CleanupAction action) {
    if (action == CleanupAction::Delete) {
        const int error = UnlinkEntry(file.folder, file.name, file.identity);
        return {error, error == ESTALE ? kChanged : "", {}, {}};
    }
    // The Trash moves whatever bears the name: make sure it is still the file checked.
    const EntryLook entry = LookAtEntry(file.folder, file.name);
    if (entry.state != PathState::Present) return {entry.error != 0 ? entry.error : ENOENT, {}, {}, {}};
    if (entry.stamp.identity != file.identity) return {ESTALE, kChanged, {}, {}};
    const TrashOutcome trashed = twinseek::MoveToTrash(file.folder, file.name, file.path);
    return {trashed.error, trashed.reason, trashed.trashFolder, trashed.trashedName};
}

RemoverOutcome DiskFileRemover::Replace(const CheckedEntry& file, const CheckedEntry& kept, CleanupAction action) {
    const FolderEntry target{file.folder, file.name, file.identity};
    const FolderEntry source{kept.folder, kept.name, kept.identity};
    const ReplacementOutcome replaced =
        action == CleanupAction::HardLink ? ReplaceWithHardLink(target, source) : ReplaceWithClone(target, source);
    return {replaced.error, replaced.reason, {}, {}};
}

}  // namespace twinseek
