// The folder the current user's files live in.
#pragma once

#include <string>

namespace twinseek {

// $HOME when it is an absolute path, else the home of the user's account entry,
// with links resolved so that it reads as the folder a walk enters; empty when
// neither is known.
std::string HomeFolder();

// Where the user's data files go: $XDG_DATA_HOME when it is absolute, else
// ~/.local/share, without a trailing '/'; empty when no home is known.
std::string DataHomeFolder();

}  // namespace twinseek
