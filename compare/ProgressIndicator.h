// Progress of a long piece of work (loading, saving, comparing) as whoever
// shows it sees it: a text and a range, then one step per unit done.
#pragma once

#include <cstdint>

namespace twinseek {

class ProgressIndicator {
public:
    virtual ~ProgressIndicator() = default;
    virtual void ProgressStart(const char* text, int32_t range) = 0;
    virtual void ProgressStep() = 0;
    virtual void ProgressEnd() = 0;
};

// Progress that nobody watches.
class NullProgress : public ProgressIndicator {
public:
    void ProgressStart(const char*, int32_t) override {}
    void ProgressStep() override {}
    void ProgressEnd() override {}
};

}  // namespace twinseek
