// Catalogues real folders into a session's document, as a finished scan does,
// and compares them to the end.
#pragma once

#include "cli/ScanWaiter.h"
#include "scan/ScanEngine.h"
#include "session/AppSession.h"
#include "tests/compare/CompareTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace twinseek::testing {

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

}  // namespace twinseek::testing
