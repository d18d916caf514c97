// Catalogued and compared real files in a session, ticked and handed to the
// cleanup with a remover that writes down what it was asked, and a journal of
// the test's own.
#pragma once

#include "document/HeadlessPrompts.h"
#include "platform/EntryRemoval.h"
#include "platform/PathProbe.h"
#include "session/AppSession.h"
#include "session/CleanupJournal.h"
#include "session/DeleteList.h"
#include "session/ResultModel.h"
#include "tests/session/SessionTestSupport.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <vector>

namespace twinseek::testing {

// Unlinks for real (the Trash is tested on its own), except the paths told to
// fail, and writes down what it was asked.
class FakeRemover final : public FileRemover {
public:
    RemoverOutcome Remove(const CheckedEntry& file, CleanupAction action) override {
        calls.push_back((action == CleanupAction::Trash ? "trash " : "unlink ") + file.path);
        if (onRemove) onRemove();
        auto failure = failing.find(file.path);
        if (failure != failing.end()) return {failure->second, {}, {}, {}};
        return {UnlinkEntry(file.folder, file.name, file.identity), {}, {}, {}};
    }
    RemoverOutcome Replace(const CheckedEntry& file, const CheckedEntry&, CleanupAction) override {
        calls.push_back("replace " + file.path);
        return {ENOTSUP, {}, {}, {}};
    }

    std::map<std::string, int> failing;
    std::vector<std::string> calls;
    std::function<void()> onRemove;
};

class FileDeletionTest : public ::testing::Test {
protected:
    // Writes the files (name and contents), catalogues and compares them, and
    // shows their groups; the document then counts as saved.
    void Compare(const std::vector<std::pair<std::string, std::string>>& files, const std::string& root = "") {
        for (const auto& [name, content] : files) Write(name, content);
        ScanIntoSession(session, root.empty() ? tree.Root() : root);
        ASSERT_TRUE(session.CompareAllSharedSizes());
        ASSERT_TRUE(CollectUntilDone(session));
        session.Doc().modified = false;
    }
    void Write(const std::string& name, const std::string& content) {
        for (size_t slash = name.find('/'); slash != std::string::npos; slash = name.find('/', slash + 1))
            mkdir(tree.Path(name.substr(0, slash)).c_str(), 0755);
        WriteBytes(tree.Path(name), content);
    }
    // Saves and opens the document again: the records then carry no stamps.
    void Reload() {
        ASSERT_TRUE(session.SaveTo(tree.Path("saved.tws")));
        ASSERT_TRUE(session.OpenFile(tree.Path("saved.tws")));
        ASSERT_EQ(session.Doc().stamps.Count(), 0u);
    }
    FileItem* Record(const std::string& name) const {
        for (const FileCatalog::Entry& entry : session.Doc().catalog)
            if (entry.item->GetFullPath() == tree.Path(name)) return entry.item;
        return nullptr;
    }
    DeleteList Tick(const std::vector<std::string>& names) {
        std::vector<FileItem*> files;
        for (const std::string& name : names) {
            files.push_back(Record(name));
            EXPECT_TRUE(files.back()) << name;
        }
        return DeleteList(files);
    }
    // Deletes for good; the question about groups without a copy is answered
    // with answer and counted.
    DeletionReport Delete(DeleteList& list, bool answer = false) {
        DeletionHooks hooks;
        hooks.removeLastCopies = [&, answer](size_t groups, const std::vector<std::string>&) {
            questions.push_back(groups);
            return answer;
        };
        return list.DeleteTicked(session, remover, CleanupAction::Delete, journal, hooks);
    }
    static std::string Reasons(const DeletionReport& report) {
        std::string text;
        for (const DeletionFailure& failure : report.failures) text += failure.reason + ";";
        return text;
    }
    bool Exists(const std::string& name) const { return PathExists(tree.Path(name)); }
    void SetTime(const std::string& name, int64_t seconds, long nanos) {
        const timespec times[2] = {{0, UTIME_OMIT}, {seconds, nanos}};
        ASSERT_EQ(utimensat(AT_FDCWD, tree.Path(name).c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << name;
    }

    TemporaryTree tree;
    HeadlessPrompts prompts;
    RecordingProgress progress;
    RecordingCompareView view;
    AppSession session{prompts, progress, view};
    ResultModel model{session.Doc()};
    FakeRemover remover;
    CleanupJournal journal{tree.Path("journal/cleanup.jsonl")};
    std::vector<size_t> questions;
};

}  // namespace twinseek::testing
