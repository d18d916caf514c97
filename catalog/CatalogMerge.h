// Several catalogues put into one: each input's records move into the output
// tree, the paths its mappings name moved to their new places first. Records
// at one path are one record when they agree; a disagreement stops the merge
// with the path named.
#pragma once

#include "catalog/FolderItem.h"
#include "catalog/PathMap.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace twinseek {

class CatalogMerge {
public:
    // output: a catalogue root, empty or holding what is merged so far.
    explicit CatalogMerge(FolderItem& output) : output(output) {}

    // Moves every record below input (a catalogue root as a document loads
    // it) into the output and leaves input empty. A mapping moves the record
    // at its from, with everything below it, to its to; the folders on the
    // way there that the output lacks are made as a scan makes those on a
    // root's path. Two files at one path are one when size, last-write time,
    // kind and (where both have one) digest agree, the digest kept; a folder
    // keeps the entry of an input that listed it. Returns empty, or why the
    // merge cannot go on: a mapping that names no record of input, a path
    // that is a file in one input and a folder in another, two files that
    // disagree. The output then holds part of input and is not to be used.
    std::string Add(FolderItem& input, std::span<const PathMapping> mappings);

    // Files without a digest whose size a file of another input has: what a
    // comparison across the inputs would still have to read.
    uint64_t UndigestedAcrossInputs();

private:
    // Moves from's records into into, both at one path; from keeps what was
    // merged into a record already there.
    std::string MergeFolders(FolderItem& into, FolderItem& from);
    // Files a record detached from an input at path to, made from pieces of it.
    std::string Place(std::unique_ptr<CatalogItem> record, bool isFolder, const std::string& to);
    // A record of folder's and one at its path in an input made one.
    std::string MergeFile(FileItem& into, const FileItem& from, const FolderItem& folder);
    void Count(const FolderItem& adopted);
    void Count(const FileItem& adopted);

    struct InputFile {
        uint64_t size;
        const FileItem* file;
        uint32_t input;
    };

    FolderItem& output;
    uint32_t inputs = 0;
    std::vector<InputFile> files;
};

}  // namespace twinseek
