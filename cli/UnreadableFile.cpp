#include "cli/UnreadableFile.h"

#include "platform/CXException.h"
#include "platform/FileContentReader.h"
#include "platform/PathProbe.h"

namespace twinseek {

std::string DescribeUnreadable(const FileItem& file) {
    const std::string path(file.GetFullPath());
    PathStatus status;
    if (int error = ProbePath(path, status); error != 0)
        return "could not read " + path + ": " + CXFileException::SystemMessage(error);
    // Nothing went wrong here: such an entry has no content to compare.
    if (!status.regular) return path + " is not a regular file (" + std::string(EntryKindName(status.mode)) + ")";
    if (status.size != file.Size())
        return path + " changed after it was catalogued (" + std::to_string(file.Size()) + " bytes then, " +
               std::to_string(status.size) + " now), so it was not compared";
    FileContentReader reader;
    if (!reader.Open(path.c_str()))
        return "could not read " + path + ": " + CXFileException::SystemMessage(reader.LastError());
    return "could not read " + path;
}

}  // namespace twinseek
