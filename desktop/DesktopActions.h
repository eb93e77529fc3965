// What the tray commands ask of the desktop besides windows: long work and pauses
// that keep the windows painted.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace tidorax {

class DesktopActions {
public:
    virtual ~DesktopActions() = default;
    // Runs the work to its end. Windows keep repainting meanwhile and accept no input.
    virtual void runWork(const std::function<void()>& work) = 0;
    // Waits the given time. Windows keep repainting meanwhile and accept no input.
    virtual void pause(std::uint32_t milliseconds) = 0;
};

} // namespace tidorax
