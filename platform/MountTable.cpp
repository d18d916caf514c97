#include "platform/MountTable.h"

#include <fstream>
#include <iterator>

namespace twinseek {

namespace {

bool IsOctalDigit(char c) { return c >= '0' && c <= '7'; }

// The kernel writes space, tab, line feed and backslash in paths as a
// backslash and three octal digits; anything else stands for itself.
std::string Unescape(std::string_view field) {
    std::string text;
    text.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctalDigit(field[i + 1]) && IsOctalDigit(field[i + 2]) &&
            IsOctalDigit(field[i + 3])) {
            int value = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            if (value <= 0xff) {
                text += char(value);
                i += 3;
                continue;
            }
        }
        text += field[i];
    }
    return text;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t at = 0;
    while (at < line.size()) {
        size_t start = line.find_first_not_of(' ', at);
        if (start == std::string_view::npos) break;
        size_t end = line.find(' ', start);
        if (end == std::string_view::npos) end = line.size();
        fields.push_back(line.substr(start, end - start));
        at = end;
    }
    return fields;
}

}  // namespace

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
    // ID PARENT MAJOR:MINOR ROOT MOUNTPOINT OPTIONS [OPTIONAL...] - TYPE SOURCE SUPEROPTIONS
    std::vector<MountEntry> entries;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::vector<std::string_view> fields = SplitFields(text.substr(at, end - at));
        at = end + 1;
        size_t separator = 6;
        while (separator < fields.size() && fields[separator] != "-") ++separator;
        if (fields.size() < 6 || separator + 2 >= fields.size()) continue;
        MountEntry entry{Unescape(fields[4]), Unescape(fields[separator + 1]), Unescape(fields[separator + 2])};
        if (entry.mountPoint.empty() || entry.mountPoint[0] != '/') continue;
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<MountEntry> ReadMountTable() {
    // The file reports no size, so it is read to its end rather than by length.
    std::ifstream in("/proc/self/mountinfo", std::ios::binary);
    if (!in) return {};
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ParseMountInfo(text);
}

}  // namespace twinseek
