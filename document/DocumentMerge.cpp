#include "document/DocumentMerge.h"

#include "catalog/CatalogMerge.h"
#include "document/CXArchive.h"
#include "platform/CXException.h"
#include "platform/CXFile.h"

#include <memory>

namespace twinseek {

namespace {

// Reads the document at path into root, which must be empty.
void LoadInput(const std::string& path, FolderItem& root, ProgressIndicator& progress) {
    CXFile file;
    file.Open(path, CXFile::Access::Read, CXFile::Creation::OpenExisting);
    CXArchive archive(&file, CXArchive::Load | CXArchive::NoFlushOnDelete);
    FileCatalog catalog;
    DuplicateIndex unused;
    std::vector<FileItem*> finished;  // not to be indexed: only the tree is wanted
    LoadCatalog(archive, root, catalog, unused, {}, progress, &finished);
    archive.Close();
    file.Close();
}

std::string Reason(const std::exception& error) {
    if (const auto* failure = dynamic_cast<const CXException*>(&error); failure && failure->message.empty())
        return "error " + std::to_string(failure->GetCause());
    return error.what();
}

}  // namespace

MergeOutcome MergeDocuments(Document& output, std::span<const MergeInput> inputs, ProgressIndicator& progress) {
    MergeOutcome outcome;
    CatalogMerge merge(*output.root);
    const std::unique_ptr<FolderItem> scratch(FolderItem::CreateRoot());
    for (const MergeInput& input : inputs) {
        try {
            LoadInput(input.path, *scratch, progress);
        } catch (const std::exception& error) {
            scratch->ClearChildren();
            outcome.error = "could not read " + input.path + ": " + Reason(error);
            return outcome;
        }
        if (std::string error = merge.Add(*scratch, input.mappings); !error.empty()) {
            outcome.error = "cannot merge " + input.path + ": " + error;
            return outcome;
        }
    }
    output.modified = true;
    outcome.files = output.root->CountFiles();
    outcome.undigestedAcrossInputs = merge.UndigestedAcrossInputs();
    return outcome;
}

}  // namespace twinseek
