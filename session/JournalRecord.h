// One line of the cleanup journal: a flat JSON object of text and whole-number
// fields. Texts are bytes: those that are not UTF-8 travel as the escapes
// \udc80 to \udcff and come back as the same bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace twinseek {

class JournalRecord {
public:
    JournalRecord& Text(std::string_view key, std::string_view value);
    JournalRecord& Number(std::string_view key, int64_t value);

    std::optional<std::string> TextOf(std::string_view key) const;
    std::optional<int64_t> NumberOf(std::string_view key) const;

    // The object on one line, ending in '\n'.
    std::string Line() const;
    // Reads a line Line() wrote (or any flat JSON object of strings and whole
    // numbers); none when it is not one.
    static std::optional<JournalRecord> Parse(std::string_view line);

private:
    using Value = std::variant<std::string, int64_t>;
    const Value* Find(std::string_view key) const;

    std::vector<std::pair<std::string, Value>> fields;
};

}  // namespace twinseek
