#include "desktop/windows/HelpLoadingNotice.h"

#include "core/settings/CleaningSettings.h"
#include "desktop/windows/HelpWindow.h"

#include <QCloseEvent>

namespace tidorax {

namespace {

const CountingNotice::Design kDesign = {
    "HelpLoadingNotice",
    QT_TRANSLATE_NOOP("tidorax::CountingNotice", "Help File Loading"),
    QT_TRANSLATE_NOOP(
        "tidorax::CountingNotice",
        "      Help File Loading              Please Read The         \"Main Program Operation\""),
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

HelpLoadingNotice::HelpLoadingNotice() : CountingNotice(kDesign), pauseTimer(new QTimer(this)) {
    pauseTimer->setInterval(100);
    pauseTimer->setSingleShot(true);
    connect(pauseTimer, &QTimer::timeout, this, &HelpLoadingNotice::pauseTimerElapsed);
}

void HelpLoadingNotice::countFinished() {
    emit helpWanted();
}

void HelpLoadingNotice::waitFor(HelpWindow* help) {
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
    emit configurationWanted();
    RecordFirstRunDone();
    close();
}

void HelpLoadingNotice::closeEvent(QCloseEvent* event) {
    closing_ = true;
    pauseTimer->stop();
    CountingNotice::closeEvent(event);
}

} // namespace tidorax
