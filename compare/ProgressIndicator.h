// The status-bar progress shown while a long operation runs on the user
// interface thread: started with a text and a number of steps, stepped once
// per item, then ended.
#pragma once

#include <cstdint>
#include <string_view>

namespace twinseek {

class ProgressIndicator {
public:
    virtual ~ProgressIndicator() = default;
    virtual void ProgressStart(std::string_view text, int32_t range) = 0;
    virtual void ProgressStep() = 0;
    virtual void ProgressEnd() = 0;
};

// A progress that shows nothing, for running without a status bar.
class NullProgressIndicator final : public ProgressIndicator {
public:
    void ProgressStart(std::string_view, int32_t) override {}
    void ProgressStep() override {}
    void ProgressEnd() override {}
};

}  // namespace twinseek
