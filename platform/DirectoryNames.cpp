#include "platform/DirectoryNames.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace twinseek {

bool ListDirectoryNames(const std::string& path,
                        const std::function<bool(std::string_view name, bool isDirectory)>& visit) {
    int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    DIR* directory = fdopendir(fd);
    if (!directory) {
        close(fd);
        return false;
    }
    while (const dirent* entry = readdir(directory)) {
        std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        bool isDirectory = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat status {};
            isDirectory = fstatat(fd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(status.st_mode);
        }
        if (!visit(name, isDirectory)) break;
    }
    closedir(directory);
    return true;
}

}  // namespace twinseek
