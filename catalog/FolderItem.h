// A folder record: owns its sub-folders and files, each kept once by name in
// byte-wise name order.
#pragma once

#include "catalog/CatalogItem.h"
#include "catalog/FileItem.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string_view>

namespace twinseek {

// Orders records, and names, byte-wise unsigned; a shorter name first on a tie.
struct ByName {
    using is_transparent = void;
    bool operator()(const CatalogItem* a, const CatalogItem* b) const { return a->Name() < b->Name(); }
    bool operator()(const CatalogItem* a, std::string_view b) const { return a->Name() < b; }
    bool operator()(std::string_view a, const CatalogItem* b) const { return a < b->Name(); }
};

class FolderItem : public CatalogItem {
public:
    using FolderSet = std::set<FolderItem*, ByName>;
    using FileSet = std::set<FileItem*, ByName>;

    static FolderItem* Create(FolderItem* parent, const FindData& data, int32_t state = Provisional);
    // The root of a catalogue: no parent, NotCompared, all fields zero.
    static FolderItem* CreateRoot();
    ~FolderItem() override;

    const FolderSet& ChildFolders() const { return childFolders; }
    const FileSet& Files() const { return files; }
    FolderItem* FindFolder(std::string_view name) const;
    FileItem* FindFile(std::string_view name) const;

    // The child of that name, made Provisional from data when there is none.
    // A record already present is returned unchanged.
    FolderItem* FindOrCreateFolder(const FindData& data);
    FileItem* FindOrCreateFile(const FindData& data, bool& created);

    // Files a record made elsewhere (loading). False when the name is taken:
    // the record is then not filed and stays the caller's.
    bool AdoptFolder(FolderItem* child);
    bool AdoptFile(FileItem* child);
    // Takes file out of this folder without deleting it: the caller owns it
    // then. False (and nothing changed) when file is not filed here.
    bool ReleaseFile(FileItem* file);
    bool ReleaseFolder(FolderItem* folder);
    // Calls visit for every file in this folder and all folders below it.
    void ForEachFileBelow(const std::function<void(FileItem*)>& visit) const;

    // Deletes every record below this folder.
    void ClearChildren();
    // Ends a scan: Provisional records below become NotCompared (commit) or
    // are deleted with everything under them.
    void Prune(bool commit);
    // Files in this folder and all folders below it.
    uint64_t CountFiles() const;

private:
    FolderItem(FolderItem* parent, const FindData& data, int32_t state, char* inlineNames)
        : CatalogItem(parent, data, state, inlineNames) {}

    FolderSet childFolders;
    FileSet files;
};

}  // namespace twinseek
