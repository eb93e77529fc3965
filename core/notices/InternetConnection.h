// Whether the system reports an Internet connection, told as the About window asks
// for it: only "Not Connected" means that no connection is reported.
#pragma once

#include <string>

namespace tidorax {

// What the system's network state reports about reaching the Internet. Unknown: no
// source of the state is available, which counts as connected.
enum class Reachability { Unknown, Disconnected, Local, Site, Online };

inline constexpr const char* kNotConnected = "Not Connected";

// "Not Connected" when the state says disconnected; for a network the system reaches
// (local, site or online) the description of a configured LAN connection, with the
// proxy mentioned when one is used; the empty text when the state is unknown.
std::string ConnectionText(Reachability state, bool usesProxy);

} // namespace tidorax
