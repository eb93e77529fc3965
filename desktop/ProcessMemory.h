// The tray program mostly sleeps, and its few threads (cleaning, listing) hand what
// they found to the user-interface thread. With one malloc arena the memory such a
// result took goes back to the system when it is freed and trimmed, instead of staying
// in the arena of a thread that has ended.
#pragma once

namespace tidorax {

// Call before any other thread starts.
void UseOneMallocArena();

} // namespace tidorax
