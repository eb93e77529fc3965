#include "notices/frmErr.h"

#include "notices/QtScreen.h"
#include "notices/UnloadAllForms.h"
#include "startup/TrayIconImage.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

namespace tidorax {

namespace {

frmErr* theAlreadyRunningWindow = nullptr;

constexpr std::uint32_t kBackColour = 0xE0E0E0;

} // namespace

frmErr* frmErr::instance() {
    if (theAlreadyRunningWindow == nullptr) {
        theAlreadyRunningWindow = new frmErr();
    }
    return theAlreadyRunningWindow;
}

frmErr* frmErr::loaded() {
    return theAlreadyRunningWindow;
}

frmErr::frmErr()
    : QWidget(nullptr, Qt::Dialog),
      Label1(new QLabel(QStringLiteral("Tidora Is Already Running, Click Icon On Task Bar"), this)),
      Command1(new QPushButton(QStringLiteral("OK"), this)), Image1(new QLabel(this)),
      Timer1(new QTimer(this)) {
    setObjectName(QStringLiteral("frmErr"));
    setWindowTitle(QStringLiteral("Quillon Error Information"));
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

    Image1->setGeometry(px(120), py(120), 32, 32);
    Image1->setPixmap(TrayIconImage().pixmap(32, 32));

    QFont font = Label1->font();
    font.setPointSize(12);
    font.setBold(true);
    font.setItalic(true);
    Label1->setFont(font);
    Label1->setWordWrap(true);
    Label1->setGeometry(px(720), py(60), px(3585), py(780));

    Command1->setGeometry(px(1680), py(900), px(1095), py(375));
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &frmErr::Command1_Click);

    Timer1->setInterval(5000);
    Timer1->setSingleShot(false);
    connect(Timer1, &QTimer::timeout, this, &frmErr::Timer1_Timer);
}

frmErr::~frmErr() {
    if (theAlreadyRunningWindow == this) {
        theAlreadyRunningWindow = nullptr;
    }
}

void frmErr::Form_Load() {
    show();
    Timer1->start();
}

void frmErr::Command1_Click() {
    UnloadAllForms();
}

void frmErr::Timer1_Timer() {
    Timer1->stop();
    UnloadAllForms();
}

void frmErr::showEvent(QShowEvent* event) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    QWidget::showEvent(event);
}

void frmErr::closeEvent(QCloseEvent* event) {
    Timer1->stop();
    if (theAlreadyRunningWindow == this) {
        theAlreadyRunningWindow = nullptr;
    }
    event->accept();
    // Closed by the user from its frame: nothing keeps this instance alive.
    if (event->spontaneous()) {
        EndProgram();
    }
}

} // namespace tidorax
