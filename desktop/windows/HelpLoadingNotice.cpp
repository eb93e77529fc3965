#include "desktop/windows/HelpLoadingNotice.h"

#include "core/settings/CleaningSettings.h"
#include "desktop/windows/ConfigurationLoadingNotice.h"
#include "desktop/windows/HelpWindow.h"

#include <QCloseEvent>

namespace tidorax {

namespace {

HelpLoadingNotice* theHelpLoadingNotice = nullptr;

const CountingNotice::Design kDesign = {
    "HelpLoadingNotice",
    "Help File Loading",
    "      Help File Loading              Please Read The         \"Main Program Operation\"",
    4725,
    2280,
    120,
    120,
    4575,
    2175,
    1800,
    1680,
    1215,
    735,
    350,
};

} // namespace

HelpLoadingNotice* HelpLoadingNotice::instance() {
    if (theHelpLoadingNotice == nullptr) {
        theHelpLoadingNotice = new HelpLoadingNotice();
    }
    return theHelpLoadingNotice;
}

HelpLoadingNotice* HelpLoadingNotice::loaded() {
    return theHelpLoadingNotice;
}

HelpLoadingNotice::HelpLoadingNotice() : CountingNotice(kDesign), pauseTimer(new QTimer(this)) {
    pauseTimer->setInterval(100);
    pauseTimer->setSingleShot(true);
    connect(pauseTimer, &QTimer::timeout, this, &HelpLoadingNotice::pauseTimerElapsed);
}

HelpLoadingNotice::~HelpLoadingNotice() {
    if (theHelpLoadingNotice == this) {
        theHelpLoadingNotice = nullptr;
    }
}

void HelpLoadingNotice::countFinished() {
    HelpWindow* help = HelpWindow::showHelp();
    if (help == nullptr) {
        // No help to read: the sequence goes on at once.
        helpClosed();
        return;
    }
    waitingForHelp_ = true;
    connect(help, &HelpWindow::closed, this, &HelpLoadingNotice::helpClosed);
}

void HelpLoadingNotice::helpClosed() {
    waitingForHelp_ = false;
    if (!closing_) {
        pauseTimer->start();
    }
}

void HelpLoadingNotice::pauseTimerElapsed() {
    pauseTimer->stop();
    if (closing_) {
        return;
    }
    ConfigurationLoadingNotice::instance()->load();
    RecordFirstRunDone();
    close();
}

void HelpLoadingNotice::closeEvent(QCloseEvent* event) {
    closing_ = true;
    pauseTimer->stop();
    if (theHelpLoadingNotice == this) {
        theHelpLoadingNotice = nullptr;
    }
    CountingNotice::closeEvent(event);
}

} // namespace tidorax
