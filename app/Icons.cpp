#include "app/Icons.h"

#include "session/CommandStates.h"

// Resources compiled into a static library are registered by hand.
static void RegisterResources() { Q_INIT_RESOURCE(twinseek); }

namespace twinseek {

// The desktop theme's pictures by their freedesktop names.
QIcon CommandIcon(int commandId) {
    switch (commandId) {
    case kCommandNew: return QIcon::fromTheme("document-new");
    case kCommandOpen: return QIcon::fromTheme("document-open");
    case kCommandSave: return QIcon::fromTheme("document-save");
    case kCommandSaveAs: return QIcon::fromTheme("document-save-as");
    case kCommandExit: return QIcon::fromTheme("application-exit");
    case kCommandScanDisk: return QIcon::fromTheme("drive-harddisk");
    case kCommandCompareFiles: return QIcon::fromTheme("edit-find");
    case kCommandPause: return QIcon::fromTheme("media-playback-pause");
    case kCommandStopCompare: return QIcon::fromTheme("media-playback-stop");
    case kCommandDelete: return QIcon::fromTheme("edit-delete");
    case kCommandFileView: return QIcon::fromTheme("view-list-details");
    case kCommandResultView: return QIcon::fromTheme("view-list-tree");
    case kCommandAbout: return QIcon::fromTheme("help-about");
    default: return {};
    }
}

QIcon ProgramIcon() {
    RegisterResources();
    return QIcon(":/icons/twinseek.svg");
}

}  // namespace twinseek
