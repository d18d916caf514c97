#include "app/DesktopFileRemover.h"

#include "platform/FileOperations.h"
#include "platform/PathProbe.h"
#include "session/TrashFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>

namespace twinseek {

int DesktopFileRemover::RemovePermanently(const std::string& path) { return UnlinkFile(path); }

int DesktopFileRemover::MoveToTrash(const std::string& path) {
    // Qt takes the path as text: a name that is not valid UTF-8 would name
    // another file, or none.
    const QString text = QFile::decodeName(path.c_str());
    if (QFile::encodeName(text).toStdString() != path) return EILSEQ;
    // Qt makes the home Trash inside the data folder but not the folder
    // itself; without it, it "trashes" into files/ under the working folder.
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    errno = 0;
    if (dataFolder.isEmpty() || !QDir().mkpath(dataFolder)) return errno != 0 ? errno : EACCES;

    QString reported;
    errno = 0;
    if (!QFile::moveToTrash(text, &reported))
        // Qt names no cause, but the failed rename's errno is the last one set.
        return errno != 0 ? errno : EIO;
    if (IsInTrashFolder(QFile::encodeName(reported).toStdString())) return 0;

    // Moved somewhere that is no Trash: put it back where it was, with no
    // trace of the move left behind.
    const QFileInfo misplaced(reported);
    const std::string moved = QFile::encodeName(misplaced.absoluteFilePath()).toStdString();
    PathStatus status;
    if (!reported.isEmpty() && !PathExists(path) && ProbePath(moved, status) == 0 && status.regular &&
        RenameWithoutReplacing(moved, path) == 0) {
        const QString info = QDir::cleanPath(misplaced.absolutePath() + "/../info/" + misplaced.fileName() +
                                             ".trashinfo");
        UnlinkFile(QFile::encodeName(info).toStdString());
    }
    return ENOTSUP;
}

}  // namespace twinseek
