#include "platform/FullPath.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace twinseek {

namespace {

std::optional<std::string> CurrentDirectory() {
    std::string buffer(256, '\0');
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) return std::nullopt;
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(std::strlen(buffer.c_str()));
    return buffer;
}

// Folds an absolute path component by component.
std::string FoldAbsolutePath(std::string_view path) {
    std::string result;
    result.reserve(path.size());
    size_t position = 0;
    while (position < path.size()) {
        size_t end = path.find('/', position);
        if (end == std::string_view::npos) end = path.size();
        std::string_view component = path.substr(position, end - position);
        position = end + 1;
        if (component.empty() || component == ".") continue;
        if (component == "..") {
            result.erase(result.empty() ? 0 : result.rfind('/'));
            continue;
        }
        result += '/';
        result += component;
    }
    if (result.empty()) result.push_back('/');
    return result;
}

}  // namespace

std::optional<std::string> GetFullPathName(std::string_view path) {
    if (!path.empty() && path.front() == '/') return FoldAbsolutePath(path);
    std::optional<std::string> joined = CurrentDirectory();
    if (!joined) return std::nullopt;
    *joined += '/';
    *joined += path;
    return FoldAbsolutePath(*joined);
}

bool GetFullPathName(const char* path, char* out, size_t outSize) {
    std::optional<std::string> fullPath = GetFullPathName(std::string_view(path));
    if (!fullPath || fullPath->size() >= outSize) {
        if (outSize > 0) out[0] = '\0';
        return false;
    }
    std::memcpy(out, fullPath->c_str(), fullPath->size() + 1);
    return true;
}

}  // namespace twinseek
