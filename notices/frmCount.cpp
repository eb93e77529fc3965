#include "notices/frmCount.h"

#include "engine/WorkingLists.h"
#include "notices/CountPlacement.h"
#include "notices/QtScreen.h"
#include "startup/AuxiliaryWindows.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

#include <cmath>
#include <utility>

namespace tidorax {

namespace {

frmCount* theCountWindow = nullptr;

std::function<ScreenMetrics()>& screenMetricsSource() {
    static std::function<ScreenMetrics()> source;
    return source;
}

ScreenMetrics currentScreenMetrics(const QScreen* screen) {
    if (screenMetricsSource()) {
        return screenMetricsSource()();
    }
    return ScreenMetricsOf(screen);
}

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

frmCount* frmCount::instance() {
    if (theCountWindow == nullptr) {
        theCountWindow = new frmCount();
    }
    return theCountWindow;
}

frmCount* frmCount::loaded() {
    return theCountWindow;
}

void frmCount::setScreenMetricsSource(std::function<ScreenMetrics()> source) {
    screenMetricsSource() = std::move(source);
}

frmCount::frmCount()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      Label1(new QLabel(QStringLiteral("Label1"), this)),
      Label2(new QLabel(QStringLiteral("Files Cleaned"), this)), Timer1(new QTimer(this)), backColour_(0) {
    setObjectName(QStringLiteral("frmCount"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAutoFillBackground(true);
    setBackColor(COUNT_TRAY_BACK_COLOUR);

    const double tppX = TwipsPerPixelX();
    const double tppY = TwipsPerPixelY();
    setFixedSize(TwipsToPixels(kClientWidth, tppX), TwipsToPixels(kClientHeight, tppY));

    QFont bold = Label1->font();
    bold.setPointSizeF(8.25);
    bold.setBold(true);
    Label1->setFont(bold);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setGeometry(twipsRect(120, 120, 1095, 375, tppX, tppY));

    QFont regular = Label2->font();
    regular.setPointSizeF(8.25);
    regular.setBold(false);
    Label2->setFont(regular);
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setGeometry(twipsRect(0, 480, 1335, 255, tppX, tppY));

    Timer1->setInterval(1200);
    connect(Timer1, &QTimer::timeout, this, &frmCount::Timer1_Timer);
}

frmCount::~frmCount() {
    if (theCountWindow == this) {
        theCountWindow = nullptr;
    }
}

void frmCount::setBackColor(std::uint32_t bgr) {
    backColour_ = bgr;
    QPalette colours = palette();
    colours.setColor(QPalette::Window, ColourFromBgr(bgr));
    setPalette(colours);
}

void frmCount::ShowCount(const std::string& WindowName) {
    const bool fromTray = WindowName == "Form1";
    const QScreen* screen = fromTray ? screenOfTrayClick() : QGuiApplication::primaryScreen();
    const ScreenMetrics metrics = currentScreenMetrics(screen);
    const double tppX = metrics.twipsPerPixelX > 0 ? metrics.twipsPerPixelX : 15.0;
    const double tppY = metrics.twipsPerPixelY > 0 ? metrics.twipsPerPixelY : 15.0;
    const double width = this->width() * tppX;
    const double height = this->height() * tppY;
    // The arithmetic is the screen's own; LastMouseX is a position on the whole desktop.
    const QPoint origin = screen != nullptr ? screen->geometry().topLeft() : QPoint();
    const std::int64_t mouseX = LastMouseX - std::llround(origin.x() * tppX);

    const CountPlacement placement = PlaceCountWindow(WindowName, mouseX, width, height, metrics);
    move(origin.x() + static_cast<int>(std::floor(placement.left / tppX)),
         origin.y() + static_cast<int>(std::floor(placement.top / tppY)));
    setBackColor(placement.backColour);
    if (placement.hideOptionsWindow) {
        AuxiliaryWindows::HideOptionsWindow();
    }

    show();
    Timer1Tag = QString::fromStdString(WindowName);
    Timer1->start();
    Label1->clear();
    const MainWindowLists& lists = Form1Lists();
    Label1->setText(QString::fromStdString(CountCaption(lists.List7.size(), lists.List6.size())));
    repaint();
}

void frmCount::Timer1_Timer() {
    Timer1->stop();
    hide();
    if (Timer1Tag == QStringLiteral("Form2")) {
        AuxiliaryWindows::ShowOptionsWindow();
    }
    close();
}

void frmCount::closeEvent(QCloseEvent* event) {
    Timer1->stop();
    if (theCountWindow == this) {
        theCountWindow = nullptr;
    }
    event->accept();
}

} // namespace tidorax
