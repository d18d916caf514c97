#include "scan/FolderTreeModel.h"

#include <algorithm>

namespace twinseek {

namespace {

CheckState StateFromChildren(const FolderNode& node) {
    bool allCleared = true;
    bool allTicked = true;
    for (int row = 0; row < node.ChildCount() && (allCleared || allTicked); ++row) {
        CheckState state = node.Child(row).State();
        allCleared = allCleared && state == CheckState::Unchecked;
        allTicked = allTicked && state == CheckState::Checked;
    }
    if (allCleared) return CheckState::Unchecked;
    return allTicked ? CheckState::Checked : CheckState::PartlyChecked;
}

}  // namespace

FolderTreeModel::FolderTreeModel(const DirectoryListing& listing, const DriveSource& drives)
    : listing(listing), drives(drives) {}

void FolderTreeModel::LoadDrives() {
    std::vector<std::string> paths = drives.Drives();
    if (observer) observer->TreeAboutToBeReset();
    root.children.clear();
    for (std::string& path : paths) {
        bool hasChildren = HasChildren(path);
        root.children.push_back(std::unique_ptr<FolderNode>(
            new FolderNode(&root, root.ChildCount(), std::move(path), true, hasChildren, CheckState::Unchecked)));
    }
    if (observer) observer->TreeReset();
}

bool FolderTreeModel::HasChildren(const std::string& path) const {
    bool found = false;
    listing.List(path, [&](const ListedEntry& entry) {
        found = entry.isFolder || !entry.hidden;
        return !found;
    });
    return found;
}

void FolderTreeModel::Expand(FolderNode& node) {
    // A loaded folder keeps what it held when first opened; one that showed
    // nothing is looked at again.
    if (&node == &root || !node.isFolder || node.ChildCount() > 0) return;
    std::string path = ItemPath(node);
    std::vector<std::string> folders;
    std::vector<std::string> files;
    listing.List(path, [&](const ListedEntry& entry) {
        if (entry.isFolder)
            folders.emplace_back(entry.name);
        else if (!entry.hidden)
            files.emplace_back(entry.name);
        return true;
    });
    int count = int(folders.size() + files.size());
    if (count == 0) return;
    // A Linux directory lists its entries in hash order; people read them by name.
    std::sort(folders.begin(), folders.end());
    std::sort(files.begin(), files.end());

    std::string prefix = path.ends_with('/') ? path : path + '/';
    CheckState state = node.state == CheckState::Checked ? CheckState::Checked : CheckState::Unchecked;
    std::vector<std::unique_ptr<FolderNode>> children;
    children.reserve(size_t(count));
    for (std::string& name : folders) {
        bool hasChildren = HasChildren(prefix + name);
        children.push_back(std::unique_ptr<FolderNode>(
            new FolderNode(&node, int(children.size()), std::move(name), true, hasChildren, state)));
    }
    // A file has nothing to list: no expand button.
    for (std::string& name : files)
        children.push_back(std::unique_ptr<FolderNode>(
            new FolderNode(&node, int(children.size()), std::move(name), false, false, state)));

    if (observer) observer->ChildrenAboutToBeInserted(node, 0, count);
    node.children = std::move(children);
    if (observer) observer->ChildrenInserted(node, 0, count);
}

std::string FolderTreeModel::ItemPath(const FolderNode& node) {
    std::string path;
    for (const FolderNode* item = &node; item && item->parent; item = item->parent) {
        const std::string& text = item->text;
        if (text.ends_with('/'))
            path = text + path;
        else
            path = path.empty() ? text : text + '/' + path;
    }
    return path;
}

void FolderTreeModel::ToggleCheck(FolderNode& node) {
    if (&node == &root) return;
    SetCheckRecursive(node, node.state == CheckState::Unchecked ? CheckState::Checked : CheckState::Unchecked);
    UpdateAncestors(node);
}

void FolderTreeModel::SetCheckRecursive(FolderNode& node, CheckState state) {
    if (&node != &root) SetState(node, state);
    if (state != CheckState::PartlyChecked) SetChildrenRecursive(node, state);
}

void FolderTreeModel::SelectAll() { SetChildrenRecursive(root, CheckState::Checked); }

void FolderTreeModel::ClearAll() { SetChildrenRecursive(root, CheckState::Unchecked); }

std::vector<std::string> FolderTreeModel::CollectChecked() const {
    std::vector<std::string> paths;
    Collect(root, paths);
    return paths;
}

void FolderTreeModel::SetState(FolderNode& node, CheckState state) {
    if (node.state == state) return;
    node.state = state;
    if (observer) observer->CheckStatesChanged(*node.parent, node.row, node.row);
}

void FolderTreeModel::SetChildrenRecursive(FolderNode& parent, CheckState state) {
    // One notice per run of neighbouring children that changed.
    int runStart = -1;
    for (int row = 0; row <= parent.ChildCount(); ++row) {
        bool changes = row < parent.ChildCount() && parent.Child(row).state != state;
        if (changes) {
            parent.Child(row).state = state;
            if (runStart < 0) runStart = row;
        } else if (runStart >= 0) {
            if (observer) observer->CheckStatesChanged(parent, runStart, row - 1);
            runStart = -1;
        }
    }
    for (auto& child : parent.children)
        if (!child->children.empty()) SetChildrenRecursive(*child, state);
}

void FolderTreeModel::UpdateAncestors(FolderNode& node) {
    // An ancestor's state depends only on its children's, so once one stays as
    // it was, none above can change. Loaded descendants of an ancestor that
    // becomes ticked or cleared already are so: every child is.
    for (FolderNode* ancestor = node.parent; ancestor && ancestor != &root; ancestor = ancestor->parent) {
        CheckState state = StateFromChildren(*ancestor);
        if (state == ancestor->state) break;
        SetState(*ancestor, state);
    }
}

void FolderTreeModel::Collect(const FolderNode& parent, std::vector<std::string>& paths) const {
    for (const auto& child : parent.children) {
        if (child->state == CheckState::Checked)
            paths.push_back(ItemPath(*child));
        else if (child->state == CheckState::PartlyChecked)
            Collect(*child, paths);
    }
}

}  // namespace twinseek
