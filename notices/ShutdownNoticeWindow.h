// The shutdown's view of the desktop: the shutdown notice window and a pause that
// keeps the windows painted.
#pragma once

#include "engine/ShutdownNoticeHost.h"
#include "startup/DesktopActions.h"

namespace tidorax {

class ShutdownNoticeWindow : public ShutdownNoticeHost {
public:
    explicit ShutdownNoticeWindow(DesktopActions& actions) : actions_(actions) {}

    void showShutdownNotice(const std::string& Label2Caption) override;
    void pause(std::uint32_t milliseconds) override;

private:
    DesktopActions& actions_;
};

} // namespace tidorax
