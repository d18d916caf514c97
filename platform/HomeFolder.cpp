#include "platform/HomeFolder.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace twinseek {

namespace {

std::string AccountHome() {
    long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? size_t(suggested) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir) return {};
    return found->pw_dir;
}

}  // namespace

std::string HomeFolder() {
    const char* variable = std::getenv("HOME");
    std::string home = variable && variable[0] == '/' ? variable : AccountHome();
    if (home.empty() || home[0] != '/') return {};
    if (char* resolved = realpath(home.c_str(), nullptr)) {
        home = resolved;
        std::free(resolved);
    }
    while (home.size() > 1 && home.back() == '/') home.pop_back();
    return home;
}

std::string DataHomeFolder() {
    const char* variable = std::getenv("XDG_DATA_HOME");
    std::string folder = variable && variable[0] == '/' ? variable : "";
    if (folder.empty()) {
        const std::string home = HomeFolder();
        if (!home.empty()) folder = home == "/" ? "/.local/share" : home + "/.local/share";
    }
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

}  // namespace twinseek
