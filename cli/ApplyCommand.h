// twinseek-cli apply: a plan that clean --dry-run --format json wrote, carried
// out on the computer that holds the files, each file checked again first and
// the whole run journaled as clean's is.
#pragma once

#include "cli/CliOptions.h"

namespace twinseek {

int RunApply(const CliOptions& options);

}  // namespace twinseek
