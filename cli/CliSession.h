// The application's session as the headless front end runs it: no windows,
// no progress, and prompts that never ask and keep the errors to print.
#pragma once

#include "compare/CompareView.h"
#include "compare/ProgressIndicator.h"
#include "document/HeadlessPrompts.h"
#include "session/AppSession.h"

namespace twinseek {

class CliSession {
public:
    CliSession() : session(prompts, progress, view) {}
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    AppSession& App() { return session; }
    Document& Doc() { return session.Doc(); }
    ComparingList& Comparing() { return session.Comparing(); }
    FinishedList& Finished() { return session.Finished(); }
    HeadlessPrompts& Prompts() { return prompts; }

private:
    HeadlessPrompts prompts;
    NullProgressIndicator progress;
    NullCompareView view;
    AppSession session;
};

}  // namespace twinseek
