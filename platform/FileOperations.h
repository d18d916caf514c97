// Whole-file operations the document needs to replace its file safely (a fresh
// file beside another, renaming over it, copying permissions) and removal.
#pragma once

#include "platform/CXFile.h"

#include <string>

namespace twinseek {

// Opens a new, uniquely named hidden file for reading and writing in the folder
// of target and returns its path. Throws CXFileException when none can be made.
std::string OpenTemporaryBeside(CXFile& file, const std::string& target);

// Renames from over to in one step (an existing to is replaced, never half
// written), then asks the folder to record the change. Throws CXFileException.
void ReplaceFile(const std::string& from, const std::string& to);

// The file that writing to path really writes: path itself unless it is a
// symbolic link, else what the chain of links ends at (which need not exist
// yet), each relative target taken from its link's folder. Throws
// CXFileException(ELOOP) for a chain that loops or is too long.
std::string ResolveLinkChain(const std::string& path);

// Removes a file; false when it could not be removed (nothing is thrown).
bool RemoveFile(const std::string& path) noexcept;
// Removes a file; 0, or the errno that says why it could not be removed.
int UnlinkFile(const std::string& path) noexcept;
// Renames from to to, unless something is at to already; 0, or the errno that
// says why not (EEXIST when to is taken).
int RenameWithoutReplacing(const std::string& from, const std::string& to) noexcept;

// Gives to the permission bits of from; false when from does not exist or
// the bits could not be set.
bool CopyPermissions(const std::string& from, const std::string& to) noexcept;

}  // namespace twinseek
