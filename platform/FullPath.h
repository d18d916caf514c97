// Absolute form of a path, worked out from its text alone: relative paths are
// joined to the working directory, and "//", "." and ".." are folded away.
// Symbolic links are not followed, and the path need not exist.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace twinseek {

// Writes the absolute form of path into out: repeated '/' become one, "." is
// dropped, ".." removes the component before it (at "/" it stays "/"), and a
// trailing '/' is removed except for "/" itself. An empty path names the working
// directory. Returns false, leaving out empty (when outSize > 0), if the result
// and its terminating zero do not fit in outSize or the working directory cannot
// be read.
bool GetFullPathName(const char* path, char* out, size_t outSize);

// The same as a string; no value when the working directory cannot be read.
std::optional<std::string> GetFullPathName(std::string_view path);

}  // namespace twinseek
