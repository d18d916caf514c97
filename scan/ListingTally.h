// Which records a folder held before the scan are met while the scan lists it;
// once its listing has run to its end whole, the others are gone from disk.
// A folder that held nothing before the scan costs nothing.
#pragma once

#include "catalog/FolderItem.h"
#include "catalog/ScanChanges.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace twinseek {

class ListingTally {
public:
    // Starts on the listing of folder, counting the records it holds now.
    void Begin(FolderItem* folder);
    // The listing met record: kept. A record made by this scan needs no tally.
    void Met(const CatalogItem* record);
    // An entry passed over by name (a line break, a path too long): whatever
    // the folder holds under that name is kept.
    void MetName(std::string_view name);
    // The listing ran to its end and lost nothing: the records held before and
    // not met go to changes, with the count of files among them.
    void CollectGone(ScanChanges& changes) const;

private:
    FolderItem* folder = nullptr;
    size_t heldBefore = 0;
    std::vector<const CatalogItem*> met;
};

}  // namespace twinseek
