// What a scan passed over, by cause: how many entries and the paths of the
// first few, so that a partial listing never passes for a whole one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace twinseek {

enum class SkipCause {
    Unlistable,        // a folder that could not be listed, or only in part
    PathTooLong,       // an entry whose full path would reach PATH_MAX
    LineBreak,         // a name holding a line feed or carriage return
    PseudoFileSystem,  // a folder on a kernel file system that holds no user files
    EnteredBefore,     // a folder already entered through another path (a bind mount)
};
constexpr size_t kSkipCauseCount = 5;

class ScanSkips {
public:
    // Paths kept per cause; the rest are only counted.
    static constexpr size_t kExamplesKept = 3;

    void Add(SkipCause cause, std::string_view path);
    uint64_t Count(SkipCause cause) const { return causes[size_t(cause)].count; }
    const std::vector<std::string>& Examples(SkipCause cause) const { return causes[size_t(cause)].examples; }
    uint64_t Total() const;

private:
    struct Tally {
        uint64_t count = 0;
        std::vector<std::string> examples;
    };
    std::array<Tally, kSkipCauseCount> causes;
};

}  // namespace twinseek
