// Tells well-formed UTF-8 from other bytes in file names, which are bytes on
// Linux and need not be UTF-8 at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace twinseek {

// Length of the well-formed UTF-8 sequence at the start of text (1 for an
// ASCII byte), or 0 when it does not start with one.
inline size_t Utf8SequenceLength(std::string_view text) {
    if (text.empty()) return 0;
    auto byte = [&](size_t i) { return uint8_t(text[i]); };
    uint8_t lead = byte(0);
    size_t length;
    uint32_t minimum;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2, minimum = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3, minimum = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4, minimum = 0x10000;
    else return 0;
    if (text.size() < length) return 0;
    uint32_t code = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i) & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

}  // namespace twinseek
