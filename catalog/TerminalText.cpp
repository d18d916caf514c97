#include "catalog/TerminalText.h"

#include "catalog/Utf8Sequence.h"

#include <cstdint>

namespace twinseek {

namespace {

void AppendOctal(std::string& out, uint8_t byte) {
    out += '\\';
    out += char('0' + (byte >> 6));
    out += char('0' + ((byte >> 3) & 7));
    out += char('0' + (byte & 7));
}

// The C escape of a control character, or 0 when it has none.
char NamedEscape(uint8_t byte) {
    switch (byte) {
    case '\a': return 'a';
    case '\b': return 'b';
    case '\t': return 't';
    case '\n': return 'n';
    case '\v': return 'v';
    case '\f': return 'f';
    case '\r': return 'r';
    default: return 0;
    }
}

}  // namespace

void AppendTerminalText(std::string& out, std::string_view text) {
    const auto plain = [](uint8_t byte) { return byte >= 0x20 && byte < 0x7F && byte != '\\'; };
    while (!text.empty()) {
        // A run of printable ASCII goes in at once.
        size_t run = 0;
        while (run < text.size() && plain(uint8_t(text[run]))) ++run;
        out.append(text.substr(0, run));
        text.remove_prefix(run);
        if (text.empty()) break;
        const uint8_t byte = uint8_t(text[0]);
        size_t length = byte < 0x80 ? 1 : Utf8SequenceLength(text);
        // U+0080 to U+009F: controls some terminals act on even in UTF-8.
        const bool c1Control = length == 2 && byte == 0xC2 && uint8_t(text[1]) < 0xA0;
        if (byte == '\\') {
            out += "\\\\";
        } else if (char named = NamedEscape(byte)) {
            out += '\\';
            out += named;
        } else if (byte < 0x80 || length == 0 || c1Control) {
            if (length == 0) length = 1;
            for (size_t i = 0; i < length; ++i) AppendOctal(out, uint8_t(text[i]));
        } else {
            out.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
}

std::string TerminalText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    AppendTerminalText(out, text);
    return out;
}

}  // namespace twinseek
