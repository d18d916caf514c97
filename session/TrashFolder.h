// Where the freedesktop Trash keeps what it was given: the home Trash's
// files folder, or a volume's .Trash/UID/files or .Trash-UID/files.
#pragma once

#include <string_view>

namespace twinseek {

// Whether path is an absolute path to an entry right inside the files folder
// of a Trash, and so names a file that really went to the Trash.
bool IsInTrashFolder(std::string_view path);

}  // namespace twinseek
