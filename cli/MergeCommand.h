// twinseek-cli merge: the catalogues of several documents (each machine's
// scan) put into one document, each input's paths moved as its --map options
// say, so that the copies across machines form groups.
#pragma once

#include "cli/CliOptions.h"

namespace twinseek {

class CliSession;

// Merges into the document of session, which is empty, and saves it; the exit status.
int RunMerge(const CliOptions& options, CliSession& session);

}  // namespace twinseek
