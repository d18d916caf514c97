// The texts of the file commands the lists offer in their context menu, and
// what is said when the desktop has nothing to open a file with.
#pragma once

#include <string>
#include <string_view>

namespace twinseek {

inline constexpr char kOpenFileText[] = "&Open";
inline constexpr char kOpenFolderText[] = "Open Containing &Folder";
inline constexpr char kCopyPathText[] = "&Copy Path";
inline constexpr char kOpenFailedTitle[] = "Error";

inline std::string OpenFailedText(std::string_view path) {
    return "Unable to open " + std::string(path);
}

}  // namespace twinseek
