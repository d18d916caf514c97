// Catalogues real folders into a session's document, as a finished scan does,
// and compares them to the end; and what tests of the disk around it share.
#pragma once

#include "cli/ScanWaiter.h"
#include "document/HeadlessPrompts.h"
#include "scan/ScanEngine.h"
#include "session/AppSession.h"
#include "tests/compare/CompareTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <grp.h>
#include <optional>
#include <string>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace twinseek::testing {

// A session whose prompts, progress and view write down what they are told.
struct RecordingSession {
    HeadlessPrompts prompts;
    RecordingProgress progress;
    RecordingCompareView view;
    AppSession session{prompts, progress, view};
};

// Commits the scan as the wizard's Finish does, or cancels it; counts (if
// any) get what it found.
inline void ScanIntoSession(AppSession& session, const std::string& root, bool commit = true,
                            RefreshCounts* counts = nullptr) {
    ScanWaiter waiter;
    Document& document = session.Doc();
    ScanEngine engine(document.root, &document.intake, &document.links, &document.scanChanges, &waiter);
    ASSERT_TRUE(engine.Start({root}));
    ASSERT_TRUE(waiter.WaitForDone(std::chrono::seconds(60)));
    engine.Wait();
    RefreshCounts found = document.CommitScan(commit);
    if (counts) *counts = found;
}

// Collects until the session's comparison has ended; false if it never does.
inline bool CollectUntilDone(AppSession& session) {
    return WaitUntil([&] {
        session.Comparing().OnCollectTimer();
        return !session.IsComparing();
    });
}

// The record of a file, by its full path or else by its name.
inline FileItem* RecordOf(const Document& document, std::string_view pathOrName) {
    for (const FileCatalog::Entry& entry : document.catalog)
        if (entry.item->GetFullPath() == pathOrName || entry.item->Name() == pathOrName) return entry.item;
    return nullptr;
}

// Runs body in a child that first becomes an unprivileged user (tests may run
// as root, whom no permission stops); nullopt when it may not become one.
inline std::optional<bool> AsUnprivilegedUser(const std::function<bool()>& body) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        // exit_group, not _exit: a sanitizer's exit check would count the parent's
        // not yet joined workers as the child's leaks and change its status.
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
            syscall(SYS_exit_group, 100);
        syscall(SYS_exit_group, body() ? 0 : 1);
    }
    int status = -1;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return false;
    if (WEXITSTATUS(status) == 100) return std::nullopt;
    return WEXITSTATUS(status) == 0;
}

}  // namespace twinseek::testing
