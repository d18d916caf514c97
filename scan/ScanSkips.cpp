#include "scan/ScanSkips.h"

namespace twinseek {

void ScanSkips::Add(SkipCause cause, std::string_view path) {
    Tally& tally = causes[size_t(cause)];
    ++tally.count;
    if (tally.examples.size() < kExamplesKept) tally.examples.emplace_back(path);
}

uint64_t ScanSkips::Total() const {
    uint64_t total = 0;
    for (const Tally& tally : causes) total += tally.count;
    return total;
}

}  // namespace twinseek
