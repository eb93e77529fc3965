#include "desktop/windows/ShutdownNoticePresenter.h"

#include "desktop/windows/ShutdownNotice.h"

namespace tidorax {

void ShutdownNoticePresenter::showShutdownNotice(const std::string& actionCaption) {
    ShutdownNotice* notice = notice_();
    notice->actionLabel->setText(QString::fromStdString(actionCaption));
    notice->show();
    notice->repaint();
}

void ShutdownNoticePresenter::pause(std::uint32_t milliseconds) {
    actions_.pause(milliseconds);
}

} // namespace tidorax
