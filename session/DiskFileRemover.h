// The program's own remover: a checked file is unlinked through its folder,
// or moved from there into the freedesktop Trash of its file system; the file
// must still be the one it was checked as.
#pragma once

#include "session/FileRemover.h"

namespace twinseek {

class DiskFileRemover final : public FileRemover {
public:
    RemoverOutcome Remove(int folder, const std::string& name, const std::string& path,
                          const FileIdentity& identity, RemovalMode mode) override;
};

}  // namespace twinseek
