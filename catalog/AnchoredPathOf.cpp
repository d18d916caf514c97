#include "catalog/AnchoredPathOf.h"

#include "catalog/FolderItem.h"

#include <algorithm>
#include <vector>

namespace twinseek {

AnchoredPath AnchoredPathOf(const FileItem& file) {
    // The file's folders from the top of the catalogue down.
    std::vector<const FolderItem*> chain;
    for (const FolderItem* folder = file.parent; folder && folder->parent; folder = folder->parent)
        chain.push_back(folder);
    std::reverse(chain.begin(), chain.end());

    AnchoredPath path;
    path.name = file.Name();
    size_t walked = 0;
    while (walked < chain.size() && !(chain[walked]->findData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++walked;
    if (walked == 0) {
        // Walked from the top: only the file system's root can stand above it.
        // A path that does not start there is left without an anchor, which
        // no opening accepts.
        if (chain.empty() || chain[0]->Name() != "/") return path;
        path.anchor.assign(1, '/');  // not = "/", which GCC 12 at -O3 wrongly calls overlapping
        walked = 1;
    } else {
        path.anchor = chain[walked - 1]->GetFullPath();
    }
    for (size_t i = walked; i < chain.size(); ++i) path.steps.emplace_back(chain[i]->Name());
    return path;
}

}  // namespace twinseek
