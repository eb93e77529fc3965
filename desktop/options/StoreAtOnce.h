// Runs a change of the settings store as one piece, stored whole or not at all, what it
// reads first read within the piece. False when the store (held by another program, or
// unusable) took none of it: the user is then told, never left believing it stored.
#pragma once

#include <functional>

namespace tidorax {

bool StoreAtOnce(const std::function<bool()>& change);

} // namespace tidorax
