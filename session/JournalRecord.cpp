#include "session/JournalRecord.h"

#include "catalog/JsonText.h"

#include <charconv>

namespace twinseek {

JournalRecord& JournalRecord::Text(std::string_view key, std::string_view value) {
    fields.emplace_back(std::string(key), std::string(value));
    return *this;
}

JournalRecord& JournalRecord::Number(std::string_view key, int64_t value) {
    fields.emplace_back(std::string(key), value);
    return *this;
}

const JournalRecord::Value* JournalRecord::Find(std::string_view key) const {
    for (const auto& [name, value] : fields)
        if (name == key) return &value;
    return nullptr;
}

std::optional<std::string> JournalRecord::TextOf(std::string_view key) const {
    const Value* value = Find(key);
    if (!value || !std::holds_alternative<std::string>(*value)) return std::nullopt;
    return std::get<std::string>(*value);
}

std::optional<int64_t> JournalRecord::NumberOf(std::string_view key) const {
    const Value* value = Find(key);
    if (!value || !std::holds_alternative<int64_t>(*value)) return std::nullopt;
    return std::get<int64_t>(*value);
}

std::string JournalRecord::Line() const {
    std::string line = "{";
    for (const auto& [name, value] : fields) {
        if (line.size() > 1) line += ", ";
        AppendJsonString(line, name);
        line += ": ";
        if (std::holds_alternative<std::string>(value))
            AppendJsonString(line, std::get<std::string>(value));
        else
            line += std::to_string(std::get<int64_t>(value));
    }
    return line + "}\n";
}

namespace {

// Reads JSON text from a line, one token at a time.
class Reader {
public:
    explicit Reader(std::string_view text) : text(text) {}

    void SkipSpace() {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\n' || text[at] == '\r')) ++at;
    }
    bool Take(char c) {
        SkipSpace();
        if (at >= text.size() || text[at] != c) return false;
        ++at;
        return true;
    }
    bool AtEnd() {
        SkipSpace();
        return at == text.size();
    }
    bool PeekString() {
        SkipSpace();
        return at < text.size() && text[at] == '"';
    }

    std::optional<std::string> String() {
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

    std::optional<int64_t> Number() {
        SkipSpace();
        int64_t value = 0;
        const auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), value);
        if (error != std::errc() || end == text.data() + at) return std::nullopt;
        at = size_t(end - text.data());
        return value;
    }

private:
    std::optional<uint32_t> Hex4() {
        if (at + 4 > text.size()) return std::nullopt;
        uint32_t code = 0;
        const auto [end, error] = std::from_chars(text.data() + at, text.data() + at + 4, code, 16);
        if (error != std::errc() || end != text.data() + at + 4) return std::nullopt;
        at += 4;
        return code;
    }
    // A \u escape: a byte that was not UTF-8 (\udc80 to \udcff), a surrogate pair, or one character.
    bool Unicode(std::string& bytes) {
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
    static void AppendUtf8(std::string& bytes, uint32_t code) {
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

    std::string_view text;
    size_t at = 0;
};

}  // namespace

std::optional<JournalRecord> JournalRecord::Parse(std::string_view line) {
    Reader reader(line);
    JournalRecord record;
    if (!reader.Take('{')) return std::nullopt;
    if (reader.Take('}')) return reader.AtEnd() ? std::optional(record) : std::nullopt;
    do {
        std::optional<std::string> key = reader.String();
        if (!key || !reader.Take(':')) return std::nullopt;
        if (reader.PeekString()) {
            std::optional<std::string> value = reader.String();
            if (!value) return std::nullopt;
            record.Text(*key, *value);
        } else {
            std::optional<int64_t> value = reader.Number();
            if (!value) return std::nullopt;
            record.Number(*key, *value);
        }
    } while (reader.Take(','));
    if (!reader.Take('}') || !reader.AtEnd()) return std::nullopt;
    return record;
}

}  // namespace twinseek
