// A column of a list control: its header text and initial width in pixels.
#pragma once

#include <string_view>

namespace twinseek {

struct ListColumn {
    std::string_view header;
    int width;
};

}  // namespace twinseek
