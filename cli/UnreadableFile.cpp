#include "cli/UnreadableFile.h"

#include "platform/CXException.h"
#include "platform/FileContentReader.h"
#include "platform/PathProbe.h"

namespace twinseek {

namespace {

std::string SystemReason(int error) {
    std::string text = CXFileException::SystemMessage(error);
    return text.empty() ? "error " + std::to_string(error) : text;
}

// What the worker met, for a file that looks readable now.
std::string WorkerReason(const FileItem& file, const ReadFailure& failure) {
    switch (failure.kind) {
    case ReadFailure::SystemError: return SystemReason(failure.error);
    case ReadFailure::SizeChanged:
        return "it was not of its catalogued size (" + std::to_string(file.Size()) + " bytes) when it was read";
    case ReadFailure::CutShort: return "it became shorter while it was read";
    case ReadFailure::None: break;
    }
    // Not read itself: the same file on disk under an earlier path was.
    return "it is a further path of a file that could not be read";
}

}  // namespace

std::string DescribeUnreadable(const FileItem& file, const ReadFailure& failure) {
    const std::string path(file.GetFullPath());
    PathStatus status;
    if (int error = ProbePath(path, status); error != 0) return "could not read " + path + ": " + SystemReason(error);
    // Nothing went wrong here: such an entry has no content to compare.
    if (!status.regular) return path + " is not a regular file (" + std::string(EntryKindName(status.mode)) + ")";
    if (status.size != file.Size())
        return path + " changed after it was catalogued (" + std::to_string(file.Size()) + " bytes then, " +
               std::to_string(status.size) + " now), so it was not compared";
    FileContentReader reader;
    if (!reader.Open(path.c_str())) return "could not read " + path + ": " + SystemReason(reader.LastError());
    return "could not read " + path + ": " + WorkerReason(file, failure);
}

}  // namespace twinseek
