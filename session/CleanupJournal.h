// The journal of cleanups: each run of the delete dialog or of
// `twinseek-cli clean` appended to $XDG_DATA_HOME/twinseek/cleanup-journal.jsonl,
// one JSON object per line, each line synced before the step it announces, so
// that a crash leaves an exact record; read back to undo the last run.
#pragma once

#include "platform/FileReplacement.h"
#include "platform/SyncedLog.h"
#include "session/CleanupAction.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace twinseek {

// One file of a journaled run.
struct JournaledStep {
    std::string path;
    std::string kept;  // the copy that stays it was checked against, when there was one
    bool done = false;
    std::string trashFolder;  // where a file sent to the Trash went
    std::string trashName;
    std::optional<FileMetadata> metadata;  // what a replaced file was, to be given back
};

struct JournaledRun {
    std::string id;
    std::string time;
    CleanupAction action = CleanupAction::Trash;
    std::vector<JournaledStep> steps;
};

class CleanupJournal {
public:
    explicit CleanupJournal(std::string path = DefaultPath());
    // $XDG_DATA_HOME/twinseek/cleanup-journal.jsonl; empty when no home is known.
    static std::string DefaultPath();
    const std::string& Path() const { return path; }

    // Writing one run; each returns 0 or the errno of a line that could not be written.
    int StartRun(CleanupAction action, size_t files);
    // Before a file is acted on: its path, the copy it was checked against
    // and, for a replacement, what the file was.
    int Begin(const std::string& file, const std::string& kept, const FileMetadata* metadata);
    // After: where a trashed file went.
    int Done(const std::string& file, const std::string& trashFolder = {}, const std::string& trashName = {});
    int Failed(const std::string& file, const std::string& reason);
    int EndRun(size_t done);

    // The last run that did something and has not been undone; none when
    // there is none. error is set when the journal cannot be read.
    std::optional<JournaledRun> LastRun(int& error) const;
    // Records that run id was undone, so that the next undo takes the run before it.
    int MarkUndone(const std::string& id);

private:
    int Write(const std::string& line);

    std::string path;
    SyncedLog log;
    std::string run;
    CleanupAction runAction = CleanupAction::Trash;
};

}  // namespace twinseek
