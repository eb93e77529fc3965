// What the shutdown needs from the desktop: the notice window and a pause.
#pragma once

#include <cstdint>
#include <string>

namespace tidorax {

class ShutdownNoticeHost {
public:
    virtual ~ShutdownNoticeHost() = default;
    // Loads the shutdown notice with its second line set to actionCaption, shows it
    // (not modal) and repaints it.
    virtual void showShutdownNotice(const std::string& actionCaption) = 0;
    virtual void pause(std::uint32_t milliseconds) = 0;
};

} // namespace tidorax
