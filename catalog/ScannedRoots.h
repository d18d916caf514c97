// The folders a catalogue was scanned from, found again in the tree itself,
// since a document stores no list of them.
#pragma once

#include "catalog/FolderItem.h"

#include <string>
#include <vector>

namespace twinseek {

// A scan makes the folders of a root's path with no attributes, where a
// listing gives every folder the directory attribute. A scanned root is such
// a folder that holds what a listing met (a file, or a folder with the
// directory attribute), or that holds nothing (a root that was empty or could
// not be listed). Folders that only lead to other roots are not roots. The
// full paths, in tree order.
std::vector<std::string> ScannedRoots(const FolderItem& root);

}  // namespace twinseek
