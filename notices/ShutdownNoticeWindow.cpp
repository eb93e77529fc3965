#include "notices/ShutdownNoticeWindow.h"

#include "notices/frmShutdown.h"

namespace tidorax {

void ShutdownNoticeWindow::showShutdownNotice(const std::string& Label2Caption) {
    frmShutdown* notice = frmShutdown::instance();
    notice->Label2->setText(QString::fromStdString(Label2Caption));
    notice->show();
    notice->repaint();
}

void ShutdownNoticeWindow::pause(std::uint32_t milliseconds) {
    actions_.pause(milliseconds);
}

} // namespace tidorax
