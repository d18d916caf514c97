#include "session/CleanupJournal.h"

#include "platform/HomeFolder.h"
#include "platform/TickCount.h"
#include "session/JournalRecord.h"

#include <cerrno>
#include <ctime>
#include <map>
#include <unistd.h>

namespace twinseek {

namespace {

std::string LocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

}  // namespace

CleanupJournal::CleanupJournal(std::string path) : path(std::move(path)) {}

std::string CleanupJournal::DefaultPath() {
    const std::string data = DataHomeFolder();
    return data.empty() ? std::string() : data + "/twinseek/cleanup-journal.jsonl";
}

int CleanupJournal::Write(const std::string& line) {
    if (!log.IsOpen())
        if (int error = log.Open(path)) return error;
    return log.Append(line);
}

int CleanupJournal::StartRun(CleanupAction action, size_t files) {
    static int runs = 0;
    const std::string time = LocalTime();
    run = time + "-" + std::to_string(getpid()) + "-" + std::to_string(++runs) + "-" + std::to_string(GetTickCount());
    runAction = action;
    return Write(JournalRecord()
                     .Text("run", run)
                     .Text("event", "start")
                     .Text("time", time)
                     .Text("action", ActionName(action))
                     .Number("files", int64_t(files))
                     .Line());
}

int CleanupJournal::Begin(const std::string& file, const std::string& kept, const FileMetadata* metadata) {
    JournalRecord record;
    record.Text("run", run).Text("event", "begin").Text("path", file).Text("kept", kept);
    if (metadata)
        record.Number("mode", metadata->mode)
            .Number("owner", metadata->owner)
            .Number("group", metadata->group)
            .Number("access_ns", metadata->accessNanos)
            .Number("write_ns", metadata->writeNanos);
    return Write(record.Line());
}

int CleanupJournal::Done(const std::string& file, const std::string& trashFolder, const std::string& trashName) {
    JournalRecord record;
    record.Text("run", run).Text("event", "done").Text("path", file);
    if (!trashFolder.empty()) record.Text("trash_folder", trashFolder).Text("trash_name", trashName);
    return Write(record.Line());
}

int CleanupJournal::Failed(const std::string& file, const std::string& reason) {
    return Write(JournalRecord().Text("run", run).Text("event", "failed").Text("path", file).Text("reason", reason).Line());
}

int CleanupJournal::EndRun(size_t done) {
    return Write(JournalRecord().Text("run", run).Text("event", "end").Number("done", int64_t(done)).Line());
}

int CleanupJournal::MarkUndone(const std::string& id) {
    return Write(JournalRecord().Text("run", id).Text("event", "undone").Text("time", LocalTime()).Line());
}

std::optional<JournaledRun> CleanupJournal::LastRun(int& error) const {
    error = 0;
    const std::optional<std::string> text = SyncedLog::ReadAll(path);
    if (!text) {
        error = errno != 0 ? errno : EIO;
        return std::nullopt;
    }
    std::vector<JournaledRun> runs;
    std::map<std::string, size_t> runIndex;
    // A line cut short by a crash, or one this program cannot read, is passed over.
    for (size_t start = 0; start < text->size();) {
        size_t end = text->find('\n', start);
        if (end == std::string::npos) end = text->size();
        const std::optional<JournalRecord> record = JournalRecord::Parse(std::string_view(*text).substr(start, end - start));
        start = end + 1;
        if (!record) continue;
        const std::string id = record->TextOf("run").value_or("");
        const std::string event = record->TextOf("event").value_or("");
        if (event == "start") {
            const std::optional<CleanupAction> action = ActionNamed(record->TextOf("action").value_or(""));
            if (!action) continue;
            runIndex[id] = runs.size();
            runs.push_back({id, record->TextOf("time").value_or(""), *action, {}});
            continue;
        }
        auto found = runIndex.find(id);
        if (found == runIndex.end()) continue;
        JournaledRun& journaled = runs[found->second];
        if (event == "undone") {
            runIndex.erase(found);
            journaled.steps.clear();
            continue;
        }
        const std::string file = record->TextOf("path").value_or("");
        if (event == "begin") {
            JournaledStep step{file, record->TextOf("kept").value_or(""), false, {}, {}, std::nullopt};
            if (auto mode = record->NumberOf("mode"))
                step.metadata = FileMetadata{uint32_t(*mode), uint32_t(record->NumberOf("owner").value_or(0)),
                                             uint32_t(record->NumberOf("group").value_or(0)),
                                             record->NumberOf("access_ns").value_or(0),
                                             record->NumberOf("write_ns").value_or(0)};
            journaled.steps.push_back(std::move(step));
        } else if (event == "done") {
            for (auto step = journaled.steps.rbegin(); step != journaled.steps.rend(); ++step)
                if (step->path == file && !step->done) {
                    step->done = true;
                    step->trashFolder = record->TextOf("trash_folder").value_or("");
                    step->trashName = record->TextOf("trash_name").value_or("");
                    break;
                }
        }
    }
    for (auto it = runs.rbegin(); it != runs.rend(); ++it) {
        if (!runIndex.contains(it->id)) continue;
        std::erase_if(it->steps, [](const JournaledStep& step) { return !step.done; });
        if (!it->steps.empty()) return std::move(*it);
    }
    return std::nullopt;
}

}  // namespace twinseek
