#include "catalog/TextFormat.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <iterator>
#include <limits>

namespace twinseek {

namespace {

// Unit letters after the first division by 1024; 2^64 ends at 16 E.
constexpr char kSizeUnits[] = {'K', 'M', 'G', 'T', 'P', 'E'};
constexpr double kOneOver1024 = 0.0009765625;

// A zero-duration transfer is treated as having taken this many milliseconds.
constexpr uint32_t kShortestRateMillis = 6;

constexpr uint64_t kFileTimeUnitsPerSecond = 10000000;
constexpr int64_t kSecondsFrom1601To1970 = 11644473600LL;
// strftime parts are each limited to this size, terminating zero included.
constexpr size_t kDatePartBufferSize = 32;

void ClearText(char* out, size_t outSize) {
    if (outSize > 0) out[0] = '\0';
}

// Truncates toward zero into int64, saturating at its limits; NaN counts as 0.
int64_t TruncateToInt64(double value) {
    constexpr double kTwoTo63 = 9223372036854775808.0;
    if (std::isnan(value)) return 0;
    if (value >= kTwoTo63) return std::numeric_limits<int64_t>::max();
    if (value < -kTwoTo63) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(value);
}

// strftime into buffer, leaving it empty when the text does not fit.
void FormatTimePart(const char* format, const struct tm& local, char (&buffer)[kDatePartBufferSize]) {
    if (std::strftime(buffer, sizeof buffer, format, &local) == 0) buffer[0] = '\0';
}

}  // namespace

void FormatSize(uint64_t bytes, char* out, size_t outSize) {
    double value = static_cast<double>(bytes);
    size_t unit = 0;
    while (value > 1024.0 && unit < std::size(kSizeUnits)) {
        ++unit;
        value *= kOneOver1024;
    }
    double whole = std::trunc(value);
    unsigned wholePart = static_cast<unsigned>(whole);
    if (unit == 0) {
        std::snprintf(out, outSize, "%u ", wholePart);
        return;
    }
    unsigned tenths = static_cast<unsigned>(std::trunc((value - whole) * 10.0));
    std::snprintf(out, outSize, "%u.%u %c", wholePart, tenths, kSizeUnits[unit - 1]);
}

void FormatSizeWithUnit(uint64_t bytes, char* out, size_t outSize) {
    FormatText size = FormatSize(bytes);
    std::snprintf(out, outSize, "%sB", size.text);
}

void FormatSizeNodeLabel(uint64_t bytes, uint32_t fileCount, char* out, size_t outSize) {
    FormatText size = FormatSize(bytes);
    std::snprintf(out, outSize, "%sB [%u Files]", size.text, static_cast<unsigned>(fileCount));
}

void FormatRate(uint64_t bytes, uint32_t millis, char* out, size_t outSize) {
    if (millis == 0) millis = kShortestRateMillis;
    uint64_t bytesPerSecond = bytes * 1000 / millis;
    FormatText size = FormatSize(bytesPerSecond);
    std::snprintf(out, outSize, "%sB/S", size.text);
}

void FormatPercent(uint64_t part, uint64_t whole, char* out, size_t outSize) {
    uint64_t percent = whole == 0 ? 100 : part * 100 / whole;
    std::snprintf(out, outSize, "%u%%", static_cast<unsigned>(static_cast<uint32_t>(percent)));
}

void FormatDuration(uint32_t millis, char* out, size_t outSize) {
    long seconds = static_cast<long>(millis / 1000);
    long minutes = seconds / 60;
    long hours = minutes / 60;
    std::snprintf(out, outSize, "%02ld:%02ld:%02ld", hours, minutes % 60, seconds % 60);
}

std::optional<uint32_t> RemainingMillis(uint32_t elapsed, uint64_t done, uint64_t total) {
    if (done == 0) return std::nullopt;
    double remaining =
        static_cast<double>(elapsed) * (static_cast<double>(total) / static_cast<double>(done) - 1.0);
    return static_cast<uint32_t>(static_cast<uint64_t>(TruncateToInt64(remaining)));
}

void FormatFileDate(FileTime lastWrite, char* out, size_t outSize) {
    // Whole seconds first, so times before 1970 round down like the later ones.
    int64_t unixSeconds =
        static_cast<int64_t>(lastWrite.Value() / kFileTimeUnitsPerSecond) - kSecondsFrom1601To1970;
    if (unixSeconds < std::numeric_limits<time_t>::min() ||
        unixSeconds > std::numeric_limits<time_t>::max()) {
        ClearText(out, outSize);
        return;
    }
    time_t time = static_cast<time_t>(unixSeconds);
    struct tm local {};
    if (localtime_r(&time, &local) == nullptr) {
        ClearText(out, outSize);
        return;
    }
    char date[kDatePartBufferSize];
    char clock[kDatePartBufferSize];
    FormatTimePart("%x", local, date);
    FormatTimePart("%X", local, clock);
    std::snprintf(out, outSize, "%s %s", date, clock);
}

void MakeDuplicateKey(uint64_t size, const char* digestText, char* out, size_t outSize) {
    std::snprintf(out, outSize, "%llu%s", static_cast<unsigned long long>(size),
                  digestText ? digestText : "");
}

FormatText FormatSize(uint64_t bytes) {
    FormatText result;
    FormatSize(bytes, result.text, sizeof result.text);
    return result;
}

FormatText FormatSizeWithUnit(uint64_t bytes) {
    FormatText result;
    FormatSizeWithUnit(bytes, result.text, sizeof result.text);
    return result;
}

FormatText FormatSizeNodeLabel(uint64_t bytes, uint32_t fileCount) {
    FormatText result;
    FormatSizeNodeLabel(bytes, fileCount, result.text, sizeof result.text);
    return result;
}

FormatText FormatRate(uint64_t bytes, uint32_t millis) {
    FormatText result;
    FormatRate(bytes, millis, result.text, sizeof result.text);
    return result;
}

FormatText FormatPercent(uint64_t part, uint64_t whole) {
    FormatText result;
    FormatPercent(part, whole, result.text, sizeof result.text);
    return result;
}

FormatText FormatDuration(uint32_t millis) {
    FormatText result;
    FormatDuration(millis, result.text, sizeof result.text);
    return result;
}

FileDateText FormatFileDate(FileTime lastWrite) {
    FileDateText result;
    FormatFileDate(lastWrite, result.text, sizeof result.text);
    return result;
}

DuplicateKeyText MakeDuplicateKey(uint64_t size, const char* digestText) {
    DuplicateKeyText result;
    MakeDuplicateKey(size, digestText, result.text, sizeof result.text);
    return result;
}

}  // namespace twinseek
