// Change notices of the folder tree model, by rows under a parent node, so that
// a view's tree model can follow it.
#pragma once

namespace twinseek {

class FolderNode;

// Rows are positions among the parent's children; the invisible root node
// stands for the top level. All calls come from the thread that drives the model.
class FolderTreeObserver {
public:
    virtual ~FolderTreeObserver() = default;
    // Around replacing every item by the drive list.
    virtual void TreeAboutToBeReset() = 0;
    virtual void TreeReset() = 0;
    // Around appending count children to parent at rows first...first+count-1.
    virtual void ChildrenAboutToBeInserted(const FolderNode& parent, int first, int count) = 0;
    virtual void ChildrenInserted(const FolderNode& parent, int first, int count) = 0;
    // After the check state of the children of parent at rows first..last changed.
    virtual void CheckStatesChanged(const FolderNode& parent, int first, int last) = 0;
};

}  // namespace twinseek
