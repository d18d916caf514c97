#include "platform/FreedesktopTrash.h"

#include "platform/CXException.h"
#include "platform/HomeFolder.h"
#include "platform/TrashInfo.h"
#include "platform/UniqueFd.h"

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utility>

namespace twinseek {

namespace {

constexpr std::string_view kInfoSuffix = ".trashinfo";
// How many clashing names (NAME.2, NAME.3...) are tried before giving up.
constexpr int kMaxNameAttempts = 100000;


// Why a Trash cannot be used: the errno, and the obstacle in words.
struct Obstacle {
    int error = 0;
    std::string reason;
};

Obstacle Failed(int error, const std::string& what) {
    return {error, what + ": " + CXFileException::SystemMessage(error)};
}

// An entry's file system and inode, and the mount it was reached through
// when the kernel says (a rename succeeds only within one mount).
struct Whereabouts {
    dev_t device = 0;
    ino_t inode = 0;
    std::optional<uint64_t> mount;
};

std::optional<Whereabouts> Locate(int folderFd, const char* path, int flags) {
    struct statx status {};
    if (statx(folderFd, path, flags, STATX_INO | STATX_MNT_ID, &status) != 0) return std::nullopt;
    Whereabouts where{makedev(status.stx_dev_major, status.stx_dev_minor), ino_t(status.stx_ino), std::nullopt};
    if (status.stx_mask & STATX_MNT_ID) {
        // The C library's struct statx may predate stx_mnt_id, which the kernel
        // stores right after stx_dev_minor.
        constexpr size_t kMountIdOffset = offsetof(struct statx, stx_dev_minor) + sizeof(uint32_t);
        static_assert(kMountIdOffset + sizeof(uint64_t) <= sizeof(struct statx));
        uint64_t mount = 0;
        std::memcpy(&mount, reinterpret_cast<const char*>(&status) + kMountIdOffset, sizeof mount);
        where.mount = mount;
    }
    return where;
}

std::optional<Whereabouts> LocateOpenFolder(const UniqueFd& folder) {
    return folder.IsOpen() ? Locate(folder.Get(), "", AT_EMPTY_PATH) : std::nullopt;
}

bool SameMount(const Whereabouts& one, const Whereabouts& other) {
    return one.device == other.device && (!one.mount || !other.mount || *one.mount == *other.mount);
}

std::string ParentOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

std::string Join(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// Opens the folder name in parentFd, which must be a real folder, not a
// symbolic link to one. path is its full path, for the reason.
Obstacle OpenRealFolder(int parentFd, const std::string& name, const std::string& path, UniqueFd& folder) {
    folder = UniqueFd(openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.IsOpen()) return {};
    const int error = errno;
    struct stat status {};
    if ((error == ENOTDIR || error == ELOOP) && fstatat(parentFd, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0)
        return S_ISLNK(status.st_mode) ? Obstacle{ELOOP, path + " is a symbolic link"}
                                       : Obstacle{ENOTDIR, path + " is not a folder"};
    return Failed(error, path + " cannot be opened");
}

// OpenRealFolder, the folder made first (mode 0700) when missing.
Obstacle MakeRealFolder(int parentFd, const std::string& name, const std::string& path, UniqueFd& folder) {
    if (mkdirat(parentFd, name.c_str(), 0700) != 0 && errno != EEXIST) return Failed(errno, path + " cannot be made");
    return OpenRealFolder(parentFd, name, path, folder);
}

Obstacle CheckOwnedByUser(const UniqueFd& folder, const std::string& path) {
    struct stat status {};
    if (fstat(folder.Get(), &status) != 0) return Failed(errno, path + " cannot be looked at");
    if (status.st_uid != geteuid()) return {EPERM, path + " belongs to another user"};
    return {};
}

// A Trash chosen for one file: its folder, and its files/ and info/ folders open.
struct OpenTrash {
    std::string folder;
    UniqueFd files;
    UniqueFd info;
};

Obstacle OpenTrashFolders(int trashFd, OpenTrash& trash) {
    if (Obstacle files = MakeRealFolder(trashFd, "files", trash.folder + "/files", trash.files); files.error != 0)
        return files;
    return MakeRealFolder(trashFd, "info", trash.folder + "/info", trash.info);
}

// Where the home Trash is, or would be made: the Trash itself (a link is not
// followed), else the nearest folder above it that exists.
std::optional<Whereabouts> HomeTrashWhereabouts(const std::string& dataHome) {
    if (auto trash = Locate(AT_FDCWD, Join(dataHome, "Trash").c_str(), AT_SYMLINK_NOFOLLOW)) return trash;
    for (std::string folder = dataHome;; folder = ParentOf(folder)) {
        if (auto found = Locate(AT_FDCWD, folder.c_str(), 0)) return found;
        if (folder == "/") return std::nullopt;
    }
}

// Makes the missing folders of the absolute path, each with mode 0700.
Obstacle MakeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return Failed(errno, prefix + " cannot be made");
        if (slash == std::string::npos) return {};
    }
}

Obstacle OpenHomeTrash(const std::string& dataHome, OpenTrash& trash) {
    trash.folder = Join(dataHome, "Trash");
    if (Obstacle made = MakeFolders(dataHome); made.error != 0) return made;
    // The data folder may be a link the user set up; the Trash in it may not.
    const UniqueFd data(open(dataHome.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!data.IsOpen()) return Failed(errno, dataHome + " cannot be opened");
    UniqueFd trashFolder;
    if (Obstacle opened = MakeRealFolder(data.Get(), "Trash", trash.folder, trashFolder); opened.error != 0)
        return opened;
    return OpenTrashFolders(trashFolder.Get(), trash);
}

// The path the system gives the folder open as fd; empty when it gives none.
std::string PathOfFolder(int fd) {
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    std::string path(PATH_MAX, '\0');
    const ssize_t length = readlink(link.c_str(), path.data(), path.size());
    if (length <= 0 || size_t(length) >= path.size() || path[0] != '/') return {};
    path.resize(size_t(length));
    return path;
}

// The top folder of the mount the folder open as folderFd is on, found by going
// up through ".." while the file system and mount stay the same, and its path
// (from the system, else taken off folderPath by as many steps as were climbed).
Obstacle OpenTopFolder(int folderFd, const std::string& folderPath, UniqueFd& top, std::string& topPath) {
    top = UniqueFd(openat(folderFd, ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    std::optional<Whereabouts> here = LocateOpenFolder(top);
    std::string climbed = folderPath;
    while (here) {
        UniqueFd parent(openat(top.Get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
        const std::optional<Whereabouts> above = LocateOpenFolder(parent);
        if (!above) break;
        if (!SameMount(*here, *above) || above->inode == here->inode) {
            topPath = PathOfFolder(top.Get());
            if (topPath.empty()) topPath = climbed;
            return {};
        }
        top = std::move(parent);
        here = above;
        climbed = ParentOf(climbed);
    }
    return Failed(errno, "the top folder of " + folderPath + " cannot be found");
}

// The Trash at the top folder of a mount: the user's folder in a shared .Trash
// the administrator made sticky, else .Trash-UID, which must be the user's own.
Obstacle OpenTopTrash(int topFd, const std::string& topPath, OpenTrash& trash) {
    const std::string uid = std::to_string(geteuid());
    const std::string shared = Join(topPath, ".Trash");
    UniqueFd sharedFolder;
    UniqueFd userFolder;
    struct stat status {};
    if (OpenRealFolder(topFd, ".Trash", shared, sharedFolder).error == 0 && fstat(sharedFolder.Get(), &status) == 0 &&
        (status.st_mode & S_ISVTX) != 0) {
        trash.folder = shared + "/" + uid;
        if (MakeRealFolder(sharedFolder.Get(), uid, trash.folder, userFolder).error == 0 &&
            CheckOwnedByUser(userFolder, trash.folder).error == 0 &&
            OpenTrashFolders(userFolder.Get(), trash).error == 0)
            return {};
    }
    trash.folder = Join(topPath, ".Trash-" + uid);
    if (Obstacle made = MakeRealFolder(topFd, ".Trash-" + uid, trash.folder, userFolder); made.error != 0) return made;
    if (Obstacle owner = CheckOwnedByUser(userFolder, trash.folder); owner.error != 0) return owner;
    return OpenTrashFolders(userFolder.Get(), trash);
}

// The name a file gets in the Trash on the given attempt: its own, then NAME.2,
// NAME.3..., the name shortened (not inside a UTF-8 sequence where it can be
// helped) so that its info file's name stays within NAME_MAX.
std::string CandidateName(const std::string& name, int attempt) {
    const std::string suffix = attempt > 1 ? "." + std::to_string(attempt) : "";
    const size_t room = NAME_MAX - kInfoSuffix.size() - suffix.size();
    if (name.size() <= room) return name + suffix;
    size_t cut = room;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    return name.substr(0, cut > 0 ? cut : room) + suffix;
}

// Writes all of text to fd and syncs it; 0 or the errno.
int WriteDurably(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return written < 0 ? errno : EIO;
        text.remove_prefix(size_t(written));
    }
    return fsync(fd) == 0 ? 0 : errno;
}

// Renames without replacing anything at to; 0 or the errno.
int RenameWithoutReplacing(int fromFd, const std::string& from, int toFd, const std::string& to) {
    if (renameat2(fromFd, from.c_str(), toFd, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without the flag: files/ was seen free of the name just before.
    return renameat(fromFd, from.c_str(), toFd, to.c_str()) == 0 ? 0 : errno;
}

// Claims a free name in the Trash by making its info file, writes the record,
// then moves the file in; any failure takes the info file away again.
TrashOutcome MoveInto(OpenTrash& trash, int folderFd, const std::string& name, const std::string& record) {
    TrashOutcome outcome;
    outcome.trashFolder = trash.folder;
    auto fail = [&outcome](Obstacle obstacle) {
        outcome.error = obstacle.error;
        outcome.reason = std::move(obstacle.reason);
        return outcome;
    };
    for (int attempt = 1; attempt <= kMaxNameAttempts; ++attempt) {
        const std::string trashed = CandidateName(name, attempt);
        const std::string infoName = trashed + std::string(kInfoSuffix);
        UniqueFd info(openat(trash.info.Get(), infoName.c_str(),
                               O_CREAT | O_EXCL | O_NOFOLLOW | O_WRONLY | O_CLOEXEC, 0600));
        if (!info.IsOpen()) {
            if (errno == EEXIST) continue;
            return fail(Failed(errno, "No record of this file can be made in " + trash.folder + "/info"));
        }
        auto dropInfo = [&] { unlinkat(trash.info.Get(), infoName.c_str(), 0); };
        struct stat taken {};
        if (fstatat(trash.files.Get(), trashed.c_str(), &taken, AT_SYMLINK_NOFOLLOW) == 0) {
            dropInfo();
            continue;
        }
        if (errno != ENOENT) {
            const int error = errno;
            dropInfo();
            return fail(Failed(error, trash.folder + "/files cannot be looked into"));
        }
        int error = WriteDurably(info.Get(), record);
        if (const int closed = info.Close(); error == 0) error = closed;
        if (error != 0) {
            dropInfo();
            return fail(Failed(error, "No record of this file can be written in " + trash.folder + "/info"));
        }
        fsync(trash.info.Get());
        error = RenameWithoutReplacing(folderFd, name, trash.files.Get(), trashed);
        if (error == EEXIST) {
            dropInfo();
            continue;
        }
        if (error != 0) {
            dropInfo();
            return fail(Failed(error, "This file cannot be moved into " + trash.folder));
        }
        // Make the move durable; the file is in the Trash even when this fails.
        fsync(trash.files.Get());
        outcome.trashedName = trashed;
        return outcome;
    }
    return fail({EEXIST, trash.folder + " holds too many files called " + name});
}

TrashOutcome Refused(Obstacle obstacle, std::string_view context, std::string trashFolder = {}) {
    TrashOutcome outcome;
    outcome.error = obstacle.error;
    outcome.reason = std::string(context) + obstacle.reason;
    outcome.trashFolder = std::move(trashFolder);
    return outcome;
}

}  // namespace

TrashOutcome MoveToTrash(int folderFd, const std::string& name, const std::string& originalPath) {
    if (folderFd < 0 || name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
        !originalPath.starts_with('/'))
        return Refused({EINVAL, "the file is not named as one entry of an open folder with its absolute path"},
                       "This file cannot be sent to the Trash: ");
    struct stat entry {};
    if (fstatat(folderFd, name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0)
        return Refused(Failed(errno, "This file cannot be looked at"), "");
    const std::optional<Whereabouts> folder = Locate(folderFd, "", AT_EMPTY_PATH);
    if (!folder) return Refused(Failed(errno, "The folder of this file cannot be looked at"), "");
    const std::string dataHome = DataHomeFolder();
    if (dataHome.empty()) return Refused({ENOENT, "no home folder is known"}, "There is no home Trash: ");

    OpenTrash trash;
    const std::optional<Whereabouts> homeTrash = HomeTrashWhereabouts(dataHome);
    if (homeTrash && SameMount(*homeTrash, *folder)) {
        if (Obstacle obstacle = OpenHomeTrash(dataHome, trash); obstacle.error != 0)
            return Refused(obstacle, "The home Trash cannot be used: ", trash.folder);
    } else {
        static constexpr std::string_view kNoTrashHere = "No Trash can be made on this file's file system: ";
        UniqueFd top;
        std::string topPath;
        if (Obstacle obstacle = OpenTopFolder(folderFd, ParentOf(originalPath), top, topPath); obstacle.error != 0)
            return Refused(obstacle, kNoTrashHere);
        if (Obstacle obstacle = OpenTopTrash(top.Get(), topPath, trash); obstacle.error != 0)
            return Refused(obstacle, kNoTrashHere, trash.folder);
    }
    // Absolute in a Trash at a mount's top folder too, which info files allow:
    // it names the file exactly as this process reached it.
    const std::string record = FormatTrashInfo({originalPath, TrashDeletionDate(std::time(nullptr))});
    return MoveInto(trash, folderFd, name, record);
}

namespace {

// The name to try the attempt-th time a restored file's place is taken.
std::string RestoredName(const std::string& name, int attempt) {
    if (attempt == 0) return name;
    const size_t dot = name.rfind('.');
    const bool extension = dot != std::string::npos && dot != 0;
    const std::string stem = extension ? name.substr(0, dot) : name;
    const std::string suffix = attempt == 1 ? " (restored)" : " (restored " + std::to_string(attempt) + ")";
    return stem + suffix + (extension ? name.substr(dot) : "");
}

// Reads a whole small file below folderFd; empty optional when it cannot be read.
std::optional<std::string> ReadSmallFile(int folderFd, const std::string& name) {
    const UniqueFd file(openat(folderFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!file.IsOpen()) return std::nullopt;
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(file.Get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) return text;
        text.append(buffer, size_t(got));
        if (text.size() > 64 * 1024) return std::nullopt;
    }
}

RestoreOutcome NotRestored(int error, const std::string& reason) {
    RestoreOutcome outcome;
    outcome.error = error;
    outcome.reason = reason + ": " + CXFileException::SystemMessage(error);
    return outcome;
}

}  // namespace

RestoreOutcome RestoreFromTrash(const std::string& trashFolder, const std::string& trashedName) {
    if (!trashFolder.starts_with('/') || trashedName.empty() || trashedName.find('/') != std::string::npos)
        return NotRestored(EINVAL, "This Trash entry cannot be named");
    OpenTrash trash;
    trash.folder = trashFolder;
    const UniqueFd folder(open(trashFolder.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder.IsOpen()) return NotRestored(errno, trashFolder + " cannot be opened");
    trash.files = UniqueFd(openat(folder.Get(), "files", O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    trash.info = UniqueFd(openat(folder.Get(), "info", O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!trash.files.IsOpen() || !trash.info.IsOpen()) return NotRestored(errno, trashFolder + " is no Trash");
    const std::string infoName = trashedName + std::string(kInfoSuffix);
    const std::optional<std::string> text = ReadSmallFile(trash.info.Get(), infoName);
    const std::optional<TrashInfo> info = text ? ParseTrashInfo(*text) : std::nullopt;
    if (!info) return NotRestored(text ? EINVAL : errno, "The Trash's record of " + trashedName + " cannot be read");
    // Another program may have written a path relative to the top folder of the Trash's mount.
    std::string path = info->path;
    if (!path.starts_with('/')) {
        const std::string above = ParentOf(trashFolder);
        const bool perUserFolder = ParentOf(trashFolder).ends_with("/.Trash");
        path = Join(perUserFolder ? ParentOf(above) : above, path);
    }
    const std::string parent = ParentOf(path);
    const std::string name = path.substr(path.rfind('/') + 1);
    if (Obstacle made = MakeFolders(parent); made.error != 0) return NotRestored(made.error, parent + " cannot be made");
    const UniqueFd target(open(parent.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!target.IsOpen()) return NotRestored(errno, parent + " cannot be opened");
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
        const std::string restored = RestoredName(name, attempt);
        int error = 0;
        if (renameat2(trash.files.Get(), trashedName.c_str(), target.Get(), restored.c_str(), RENAME_NOREPLACE) != 0)
            error = errno;
        if (error == EINVAL || error == ENOSYS) {
            // A file system without the flag: look first, so nothing is overwritten.
            struct stat taken {};
            if (fstatat(target.Get(), restored.c_str(), &taken, AT_SYMLINK_NOFOLLOW) == 0)
                error = EEXIST;
            else
                error = renameat(trash.files.Get(), trashedName.c_str(), target.Get(), restored.c_str()) == 0 ? 0 : errno;
        }
        if (error == EEXIST) continue;
        if (error != 0) return NotRestored(error, "The file cannot be moved back to " + parent);
        unlinkat(trash.info.Get(), infoName.c_str(), 0);
        RestoreOutcome outcome;
        outcome.restoredPath = Join(parent, restored);
        return outcome;
    }
    return NotRestored(EEXIST, "No free name is left beside " + path);
}

}  // namespace twinseek
