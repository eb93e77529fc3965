#include "desktop/windows/AboutWindow.h"

#include "core/notices/DonationAddress.h"
#include "core/notices/InternetConnection.h"
#include "desktop/ReturnKeyFilter.h"
#include "desktop/TrayIconImage.h"
#include "desktop/WindowPlacement.h"
#include "desktop/windows/AboutPicture.h"

#include <QCloseEvent>
#include <QRegularExpression>
#include <QShortcut>

#ifndef TIDORAX_DONATION_ACCOUNT
#define TIDORAX_DONATION_ACCOUNT "donations@quillon.example"
#endif

namespace tidorax {

namespace {

const char* const kMustBeConnected =
    QT_TRANSLATE_NOOP("tidorax::AboutWindow", "You Must Be Connected To The Internet To Use This Button");
const char* const kNoBrowser =
    QT_TRANSLATE_NOOP("tidorax::AboutWindow", "No Web Browser Could Be Started To Open The Donation Page");

const char* const kAboutText =
    QT_TRANSLATE_NOOP("tidorax::AboutWindow",
                      "Tidorax began as a small tool written to empty the web cache and the Temp folder "
                      "with one click on a tray icon. Version by version it learned to clean cookie files "
                      "while sparing the ones you keep, to empty folders of your own choosing, and to clean "
                      "and shut the computer down in one step.\n\n"
                      "Tidorax is free. If it keeps your computer tidy and you would like to support its "
                      "work, please make a donation with the button below. The button needs an active "
                      "Internet connection.");

// The lines of a designed text, which runs of two or more blanks break.
QString linesOf(const QString& text) {
    static const QRegularExpression kBreak(QStringLiteral(" {2,}"));
    return text.split(kBreak, Qt::SkipEmptyParts).join(QLatin1Char('\n'));
}

} // namespace

std::string AboutWindow::donationAddress() {
    return DonationPageAddress(TIDORAX_DONATION_ACCOUNT);
}

AboutWindow::AboutWindow(const DesktopServices& services)
    : QWidget(nullptr, Qt::Dialog), nameLabel(new QLabel(tr("Quillon Tidorax Utility"), this)),
      versionLabel(new QLabel(tr("Version  3.0"), this)),
      contactLabel(new QLabel(tr("Quillon Software  -  tidorax@quillon.example"), this)),
      aboutFrame(new QFrame(this)), aboutLabel(new QLabel(tr(kAboutText), aboutFrame)),
      connectingLabel(new QLabel(linesOf(tr("    Connecting      Please Wait")), aboutFrame)),
      pictureLabel(new QLabel(this)),
      donateButton(new QPushButton(tr("Click Here To Make A Donation"), this)), closeTimer(new QTimer(this)),
      services_(services) {
    setObjectName(QStringLiteral("AboutWindow"));
    setWindowTitle(tr("  Quillon Tidorax----About File"));
    setWindowIcon(TrayIconImage());
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(520, 340);

    pictureLabel->setGeometry(14, 14, 150, 180);
    pictureLabel->setPixmap(AboutPicture());

    QFont nameFont = nameLabel->font();
    nameFont.setPointSize(14);
    nameFont.setBold(true);
    nameLabel->setFont(nameFont);
    nameLabel->setGeometry(178, 14, 328, 28);
    QFont versionFont = versionLabel->font();
    versionFont.setBold(true);
    versionLabel->setFont(versionFont);
    versionLabel->setGeometry(178, 44, 328, 20);
    contactLabel->setGeometry(178, 66, 328, 20);

    aboutFrame->setFrameShape(QFrame::Box);
    aboutFrame->setFrameShadow(QFrame::Sunken);
    aboutFrame->setGeometry(178, 94, 328, 190);
    aboutLabel->setWordWrap(true);
    aboutLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    aboutLabel->setGeometry(8, 8, 312, 174);
    QFont connectingFont = connectingLabel->font();
    connectingFont.setPointSize(16);
    connectingFont.setBold(true);
    connectingLabel->setFont(connectingFont);
    connectingLabel->setTextFormat(Qt::PlainText);
    connectingLabel->setAlignment(Qt::AlignCenter);
    connectingLabel->setGeometry(8, 8, 312, 174);
    connectingLabel->hide();

    donateButton->setGeometry(178, 296, 328, 32);
    connect(donateButton, &QPushButton::clicked, this, &AboutWindow::donateClicked);
    ReturnKeyFilter::PressOnReturn(donateButton);
    // Escape closes the window, as its close box does.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);

    closeTimer->setInterval(500);
    closeTimer->setSingleShot(true);
    connect(closeTimer, &QTimer::timeout, this, &AboutWindow::closeTimerElapsed);
}

void AboutWindow::load() {
    if (!isVisible()) {
        FitOnScreen(this, true);
    }
    show();
    raise();
    activateWindow();
}

void AboutWindow::donateClicked() {
    const QUrl address(QString::fromStdString(donationAddress()));
    if (services_.connectionText(address) == kNotConnected) {
        hide();
        services_.messages.show(tr(kMustBeConnected).toStdString(), MessageKind::Information);
        show();
        return;
    }
    donateButton->setEnabled(false);
    aboutLabel->hide();
    connectingLabel->show();
    // A browser cannot tell when its page is complete: the page counts as loaded once
    // the browser has taken the address.
    if (!services_.openInBrowser(address)) {
        services_.messages.show(tr(kNoBrowser).toStdString(), MessageKind::Information);
        showAboutText();
        return;
    }
    closeTimer->start();
}

void AboutWindow::closeTimerElapsed() {
    closeTimer->stop();
    hide();
    showAboutText();
    close();
}

void AboutWindow::showAboutText() {
    connectingLabel->hide();
    aboutLabel->show();
    donateButton->setEnabled(true);
}

void AboutWindow::closeEvent(QCloseEvent* event) {
    closeTimer->stop();
    event->accept();
    emit closed();
}

} // namespace tidorax
