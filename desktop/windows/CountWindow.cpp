#include "desktop/windows/CountWindow.h"

#include "core/geometry/CountPlacement.h"
#include "desktop/QtScreen.h"
#include "desktop/TrayIconImage.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

#include <cmath>
#include <utility>

namespace tidorax {

namespace {

// The screen that holds the horizontal position of the last click on the tray icon.
const QScreen* screenOfTrayClick() {
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->geometry();
        const double tpp = TwipsPerPixelX(screen);
        const double x = static_cast<double>(LastMouseX) / tpp;
        if (x >= area.left() && x < area.left() + area.width()) {
            return screen;
        }
    }
    return QGuiApplication::primaryScreen();
}

// Design sizes in twips.
constexpr double kClientWidth = 1335;
constexpr double kClientHeight = 750;

QRect twipsRect(double left, double top, double width, double height, double tppX, double tppY) {
    return QRect(TwipsToPixels(left, tppX), TwipsToPixels(top, tppY), TwipsToPixels(width, tppX),
                 TwipsToPixels(height, tppY));
}

} // namespace

CountWindow::CountWindow(ScreenMetricsSource screenMetrics)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      countLabel(new QLabel(QStringLiteral("Label1"), this)),
      captionLabel(new QLabel(tr("Files Cleaned"), this)), closeTimer(new QTimer(this)),
      screenMetrics_(std::move(screenMetrics)), backColour_(0) {
    setObjectName(QStringLiteral("CountWindow"));
    setWindowIcon(TrayIconImage());
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAutoFillBackground(true);
    setBackColor(COUNT_TRAY_BACK_COLOUR);

    const double tppX = TwipsPerPixelX();
    const double tppY = TwipsPerPixelY();
    setFixedSize(TwipsToPixels(kClientWidth, tppX), TwipsToPixels(kClientHeight, tppY));

    QFont bold = countLabel->font();
    bold.setPointSizeF(8.25);
    bold.setBold(true);
    countLabel->setFont(bold);
    countLabel->setAlignment(Qt::AlignCenter);
    countLabel->setGeometry(twipsRect(120, 120, 1095, 375, tppX, tppY));

    QFont regular = captionLabel->font();
    regular.setPointSizeF(8.25);
    regular.setBold(false);
    captionLabel->setFont(regular);
    captionLabel->setAlignment(Qt::AlignCenter);
    captionLabel->setGeometry(twipsRect(0, 480, 1335, 255, tppX, tppY));

    closeTimer->setInterval(1200);
    connect(closeTimer, &QTimer::timeout, this, &CountWindow::closeTimerElapsed);
}

void CountWindow::setBackColor(std::uint32_t bgr) {
    backColour_ = bgr;
    QPalette colours = palette();
    colours.setColor(QPalette::Window, ColourFromBgr(bgr));
    setPalette(colours);
}

void CountWindow::ShowCount(StartedFrom from, std::size_t filesBefore, std::size_t filesAfter) {
    const bool fromTray = from == StartedFrom::TrayMenu;
    const QScreen* screen = fromTray ? screenOfTrayClick() : QGuiApplication::primaryScreen();
    const ScreenMetrics metrics = screenMetrics_(screen);
    const double tppX = metrics.twipsPerPixelX > 0 ? metrics.twipsPerPixelX : 15.0;
    const double tppY = metrics.twipsPerPixelY > 0 ? metrics.twipsPerPixelY : 15.0;
    const double width = this->width() * tppX;
    const double height = this->height() * tppY;
    // The arithmetic is the screen's own; LastMouseX is a position on the whole desktop.
    const QPoint origin = screen != nullptr ? screen->geometry().topLeft() : QPoint();
    const std::int64_t mouseX = LastMouseX - std::llround(origin.x() * tppX);

    const CountPlacement placement = PlaceCountWindow(from, mouseX, width, height, metrics);
    move(origin.x() + static_cast<int>(std::floor(placement.left / tppX)),
         origin.y() + static_cast<int>(std::floor(placement.top / tppY)));
    setBackColor(placement.backColour);
    if (placement.hideOptionsWindow) {
        emit hideOptionsRequested();
    }

    show();
    startedFrom = from;
    closeTimer->start();
    countLabel->clear();
    countLabel->setText(QString::fromStdString(CountCaption(filesBefore, filesAfter)));
    repaint();
}

void CountWindow::keepShown() {
    closeTimer->stop();
}

void CountWindow::closeTimerElapsed() {
    closeTimer->stop();
    hide();
    if (startedFrom == StartedFrom::OptionsWindow) {
        emit showOptionsRequested();
    }
    close();
}

void CountWindow::closeEvent(QCloseEvent* event) {
    closeTimer->stop();
    event->accept();
    emit closed();
}

} // namespace tidorax
