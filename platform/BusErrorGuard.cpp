#include "platform/BusErrorGuard.h"

#include <csetjmp>
#include <csignal>
#include <mutex>

namespace twinseek {
namespace {

// The jump back to the guard this thread runs under, if any.
thread_local sigjmp_buf* activeGuard = nullptr;
struct sigaction previousAction;

void OnBusError(int signal, siginfo_t* info, void* ucontext) {
    if (sigjmp_buf* guard = activeGuard) {
        activeGuard = nullptr;
        siglongjmp(*guard, 1);
    }
    // Not ours: hand it to whoever had it before, or let it end the process.
    if (previousAction.sa_flags & SA_SIGINFO) {
        if (previousAction.sa_sigaction) return previousAction.sa_sigaction(signal, info, ucontext);
    } else if (previousAction.sa_handler != SIG_DFL && previousAction.sa_handler != SIG_IGN) {
        return previousAction.sa_handler(signal);
    }
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(SIGBUS, &fallback, nullptr);
    // Returning re-runs the faulting access, which now ends the process.
}

void InstallHandler() {
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, &previousAction);
}

}  // namespace

bool RunGuardedAgainstBusError(void (*work)(void* context), void* context) {
    static std::once_flag installed;
    std::call_once(installed, InstallHandler);
    sigjmp_buf jump;
    // Saving the signal mask lets the jump unblock SIGBUS again, which the
    // kernel blocked on entering the handler.
    if (sigsetjmp(jump, 1) != 0) return false;
    activeGuard = &jump;
    work(context);
    activeGuard = nullptr;
    return true;
}

}  // namespace twinseek
