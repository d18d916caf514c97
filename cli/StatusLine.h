// One line of progress on standard error, rewritten in place, shown only when
// standard error is a terminal.
#pragma once

#include <string>

namespace twinseek {

class StatusLine {
public:
    StatusLine();
    bool Enabled() const { return enabled; }
    // Replaces the line with text (no-op when disabled).
    void Show(const std::string& text);
    // Erases the line so that the next output starts clean.
    void Clear();

private:
    bool enabled;
    size_t shownLength = 0;
};

}  // namespace twinseek
