// What the folder tree needs to know of a folder's contents: each entry's name,
// whether it is a folder and whether it is hidden; tests give their own listing.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace twinseek {

struct ListedEntry {
    std::string_view name;  // valid during the visit only
    bool isFolder = false;
    bool hidden = false;
};

class DirectoryListing {
public:
    // Returns true to go on with the next entry, false to stop the listing.
    using Visitor = std::function<bool(const ListedEntry&)>;

    virtual ~DirectoryListing() = default;
    // Visits the entries of the folder at path, "." and ".." left out, in the
    // order the file system gives them. False when the folder cannot be listed.
    virtual bool List(const std::string& path, const Visitor& visit) const = 0;
};

// The listing of the real file system. Links are never followed: a link to a
// folder is listed as a file, and a path that is a link cannot be listed.
// Names that start with a dot are hidden.
class FileSystemListing : public DirectoryListing {
public:
    bool List(const std::string& path, const Visitor& visit) const override;
};

}  // namespace twinseek
