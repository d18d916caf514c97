// Catalogues real folders into a session's document, as a finished scan does.
#pragma once

#include "cli/ScanWaiter.h"
#include "scan/ScanEngine.h"
#include "session/AppSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace twinseek::testing {

inline void ScanIntoSession(AppSession& session, const std::string& root) {
    ScanWaiter waiter;
    Document& document = session.Doc();
    ScanEngine engine(document.root, &document.intake, &document.links, &waiter);
    ASSERT_TRUE(engine.Start({root}));
    ASSERT_TRUE(waiter.WaitForDone(std::chrono::seconds(60)));
    engine.Wait();
    document.CommitScan(true);
}

}  // namespace twinseek::testing
