// What the compare engine asks of the windows around it: which file list its
// row colours belong to, repaints, and showing a collected duplicate in its group.
#pragma once

#include "catalog/FileItem.h"

#include <cstddef>
#include <cstdint>

namespace twinseek {

// Lists the engine asks to repaint, combined as bits.
enum RepaintList : uint32_t {
    kRepaintComparingList = 1,
    kRepaintFinishedList = 2,
    kRepaintFileList = 4,
    kRepaintResultFileList = 8,
};

class CompareView {
public:
    virtual ~CompareView() = default;
    // The files view's file list, whose row text colours the engine sets.
    virtual ListId FileListId() const = 0;
    // Repaint every list whose bit is set in lists.
    virtual void Repaint(uint32_t lists) = 0;
    // The file has just been collected and its key now holds count (2 or more)
    // files: show it in its group, creating the group when count is 2.
    virtual void ShowInGroup(FileItem* item, size_t count) = 0;
};

// A view that shows nothing, for running the engine without windows.
class NullCompareView final : public CompareView {
public:
    ListId FileListId() const override { return this; }
    void Repaint(uint32_t) override {}
    void ShowInGroup(FileItem*, size_t) override {}
};

}  // namespace twinseek
