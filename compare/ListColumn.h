// A column of a list control: its header text, its width in pixels, the
// widest texts it must show whole and where a text too long for it is cut.
#pragma once

#include "catalog/WidestTexts.h"

#include <algorithm>
#include <string_view>

namespace twinseek {

enum class TextCut {
    End,     // "holiday photos of 20…"
    Middle,  // "/home/ann/…/2019/summer", where both ends of a path tell most
};

struct ListColumn {
    std::string_view header;
    // The least width, in pixels; the column is wider where its header or its
    // widest text needs more in the desktop's font.
    int width;
    // The texts that must fit, or none where texts have no widest (names).
    TextList (*widestTexts)() = nullptr;
    TextCut cut = TextCut::End;
};

// The width a column or pane is given: its own, or what its widest text needs.
constexpr int FittedWidth(int least, int needed) { return std::max(least, needed); }

}  // namespace twinseek
