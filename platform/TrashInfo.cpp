#include "platform/TrashInfo.h"

#include <utility>

namespace twinseek {

namespace {

bool KeptAsIs(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
           byte == '-' || byte == '.' || byte == '_' || byte == '~' || byte == '/';
}

int HexValue(char digit) {
    if (digit >= '0' && digit <= '9') return digit - '0';
    if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
    if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
    return -1;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

}  // namespace

std::string EscapeTrashPath(std::string_view path) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(path.size());
    for (char character : path) {
        const auto byte = static_cast<unsigned char>(character);
        if (KeptAsIs(byte)) {
            escaped += character;
        } else {
            escaped += '%';
            escaped += kHexDigits[byte >> 4];
            escaped += kHexDigits[byte & 0xF];
        }
    }
    return escaped;
}

std::optional<std::string> UnescapeTrashPath(std::string_view escaped) {
    std::string path;
    path.reserve(escaped.size());
    for (size_t at = 0; at < escaped.size(); ++at) {
        if (escaped[at] != '%') {
            path += escaped[at];
            continue;
        }
        if (escaped.size() - at < 3) return std::nullopt;
        const int high = HexValue(escaped[at + 1]);
        const int low = HexValue(escaped[at + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        path += static_cast<char>(high * 16 + low);
        at += 2;
    }
    return path;
}

std::string FormatTrashInfo(const TrashInfo& info) {
    return "[Trash Info]\nPath=" + EscapeTrashPath(info.path) + "\nDeletionDate=" + info.deletionDate + "\n";
}

std::optional<TrashInfo> ParseTrashInfo(std::string_view text) {
    TrashInfo info;
    bool inTrashInfo = false;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.starts_with('[')) {
            inTrashInfo = line == "[Trash Info]";
            continue;
        }
        const size_t equals = line.find('=');
        if (!inTrashInfo || line.starts_with('#') || equals == std::string_view::npos) continue;
        const std::string_view key = Trimmed(line.substr(0, equals));
        const std::string_view value = Trimmed(line.substr(equals + 1));
        if (key == "Path") {
            std::optional<std::string> path = UnescapeTrashPath(value);
            if (!path) return std::nullopt;
            info.path = std::move(*path);
        } else if (key == "DeletionDate") {
            info.deletionDate = value;
        }
    }
    if (info.path.empty()) return std::nullopt;
    return info;
}

std::string TrashDeletionDate(std::time_t when) {
    std::tm local{};
    if (localtime_r(&when, &local) == nullptr) return {};
    char text[32];
    return std::string(text, std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local));
}

}  // namespace twinseek
