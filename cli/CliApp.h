// Runs one twinseek-cli command line and returns the process exit status.
#pragma once

namespace twinseek {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int RunCli(int argc, char** argv);

}  // namespace twinseek
