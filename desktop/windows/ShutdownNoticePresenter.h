// The shutdown's view of the desktop: the shutdown notice window and a pause that
// keeps the windows painted.
#pragma once

#include "core/shutdown/ShutdownNoticeHost.h"
#include "desktop/DesktopActions.h"

namespace tidorax {

class ShutdownNoticePresenter : public ShutdownNoticeHost {
public:
    explicit ShutdownNoticePresenter(DesktopActions& actions) : actions_(actions) {}

    void showShutdownNotice(const std::string& actionCaption) override;
    void pause(std::uint32_t milliseconds) override;

private:
    DesktopActions& actions_;
};

} // namespace tidorax
