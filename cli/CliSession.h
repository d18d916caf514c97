// The document and the lists that follow a comparison, wired together as the
// desktop program wires them, for one command of the headless front end.
#pragma once

#include "compare/CompareView.h"
#include "compare/ComparingList.h"
#include "compare/FinishedList.h"
#include "compare/ProgressIndicator.h"
#include "document/Document.h"
#include "document/HeadlessPrompts.h"

namespace twinseek {

class CliSession {
public:
    CliSession();
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    Document& Doc() { return document; }
    ComparingList& Comparing() { return comparing; }
    FinishedList& Finished() { return finished; }
    HeadlessPrompts& Prompts() { return prompts; }

private:
    HeadlessPrompts prompts;
    NullProgressIndicator progress;
    NullCompareView view;
    Document document;
    FinishedList finished;
    ComparingList comparing;
};

}  // namespace twinseek
