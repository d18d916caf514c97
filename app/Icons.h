// The pictures of the program and of its commands: the desktop theme's icon by
// its freedesktop name, or our own drawing when the theme has none.
#pragma once

#include <QIcon>

namespace twinseek {

// The picture of a command of the command table; a null icon for a command
// without one (the Toolbar and Status Bar toggles).
QIcon CommandIcon(int commandId);
QIcon ProgramIcon();

}  // namespace twinseek
