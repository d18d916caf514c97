// Lets a background thread run only on processor time nothing else wants.
#pragma once

namespace twinseek {

// Moves the calling thread to the idle scheduling class (SCHED_IDLE). A refusal
// by the system is ignored: the thread then keeps its priority.
void LowerCurrentThreadToIdlePriority();

}  // namespace twinseek
