// Told when the rows of a list model change, so that a table model can follow
// by rows instead of resetting. Each change is told before it is made and once
// it is made; changed cells are told afterwards.
#pragma once

#include <cstddef>

namespace twinseek {

class RowObserver {
public:
    virtual ~RowObserver() = default;
    // count rows are about to be put in at first (rows from first move down), and have been.
    virtual void RowsAboutToBeInserted(size_t first, size_t count) = 0;
    virtual void RowsInserted() = 0;
    // Rows first to first + count - 1 are about to go, and have gone.
    virtual void RowsAboutToBeRemoved(size_t first, size_t count) = 0;
    virtual void RowsRemoved() = 0;
    // The texts, ticks or colours of rows first to first + count - 1 have changed.
    virtual void RowsChanged(size_t first, size_t count) = 0;
    // Every row is about to be replaced (emptied or built afresh), and has been.
    virtual void AboutToReset() = 0;
    virtual void ResetDone() = 0;
};

}  // namespace twinseek
