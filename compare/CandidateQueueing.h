// Chooses the files worth comparing (those whose size another catalogued file
// shares), hands them to the compare engine and starts it.
#pragma once

#include "catalog/FileCatalog.h"
#include "compare/CompareEngine.h"

#include <cstdint>
#include <span>
#include <vector>

namespace twinseek {

// After a scan: for each size category 1 to 7 named in categoryIds, in table
// order ("Huge Files" first), queues its files of shared size in catalogue
// order, under the progress "Initialize..."; then starts the engine if any
// category was named. Other ids are ignored. True when a file was queued.
bool QueueSizeCategories(CompareEngine& engine, const FileCatalog& catalog, std::span<const uint32_t> categoryIds);

// The compare command: queues every catalogued file of shared size, in
// catalogue order, under the progress "Initialize...", and starts the engine.
// True when a file was queued.
bool QueueAllSharedSizes(CompareEngine& engine, const FileCatalog& catalog);
// The compare command of the files view: queues files in the order given
// (the file list's rows), under the progress "Initialize...", and starts the
// engine. True when a file was queued.
bool QueueFiles(CompareEngine& engine, std::span<FileItem* const> files);

// The files QueueAllSharedSizes, or QueueSizeCategories for categoryIds, goes
// through, whatever their state, in the same order; links are the engine's
// further paths of one file, which make no size shared.
std::vector<FileItem*> SharedSizeFiles(const FileCatalog& catalog, const SameFileLinks* links);
std::vector<FileItem*> SharedSizeFiles(const FileCatalog& catalog, std::span<const uint32_t> categoryIds,
                                       const SameFileLinks* links);

// Every catalogued file that can be digested (links are never opened), in
// catalogue order: what a catalogue to be matched against another machine's
// needs, where no file's size is known to be unique.
std::vector<FileItem*> EveryDigestibleFile(const FileCatalog& catalog);

}  // namespace twinseek
