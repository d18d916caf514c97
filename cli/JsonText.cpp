#include "cli/JsonText.h"

#include <cstdint>
#include <cstdio>

namespace twinseek {

namespace {

void AppendEscape(std::string& out, unsigned code) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", code);
    out += escape;
}

// Length of the well-formed UTF-8 sequence at the start of text, or 0.
size_t Utf8SequenceLength(std::string_view text) {
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

// Printable ASCII other than the quote and the backslash goes out as it is.
bool IsPlain(uint8_t c) { return c >= 0x20 && c < 0x7F && c != '"' && c != '\\'; }

}  // namespace

void AppendJsonString(std::string& out, std::string_view bytes) {
    out += '"';
    while (!bytes.empty()) {
        size_t plain = 0;
        while (plain < bytes.size() && IsPlain(uint8_t(bytes[plain]))) ++plain;
        if (plain != 0) {
            out.append(bytes.substr(0, plain));
            bytes.remove_prefix(plain);
            continue;
        }
        uint8_t c = uint8_t(bytes[0]);
        size_t length = Utf8SequenceLength(bytes);
        if (length == 0) {
            AppendEscape(out, 0xDC00 | c);
            length = 1;
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            AppendEscape(out, c);
        } else {
            out.append(bytes.substr(0, length));
        }
        bytes.remove_prefix(length);
    }
    out += '"';
}

}  // namespace twinseek
