#include "platform/PathProbe.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace twinseek {

int DirectoryAccessError(const std::string& path) {
    int descriptor = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return errno;
    close(descriptor);
    return 0;
}

}  // namespace twinseek
