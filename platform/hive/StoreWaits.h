// How long a call on the registry hive waits for another process or thread that holds
// the store before it fails: 10 seconds unless the calling thread set a limit of its
// own. A thread that must stay responsive (the user-interface thread) sets a short one.
#pragma once

namespace tidorax {

inline constexpr int kDefaultStoreWaitMs = 10000;

// The longest wait of the hive calls this thread makes from now on.
void SetStoreWaitLimitOfThisThread(int milliseconds);
int StoreWaitLimitOfThisThread();

} // namespace tidorax
