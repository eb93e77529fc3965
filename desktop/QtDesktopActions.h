// The desktop actions of the running program: work on a thread of its own while the
// user-interface thread keeps painting under an InputBlocker, and pauses on a local
// event loop.
#pragma once

#include "desktop/DesktopActions.h"

namespace tidorax {

class QtDesktopActions : public DesktopActions {
public:
    void runWork(const std::function<void()>& work) override;
    void pause(std::uint32_t milliseconds) override;
};

} // namespace tidorax
