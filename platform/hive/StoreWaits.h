// How long a call on the registry hive waits for another process or thread that holds
// the store before it fails: 10 seconds unless the calling thread set a limit of its
// own. A thread that must stay responsive (the user-interface thread) sets a short one.
// A thread that has just given up waiting does not wait again for a second: the many
// calls of one action wait once in all.
#pragma once

namespace tidorax {

inline constexpr int kDefaultStoreWaitMs = 10000;

// The longest wait of the hive calls this thread makes from now on.
void SetStoreWaitLimitOfThisThread(int milliseconds);
// How long this thread's next call may wait (0 just after it gave up), and noting that it
// gave up.
int StoreWaitNowOfThisThread();
void StoreWaitGivenUpByThisThread();

} // namespace tidorax
