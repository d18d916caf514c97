#include "session/DiskFileRemover.h"

#include "platform/AnchoredPath.h"
#include "platform/EntryRemoval.h"
#include "platform/FreedesktopTrash.h"

#include <cerrno>

namespace twinseek {

RemoverOutcome DiskFileRemover::Remove(int folder, const std::string& name, const std::string& path,
                                       const FileIdentity& identity, RemovalMode mode) {
    if (mode == RemovalMode::Permanently) {
        const int error = UnlinkEntry(folder, name, identity);
        return {error, error == ESTALE ? "Modified since it was compared" : ""};
    }
    // The Trash moves whatever bears the name: make sure it is still the file checked.
    const EntryLook entry = LookAtEntry(folder, name);
    if (entry.state != PathState::Present) return {entry.error != 0 ? entry.error : ENOENT, {}};
    if (entry.stamp.identity != identity) return {ESTALE, "Modified since it was compared"};
    const TrashOutcome trashed = twinseek::MoveToTrash(folder, name, path);
    return {trashed.error, trashed.reason};
}

}  // namespace twinseek
