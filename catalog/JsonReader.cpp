#include "catalog/JsonReader.h"

#include <charconv>

namespace twinseek {

namespace {

void AppendUtf8(std::string& bytes, uint32_t code) {
    if (code < 0x80) {
        bytes += char(code);
    } else if (code < 0x800) {
        bytes += char(0xC0 | (code >> 6));
        bytes += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        bytes += char(0xE0 | (code >> 12));
        bytes += char(0x80 | ((code >> 6) & 0x3F));
        bytes += char(0x80 | (code & 0x3F));
    } else {
        bytes += char(0xF0 | (code >> 18));
        bytes += char(0x80 | ((code >> 12) & 0x3F));
        bytes += char(0x80 | ((code >> 6) & 0x3F));
        bytes += char(0x80 | (code & 0x3F));
    }
}

}  // namespace

void JsonReader::SkipSpace() {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\n' || text[at] == '\r')) ++at;
}

bool JsonReader::Take(char c) {
    SkipSpace();
    if (at >= text.size() || text[at] != c) return false;
    ++at;
    return true;
}

bool JsonReader::AtEnd() {
    SkipSpace();
    return at == text.size();
}

bool JsonReader::PeekString() {
    SkipSpace();
    return at < text.size() && text[at] == '"';
}

std::optional<std::string> JsonReader::String() {
    if (!Take('"')) return std::nullopt;
    std::string bytes;
    while (at < text.size()) {
        const char c = text[at++];
        if (c == '"') return bytes;
        if (c != '\\') {
            bytes += c;
            continue;
        }
        if (at >= text.size()) return std::nullopt;
        const char escape = text[at++];
        switch (escape) {
        case '"': case '\\': case '/': bytes += escape; break;
        case 'b': bytes += '\b'; break;
        case 'f': bytes += '\f'; break;
        case 'n': bytes += '\n'; break;
        case 'r': bytes += '\r'; break;
        case 't': bytes += '\t'; break;
        case 'u':
            if (!Unicode(bytes)) return std::nullopt;
            break;
        default: return std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<int64_t> JsonReader::Number() {
    SkipSpace();
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), value);
    if (error != std::errc() || end == text.data() + at) return std::nullopt;
    at = size_t(end - text.data());
    return value;
}

bool JsonReader::TakeWord(std::string_view word) {
    SkipSpace();
    if (text.substr(at, word.size()) != word) return false;
    at += word.size();
    return true;
}

std::optional<bool> JsonReader::Boolean() {
    if (TakeWord("true")) return true;
    if (TakeWord("false")) return false;
    return std::nullopt;
}

bool JsonReader::SkipValue() {
    if (PeekString()) return String().has_value();
    if (Boolean() || TakeWord("null")) return true;
    for (const auto& [open, close] : {std::pair{'[', ']'}, std::pair{'{', '}'}}) {
        if (!Take(open)) continue;
        if (Take(close)) return true;
        do {
            if (open == '{' && !(String() && Take(':'))) return false;
            if (!SkipValue()) return false;
        } while (Take(','));
        return Take(close);
    }
    // A number, fraction and exponent included.
    SkipSpace();
    const size_t start = at;
    while (at < text.size() && std::string_view("+-0123456789.eE").find(text[at]) != std::string_view::npos) ++at;
    return at > start;
}

std::optional<uint32_t> JsonReader::Hex4() {
    if (at + 4 > text.size()) return std::nullopt;
    uint32_t code = 0;
    const auto [end, error] = std::from_chars(text.data() + at, text.data() + at + 4, code, 16);
    if (error != std::errc() || end != text.data() + at + 4) return std::nullopt;
    at += 4;
    return code;
}

// A \u escape: a byte that was not UTF-8 (\udc80 to \udcff), a surrogate pair, or one character.
bool JsonReader::Unicode(std::string& bytes) {
    std::optional<uint32_t> code = Hex4();
    if (!code) return false;
    if (*code >= 0xDC80 && *code <= 0xDCFF) {
        bytes += char(*code & 0xFF);
        return true;
    }
    if (*code >= 0xD800 && *code <= 0xDBFF) {
        if (at + 2 > text.size() || text[at] != '\\' || text[at + 1] != 'u') return false;
        at += 2;
        std::optional<uint32_t> low = Hex4();
        if (!low || *low < 0xDC00 || *low > 0xDFFF) return false;
        *code = 0x10000 + ((*code - 0xD800) << 10) + (*low - 0xDC00);
    } else if (*code >= 0xDC00 && *code <= 0xDFFF) {
        return false;
    }
    AppendUtf8(bytes, *code);
    return true;
}

}  // namespace twinseek
