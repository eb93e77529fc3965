// What the tray commands ask of the desktop besides windows: long work that keeps
// the windows painted, pauses, and opening documents with the desktop's viewer.
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
    // Opens a document with the desktop's viewer and returns at once; a document that
    // does not exist opens nothing.
    virtual void openDocument(const std::string& path) = 0;
    // Opens a document with the desktop's viewer and returns when the process that the
    // desktop started has ended, or at once when nothing could be started.
    virtual void openAndWait(const std::string& path) = 0;
};

} // namespace tidorax
