// Number-to-text formatting shared by every view: sizes, rates, percentages,
// durations, file dates and duplicate keys. Each routine writes single-byte text
// into a caller buffer, never allocates and never fails; short buffers truncate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/FindData.h"

namespace twinseek {

// Large enough for every size, rate, percent, duration and size label below.
constexpr size_t kFormatBufferSize = 32;
// Date and time of a file: two 32-byte parts joined by one blank.
constexpr size_t kFileDateBufferSize = 64;
// Size in decimal (up to 20 digits) followed by a digest text (up to 32 chars).
constexpr size_t kDuplicateKeyBufferSize = 64;

// Every routine writes at most outSize bytes including the terminating zero;
// text that does not fit is cut short, and nothing is written when outSize is 0.

// Size with a binary unit letter and one truncated decimal: bytes up to 1024
// print as "N " (number, blank); larger values are divided by 1024 until at most
// 1024 remain and print as "N.D K", "N.D M", "N.D G" or "N.D T". Beyond 1024 T
// the ladder continues with "N.D P" and "N.D E", so 2^50 + 1 is "1.0 P" and
// UINT64_MAX is "16.0 E". Nothing is rounded: 1999 is "1.9 K".
void FormatSize(uint64_t bytes, char* out, size_t outSize);

// FormatSize followed by "B": "1024.0 KB", "0 B".
void FormatSizeWithUnit(uint64_t bytes, char* out, size_t outSize);

// Label of a size group: "1.5 KB [3 Files]".
void FormatSizeNodeLabel(uint64_t bytes, uint32_t fileCount, char* out, size_t outSize);

// Transfer rate as FormatSize of bytes per second followed by "B/S". The rate is
// bytes * 1000 / millis in unsigned 64-bit arithmetic (the product wraps for
// byte counts above 2^64 / 1000); a zero millis counts as 6.
void FormatRate(uint64_t bytes, uint32_t millis, char* out, size_t outSize);

// part * 100 / whole, truncated, as "N%"; a zero whole counts as done: "100%".
// The product wraps in 64 bits and only the low 32 bits of the result print.
void FormatPercent(uint64_t part, uint64_t whole, char* out, size_t outSize);

// Elapsed or remaining time as "HH:MM:SS"; hours do not wrap at 24.
void FormatDuration(uint32_t millis, char* out, size_t outSize);

// Time still needed when done of total units took elapsed milliseconds:
// elapsed * (total / done - 1) in double, truncated toward zero to a signed
// 64-bit value (saturating at its limits), of which the low 32 bits are returned.
// So a done beyond total yields the low bits of a negative number. No value
// while nothing is done.
std::optional<uint32_t> RemainingMillis(uint32_t elapsed, uint64_t done, uint64_t total);

// Local date and time of a file as "<date> <time>", using the current time zone
// and the LC_TIME conventions of the current C locale ("%x" and "%X"). A time the
// C library cannot convert leaves an empty text.
void FormatFileDate(FileTime lastWrite, char* out, size_t outSize);

// Key that groups duplicates: the size in plain decimal immediately followed by
// the digest text, e.g. "1536" followed by 32 base32 characters.
void MakeDuplicateKey(uint64_t size, const char* digestText, char* out, size_t outSize);

// A zero-terminated text held by value, for callers that want a result rather
// than a buffer to fill.
template <size_t N>
struct FixedText {
    char text[N] = {};
    const char* CStr() const { return text; }
};

using FormatText = FixedText<kFormatBufferSize>;
using FileDateText = FixedText<kFileDateBufferSize>;
using DuplicateKeyText = FixedText<kDuplicateKeyBufferSize>;

FormatText FormatSize(uint64_t bytes);
FormatText FormatSizeWithUnit(uint64_t bytes);
FormatText FormatSizeNodeLabel(uint64_t bytes, uint32_t fileCount);
FormatText FormatRate(uint64_t bytes, uint32_t millis);
FormatText FormatPercent(uint64_t part, uint64_t whole);
FormatText FormatDuration(uint32_t millis);
FileDateText FormatFileDate(FileTime lastWrite);
DuplicateKeyText MakeDuplicateKey(uint64_t size, const char* digestText);

}  // namespace twinseek
