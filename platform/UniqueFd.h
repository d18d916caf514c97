// An open file descriptor with one owner, closed when the owner goes.
#pragma once

#include <cerrno>
#include <unistd.h>
#include <utility>

namespace twinseek {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int descriptor) : descriptor(descriptor) {}
    UniqueFd(UniqueFd&& other) noexcept : descriptor(std::exchange(other.descriptor, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.descriptor, -1));
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { Reset(); }

    int Get() const { return descriptor; }
    bool IsOpen() const { return descriptor >= 0; }
    // Gives the descriptor up to the caller, who closes it.
    int Release() { return std::exchange(descriptor, -1); }
    void Reset(int replacement = -1) {
        if (descriptor >= 0) close(descriptor);
        descriptor = replacement;
    }
    // Closes now; 0, or the errno of a failed close (a late write error on
    // some file systems).
    int Close() {
        const int result = descriptor >= 0 && close(descriptor) != 0 ? errno : 0;
        descriptor = -1;
        return result;
    }

private:
    int descriptor = -1;
};

}  // namespace twinseek
