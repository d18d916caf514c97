// The tree in which the user ticks the drives and folders to scan, without
// widgets: drive items at the top, children loaded on first expansion, and three
// check states kept consistent down to loaded descendants and up to ancestors.
#pragma once

#include "scan/DirectoryListing.h"
#include "scan/DriveList.h"
#include "scan/FolderTreeObserver.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace twinseek {

enum class CheckState : uint8_t {
    Unchecked,      // the item and all its loaded descendants are cleared
    PartlyChecked,  // some, not all, of its children are ticked or partly ticked
    Checked,        // the item and all its loaded descendants are ticked
};

// One item of the tree. Its children never move once loaded, so its row stays.
class FolderNode {
public:
    FolderNode(const FolderNode&) = delete;
    FolderNode& operator=(const FolderNode&) = delete;

    // The entry's name, or the full path of a drive item.
    const std::string& Text() const { return text; }
    // Null for the invisible root above the drive items.
    FolderNode* Parent() const { return parent; }
    int Row() const { return row; }
    int ChildCount() const { return int(children.size()); }
    FolderNode& Child(int index) const { return *children[size_t(index)]; }
    bool IsFolder() const { return isFolder; }
    // Whether the item gets an expand button: when it was inserted, its folder
    // held a subfolder or a file that is not hidden.
    bool HasChildren() const { return hasChildren; }
    CheckState State() const { return state; }

private:
    friend class FolderTreeModel;
    FolderNode(FolderNode* parent, int row, std::string text, bool isFolder, bool hasChildren, CheckState state)
        : parent(parent), row(row), text(std::move(text)), isFolder(isFolder), hasChildren(hasChildren), state(state) {}

    FolderNode* parent;
    int row;
    std::string text;
    std::vector<std::unique_ptr<FolderNode>> children;
    bool isFolder;
    bool hasChildren;
    CheckState state;
};

class FolderTreeModel {
public:
    // listing and drives must outlive the model. The tree is empty until LoadDrives.
    FolderTreeModel(const DirectoryListing& listing, const DriveSource& drives);
    FolderTreeModel(const FolderTreeModel&) = delete;
    FolderTreeModel& operator=(const FolderTreeModel&) = delete;

    // observer may be null; it must outlive the model or be replaced first.
    void SetObserver(FolderTreeObserver* observer) { this->observer = observer; }

    // The invisible parent of the drive items.
    FolderNode& Root() { return root; }
    const FolderNode& Root() const { return root; }

    // Replaces every item by the drive list, each drive cleared.
    void LoadDrives();
    // Whether the folder at path holds a subfolder (hidden ones count) or a file
    // that is not hidden; stops at the first. False when it cannot be listed.
    bool HasChildren(const std::string& path) const;
    // The user opens node: the first time (while it has no child) its children
    // are loaded, subfolders first, then files that are not hidden, each group
    // by name, byte by byte. They come up ticked when node is ticked, else cleared.
    // A folder that cannot be listed stays without children; nothing is reported.
    void Expand(FolderNode& node);
    // The full path of node: its text joined to those of its ancestors.
    static std::string ItemPath(const FolderNode& node);

    // A click on node's check box (or the space bar on it): a cleared item
    // becomes ticked, a ticked or partly ticked one cleared, with its loaded
    // descendants; then each ancestor becomes cleared when all its children
    // are, ticked when all are ticked, partly ticked otherwise.
    void ToggleCheck(FolderNode& node);
    // Sets node's state and, unless it is PartlyChecked, every loaded descendant's.
    void SetCheckRecursive(FolderNode& node, CheckState state);
    void SelectAll();
    void ClearAll();

    // The paths to scan, in display order: every ticked item whose ancestors are
    // all partly ticked. Nothing below a ticked item is collected, so no path
    // lies inside another of the same drive item; the drive items themselves
    // nest ("/" holds the home folder), so ticking two of them yields a root
    // inside another, which the scan takes without recording anything twice.
    std::vector<std::string> CollectChecked() const;

private:
    void SetState(FolderNode& node, CheckState state);
    void SetChildrenRecursive(FolderNode& parent, CheckState state);
    void UpdateAncestors(FolderNode& node);
    void Collect(const FolderNode& parent, std::vector<std::string>& paths) const;

    const DirectoryListing& listing;
    const DriveSource& drives;
    FolderTreeObserver* observer = nullptr;
    FolderNode root{nullptr, 0, {}, true, false, CheckState::Unchecked};
};

}  // namespace twinseek
