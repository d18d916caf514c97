// The document file format: the catalogue tree written record by record
// (little-endian words, line-ended texts) and read back into an empty catalogue.
#pragma once

#include "catalog/DuplicateIndex.h"
#include "catalog/FileCatalog.h"
#include "catalog/FolderItem.h"
#include "compare/ProgressIndicator.h"
#include "document/CXArchive.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace twinseek {

// Told of every Finished file as it is loaded, with its digesting time.
using FinishedHook = std::function<void(FileItem* file, uint32_t elapsedMillis)>;

// Writes the file count, then root and everything under it, folders before
// files, each in name order. One progress step per file.
void StoreCatalog(CXArchive& archive, const FolderItem& root, ProgressIndicator& progress);

// Reads a whole document into root (whose own record is replaced), which must
// have no children. Every file goes into catalog; Finished files also to
// onFinished as they are read and, once reading ends, into duplicates (unless
// unreadable), both in file order. Records named like an earlier sibling are
// dropped with everything under them.
// Loaded files are Finished or NotCompared, loaded folders NotCompared.
// Throws CXArchiveException: EndOfFile when the file ends before its records,
// Generic (with a message naming the record) for a name no directory entry
// can have (empty, ".", "..", holding "/" or a zero byte; only the root's
// folder is "/") and for a record whose full path would reach PATH_MAX bytes
// (only a damaged file nests so deep); CXFileException when reading fails. root,
// catalog and duplicates then hold what was read so far and must be cleared
// by the caller. With toIndex, the Finished files go there (in file order)
// instead of into duplicates, for the caller to file when it chooses.
void LoadCatalog(CXArchive& archive, FolderItem& root, FileCatalog& catalog, DuplicateIndex& duplicates,
                 const FinishedHook& onFinished, ProgressIndicator& progress,
                 std::vector<FileItem*>* toIndex = nullptr);

// The first record at or below root whose name, short name or digest text
// holds a line feed or carriage return (which a line cannot carry), or null.
const CatalogItem* FindUnstorableRecord(const FolderItem& root);

}  // namespace twinseek
