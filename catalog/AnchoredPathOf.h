// Where a catalogued file's path was followed and where it was walked. Folder
// records a listing met carry the directory attribute; those made from the
// path of a scanned root carry no attributes (a document stores both as they
// were), so the path is followed down to the last of those and walked below.
#pragma once

#include "catalog/FileItem.h"
#include "platform/AnchoredPath.h"

namespace twinseek {

AnchoredPath AnchoredPathOf(const FileItem& file);

}  // namespace twinseek
