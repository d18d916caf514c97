// Reading a memory-mapped file safely: a page past the end of a file that was
// cut short after it was mapped raises SIGBUS when touched. Work run under the
// guard ends instead of the process, and the caller learns it failed.
#pragma once

namespace twinseek {

// Runs work(context) on this thread. Returns false, with work abandoned where it
// stood, when it touched a mapped page that no longer has a file behind it.
// work must own nothing that needs a destructor at the moment it touches mapped
// memory: it is left by a jump, not by unwinding. Bus errors outside a guard
// keep their usual effect.
bool RunGuardedAgainstBusError(void (*work)(void* context), void* context);

}  // namespace twinseek
