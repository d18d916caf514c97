#include "session/JournalRecord.h"

#include "catalog/JsonReader.h"
#include "catalog/JsonText.h"

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

std::optional<JournalRecord> JournalRecord::Parse(std::string_view line) {
    JsonReader reader(line);
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
