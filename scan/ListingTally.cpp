#include "scan/ListingTally.h"

#include <unordered_set>

namespace twinseek {

namespace {

bool HeldBefore(const CatalogItem* record) {
    return record->compareState.load(std::memory_order_relaxed) != Provisional;
}

// Gone records know no type but the link attribute: a file record that is no
// link counts as a file.
uint64_t FilesCounted(const FileItem* file) { return HeldBefore(file) && !file->IsLink() ? 1 : 0; }

}  // namespace

void ListingTally::Begin(FolderItem* listed) {
    folder = listed;
    met.clear();
    // A folder this scan made holds only records this scan made. A held one
    // may hold some too (the path of another root): counted here, they only
    // send CollectGone the long way.
    heldBefore = HeldBefore(folder) ? folder->ChildFolders().size() + folder->Files().size() : 0;
}

void ListingTally::Met(const CatalogItem* record) {
    if (heldBefore != 0 && record && HeldBefore(record)) met.push_back(record);
}

void ListingTally::MetName(std::string_view name) {
    if (heldBefore == 0) return;
    Met(folder->FindFolder(name));
    Met(folder->FindFile(name));
}

void ListingTally::CollectGone(ScanChanges& changes) const {
    // A name met twice (an entry renamed while listed) only keeps more.
    if (met.size() >= heldBefore) return;
    // Each record is looked at: those the scan made are never gone.
    const std::unordered_set<const CatalogItem*> kept(met.begin(), met.end());
    for (FolderItem* child : folder->ChildFolders()) {
        if (!HeldBefore(child) || kept.contains(child)) continue;
        changes.goneFolders.push_back(child);
        child->ForEachFileBelow([&](FileItem* file) { changes.counts.goneFiles += FilesCounted(file); });
    }
    for (FileItem* file : folder->Files()) {
        if (!HeldBefore(file) || kept.contains(file)) continue;
        changes.goneFiles.push_back(file);
        changes.counts.goneFiles += FilesCounted(file);
    }
}

}  // namespace twinseek
