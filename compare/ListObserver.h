// Told when the rows of a Comparing or Finished list change, so that a table
// model can update by rows instead of resetting. Appends are told after the
// fact (earlier rows keep their numbers); removals before and after.
#pragma once

#include <cstddef>

namespace twinseek {

class ListObserver {
public:
    virtual ~ListObserver() = default;
    // count rows were added at the end.
    virtual void RowsAppended(size_t count) = 0;
    // The first count rows are about to go, and have gone.
    virtual void HeadRowsAboutToBeRemoved(size_t count) = 0;
    virtual void HeadRowsRemoved() = 0;
    // Every row is about to go, and has gone.
    virtual void AllRowsAboutToBeRemoved() = 0;
    virtual void AllRowsRemoved() = 0;
};

}  // namespace twinseek
