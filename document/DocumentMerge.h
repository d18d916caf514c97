// Several documents made one: each file is loaded on its own and its
// catalogue merged (CatalogMerge) into the catalogue of a document that the
// caller then saves.
#pragma once

#include "catalog/PathMap.h"
#include "compare/ProgressIndicator.h"
#include "document/Document.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace twinseek {

struct MergeInput {
    std::string path;
    std::vector<PathMapping> mappings;  // for this input alone
};

struct MergeOutcome {
    std::string error;  // empty when every input was merged
    uint64_t files = 0;
    // Files without a digest whose size a file of another input has.
    uint64_t undigestedAcrossInputs = 0;
};

// Merges the inputs, in order, into output's catalogue, which must be empty,
// and marks output modified. Only the tree is filled: output is to be saved,
// not compared or cleaned. On an error (an input that cannot be read, a
// mapping that names nothing, records of one path that disagree) output holds
// part of the inputs and must not be saved.
MergeOutcome MergeDocuments(Document& output, std::span<const MergeInput> inputs, ProgressIndicator& progress);

}  // namespace twinseek
