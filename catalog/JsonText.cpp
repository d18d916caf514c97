#include "catalog/JsonText.h"

#include "catalog/Utf8Sequence.h"

#include <cstdint>
#include <cstdio>

namespace twinseek {

namespace {

void AppendEscape(std::string& out, unsigned code) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", code);
    out += escape;
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
