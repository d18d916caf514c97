// Takes files off the disk for the delete dialog: for good with unlink, or to
// the freedesktop Trash through Qt, counting a file as moved only when the
// Trash really holds it.
#pragma once

#include "session/FileRemover.h"

namespace twinseek {

class DesktopFileRemover final : public FileRemover {
public:
    int RemovePermanently(const std::string& path) override;
    int MoveToTrash(const std::string& path) override;
};

}  // namespace twinseek
