// The pictures of the menus, the tool bar and the program, by command number.
#pragma once

#include <QIcon>

namespace twinseek {

QIcon CommandIcon(int commandId);
QIcon ProgramIcon();

}  // namespace twinseek
