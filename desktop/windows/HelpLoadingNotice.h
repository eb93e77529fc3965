// The first notice of a first run: the help is loading and which topic to read. When
// its count is over it asks for the help (the tray controller shows it) and waits,
// without holding up the rest of the program, until the user has closed the help
// window; 100 ms later it asks for the configuration notice, records that the first
// run is over and closes.
#pragma once

#include "desktop/windows/CountingNotice.h"

namespace tidorax {

class HelpWindow;

class HelpLoadingNotice : public CountingNotice {
    Q_OBJECT
public:
    // The notice in its design state.
    HelpLoadingNotice();

    // Waits until the help window shown after the count is closed; without one (no
    // help to read) the sequence goes on at once.
    void waitFor(HelpWindow* help);

    // The pause between the help window's close and the configuration notice.
    QTimer* pauseTimer;

    // True while the notice waits for the help window to close.
    bool waitingForHelp() const { return waitingForHelp_; }

signals:
    // The count is over: the help is to show, and waitFor told of its window.
    void helpWanted();
    // The help was read: the configuration notice is to show.
    void configurationWanted();

public slots:
    void helpClosed();
    void pauseTimerElapsed();

protected:
    void countFinished() override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool waitingForHelp_ = false;
    bool closing_ = false;
};

} // namespace tidorax
