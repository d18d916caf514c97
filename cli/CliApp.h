// Runs one twinseek-cli command line and returns the process exit status.
#pragma once

namespace twinseek {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// What becomes of the catalogue when a command is done. The program itself
// leaves it to the system, which takes it back at once when the process ends,
// where freeing a large catalogue record by record takes a while; callers that
// go on running free it.
enum class SessionTeardown { Free, LeaveToSystem };

int RunCli(int argc, char** argv, SessionTeardown teardown = SessionTeardown::Free);

}  // namespace twinseek
