#include "desktop/windows/AlreadyRunningWindow.h"

#include "desktop/ExitProgram.h"
#include "desktop/QtScreen.h"
#include "desktop/ReturnKeyFilter.h"
#include "desktop/TrayIconImage.h"
#include "desktop/WindowPlacement.h"

#include <QCloseEvent>

namespace tidorax {

namespace {

constexpr std::uint32_t kBackColour = 0xE0E0E0;

} // namespace

AlreadyRunningWindow::AlreadyRunningWindow(std::function<void()> endProgram)
    : QWidget(nullptr, Qt::Dialog),
      messageLabel(new QLabel(tr("Tidora Is Already Running, Click Icon On Task Bar"), this)),
      okButton(new QPushButton(tr("OK"), this)), iconLabel(new QLabel(this)), closeTimer(new QTimer(this)),
      endProgram_(std::move(endProgram)) {
    setObjectName(QStringLiteral("AlreadyRunningWindow"));
    setWindowTitle(tr("Quillon Error Information"));
    setWindowIcon(TrayIconImage());
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, ColourFromBgr(kBackColour));
    colours.setColor(QPalette::Button, ColourFromBgr(kBackColour));
    setPalette(colours);

    const double tppX = TwipsPerPixelX();
    const double tppY = TwipsPerPixelY();
    auto px = [tppX](double twips) { return TwipsToPixels(twips, tppX); };
    auto py = [tppY](double twips) { return TwipsToPixels(twips, tppY); };
    setFixedSize(px(4425), py(1365));

    iconLabel->setGeometry(px(120), py(120), 32, 32);
    iconLabel->setPixmap(TrayIconImage().pixmap(32, 32));

    QFont font = messageLabel->font();
    font.setPointSize(12);
    font.setBold(true);
    font.setItalic(true);
    messageLabel->setFont(font);
    messageLabel->setWordWrap(true);
    messageLabel->setGeometry(px(720), py(60), px(3585), py(780));

    okButton->setGeometry(px(1680), py(900), px(1095), py(375));
    okButton->setDefault(true);
    ReturnKeyFilter::PressOnReturn(okButton);
    connect(okButton, &QPushButton::clicked, this, &AlreadyRunningWindow::okClicked);

    closeTimer->setInterval(5000);
    closeTimer->setSingleShot(false);
    connect(closeTimer, &QTimer::timeout, this, &AlreadyRunningWindow::closeTimerElapsed);
}

void AlreadyRunningWindow::load() {
    show();
    closeTimer->start();
}

void AlreadyRunningWindow::okClicked() {
    ExitProgram(endProgram_);
}

void AlreadyRunningWindow::closeTimerElapsed() {
    closeTimer->stop();
    ExitProgram(endProgram_);
}

void AlreadyRunningWindow::showEvent(QShowEvent* event) {
    FitOnScreen(this, true);
    QWidget::showEvent(event);
}

void AlreadyRunningWindow::closeEvent(QCloseEvent* event) {
    closeTimer->stop();
    event->accept();
    emit closed();
    // Closed by the user from its frame: nothing keeps this instance alive.
    if (event->spontaneous()) {
        endProgram_();
    }
}

} // namespace tidorax
