#include "catalog/ScannedRoots.h"

#include <algorithm>

namespace twinseek {

namespace {

bool OnARootsPath(const FolderItem& folder) { return folder.findData.dwFileAttributes == 0; }

bool HoldsWhatAListingMet(const FolderItem& folder) {
    const FolderItem::FolderSet& children = folder.ChildFolders();
    return !folder.Files().empty() ||
           std::any_of(children.begin(), children.end(), [](const FolderItem* child) { return !OnARootsPath(*child); });
}

}  // namespace

std::vector<std::string> ScannedRoots(const FolderItem& root) {
    std::vector<std::string> roots;
    // Depth first, children in name order, without recursion.
    std::vector<const FolderItem*> pending(root.ChildFolders().rbegin(), root.ChildFolders().rend());
    while (!pending.empty()) {
        const FolderItem* folder = pending.back();
        pending.pop_back();
        const bool empty = folder->Files().empty() && folder->ChildFolders().empty();
        if (OnARootsPath(*folder) && (empty || HoldsWhatAListingMet(*folder)))
            roots.emplace_back(folder->GetFullPath());
        pending.insert(pending.end(), folder->ChildFolders().rbegin(), folder->ChildFolders().rend());
    }
    return roots;
}

}  // namespace twinseek
