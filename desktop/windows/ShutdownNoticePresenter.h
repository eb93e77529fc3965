// The shutdown's view of the desktop: the shutdown notice window and a pause that
// keeps the windows painted.
#pragma once

#include "core/shutdown/ShutdownNoticeHost.h"
#include "desktop/DesktopActions.h"

#include <functional>

namespace tidorax {

class ShutdownNotice;

class ShutdownNoticePresenter : public ShutdownNoticeHost {
public:
    // notice gives the notice window, made when none is loaded.
    ShutdownNoticePresenter(DesktopActions& actions, std::function<ShutdownNotice*()> notice)
        : actions_(actions), notice_(std::move(notice)) {}

    void showShutdownNotice(const std::string& actionCaption) override;
    void pause(std::uint32_t milliseconds) override;

private:
    DesktopActions& actions_;
    std::function<ShutdownNotice*()> notice_;
};

} // namespace tidorax
