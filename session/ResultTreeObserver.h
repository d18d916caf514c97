// Told when the result view's group tree changes, so that a tree model can
// follow node by node. Nodes are plain ids (see ResultModel).
#pragma once

#include <cstddef>
#include <cstdint>

namespace twinseek {

using ResultNode = uint32_t;

class ResultTreeObserver {
public:
    virtual ~ResultTreeObserver() = default;
    // A group node is about to be put at position among parent's children, and has been.
    virtual void GroupNodeAboutToBeAdded(ResultNode parent, size_t position) = 0;
    virtual void GroupNodeAdded() = 0;
    // The label of node has changed.
    virtual void NodeChanged(ResultNode node) = 0;
    // Every group node is about to be replaced (removed or built afresh), and has been.
    virtual void TreeAboutToBeReset() = 0;
    virtual void TreeReset() = 0;
};

}  // namespace twinseek
