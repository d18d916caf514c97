// Space over several selected rows of a list with tick boxes: every row takes
// the opposite of the focused row's tick, so one key ticks them all or clears
// them all.
#pragma once

#include <cstddef>
#include <span>

namespace twinseek {

struct RowSpan {
    size_t first;
    size_t count;
};

// List has IsTicked(row) and SetTicked(row, ticked), and may set a span of
// rows at once with SetTickedRows(first, count, ticked).
template <typename List>
void ToggleTicks(List& list, std::span<const RowSpan> spans, size_t focusedRow) {
    const bool tick = !list.IsTicked(focusedRow);
    for (const RowSpan& span : spans) {
        if constexpr (requires { list.SetTickedRows(span.first, span.count, tick); }) {
            list.SetTickedRows(span.first, span.count, tick);
        } else {
            for (size_t row = span.first; row < span.first + span.count; ++row) list.SetTicked(row, tick);
        }
    }
}

}  // namespace twinseek
