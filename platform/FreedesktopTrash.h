// Sends a file to the desktop's Trash: the home Trash when the file shares its
// file system, else the Trash at the top folder of the file's own mount.
#pragma once

#include <string>

namespace twinseek {

// What became of one file sent to the Trash.
struct TrashOutcome {
    int error = 0;            // 0 when the file is in the Trash; else the errno that says why not
    std::string reason;       // when error != 0: a short sentence for the user naming the obstacle
    std::string trashFolder;  // the Trash used (or tried, once one was chosen): .../Trash,
                              // $topdir/.Trash/UID or $topdir/.Trash-UID; empty when none was chosen
    std::string trashedName;  // when error == 0: the name under files/ and, plus ".trashinfo", under info/
};

// Moves the entry name of the folder open as folderFd into the Trash of its file
// system. folderFd is opened by the caller without following links; an O_PATH
// descriptor will do. name is one path component. originalPath is the absolute
// path the file had, recorded in its info file. The info file is written and
// synced first; the move is one rename from folderFd, never a copy, and when it
// cannot be done the info file is removed and the file stays where it was.
// Nothing is made relative to the working folder.
TrashOutcome MoveToTrash(int folderFd, const std::string& name, const std::string& originalPath);

struct RestoreOutcome {
    int error = 0;             // 0 when the file is back; else the errno
    std::string reason;        // when error != 0: a sentence for the user
    std::string restoredPath;  // where it is now: its old path, or a new name beside it when that was taken
};

// Puts the file called trashedName in the Trash at trashFolder back where its
// info file says it was, and removes the info file. A path taken since is
// not overwritten: the file comes back beside it as "NAME (restored)",
// "NAME (restored 2)"... Missing folders on the way are made again.
RestoreOutcome RestoreFromTrash(const std::string& trashFolder, const std::string& trashedName);

}  // namespace twinseek
