// The widest texts each kind of formatted value can take. A column or pane is
// given a width in pixels measured for another system's font; in the desktop's
// font it grows until the widest of these fits.
#pragma once

#include <string>
#include <vector>

namespace twinseek {

using TextList = std::vector<std::string>;

// FormatSize at the top of each unit, "1024 " to "1023.9 P" and "16.0 E".
TextList WidestSizeTexts();
// The same with "B": "1024 B" to "16.0 EB".
TextList WidestSizeWithUnitTexts();
// FormatRate at the top of each unit, "1023.9 KB/S" and the like.
TextList WidestRateTexts();
// "100%".
TextList WidestPercentTexts();
// FormatDuration of the longest time it can show, and of hours in two figures.
TextList WidestDurationTexts();
// FormatFileDate in the current locale, of a day late in each month at every
// hour, so that month names and both halves of a twelve-hour clock are met.
TextList WidestFileDateTexts();

}  // namespace twinseek
