// Reads JSON text a token at a time, strings as bytes: the escapes \udc80 to
// \udcff that AppendJsonString writes for bytes that are not UTF-8 come back
// as those bytes. Enough for the program's own journal and plans: objects,
// arrays, strings, whole numbers, true, false and null.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace twinseek {

class JsonReader {
public:
    explicit JsonReader(std::string_view text) : text(text) {}

    // Takes c after any white space; false (nothing taken) when c is not next.
    bool Take(char c);
    bool AtEnd();
    bool PeekString();
    std::optional<std::string> String();
    std::optional<int64_t> Number();
    std::optional<bool> Boolean();
    // Passes over one value of any kind; false when there is none.
    bool SkipValue();
    // How far the reading has come, for messages.
    size_t Offset() const { return at; }

private:
    void SkipSpace();
    bool TakeWord(std::string_view word);
    std::optional<uint32_t> Hex4();
    bool Unicode(std::string& bytes);

    std::string_view text;
    size_t at = 0;
};

}  // namespace twinseek
