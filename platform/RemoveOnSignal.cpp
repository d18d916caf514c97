#include "platform/RemoveOnSignal.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <pthread.h>
#include <unistd.h>

namespace twinseek {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr size_t kSignalCount = sizeof kSignals / sizeof kSignals[0];

// Read by the handler, so kept in static storage and published through an
// atomic flag (lock-free atomics may be used in a signal handler).
char trackedPath[PATH_MAX];
std::atomic<bool> tracking{false};
std::atomic<bool> guardInUse{false};
struct sigaction previousActions[kSignalCount];
bool replaced[kSignalCount];

static_assert(std::atomic<bool>::is_always_lock_free);

// Installed with SA_RESETHAND and SA_NODEFER: the action is the default again
// when this runs, so raising the signal ends the process with its status.
extern "C" void RemoveTrackedFileAndEnd(int signalNumber) {
    int savedErrno = errno;
    if (tracking.load()) unlink(trackedPath);
    raise(signalNumber);
    errno = savedErrno;
}

sigset_t GuardedSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int signalNumber : kSignals) sigaddset(&set, signalNumber);
    return set;
}

}  // namespace

RemoveOnSignal::RemoveOnSignal() {
    if (guardInUse.exchange(true)) return;
    active = true;
    sigset_t set = GuardedSignals();
    holding = pthread_sigmask(SIG_BLOCK, &set, nullptr) == 0;
    for (size_t i = 0; i < kSignalCount; ++i) {
        replaced[i] = false;
        if (sigaction(kSignals[i], nullptr, &previousActions[i]) != 0) continue;
        // A signal the program ignores or handles itself is left to it.
        bool isDefault = !(previousActions[i].sa_flags & SA_SIGINFO) && previousActions[i].sa_handler == SIG_DFL;
        if (!isDefault) continue;
        struct sigaction action {};
        action.sa_handler = RemoveTrackedFileAndEnd;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND | SA_NODEFER;
        replaced[i] = sigaction(kSignals[i], &action, nullptr) == 0;
    }
}

RemoveOnSignal::~RemoveOnSignal() {
    if (!active) return;
    Forget();
    for (size_t i = 0; i < kSignalCount; ++i)
        if (replaced[i]) sigaction(kSignals[i], &previousActions[i], nullptr);
    // A signal held back until now meets the program's own action.
    if (holding) {
        sigset_t set = GuardedSignals();
        pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    }
    guardInUse.store(false);
}

bool RemoveOnSignal::Track(const std::string& path) {
    if (!active) return false;
    bool kept = path.size() < sizeof trackedPath;
    if (kept) {
        std::memcpy(trackedPath, path.c_str(), path.size() + 1);
        tracking.store(true);
    }
    if (holding) {
        sigset_t set = GuardedSignals();
        pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        holding = false;
    }
    return kept;
}

void RemoveOnSignal::Forget() { tracking.store(false); }

}  // namespace twinseek
