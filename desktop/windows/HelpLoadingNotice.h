// The first notice of a first run: the help is loading and which topic to read. When
// its count is over it shows the help and waits, without holding up the rest of the
// program, until the user has closed the help window; 100 ms later it shows the
// configuration notice, records that the first run is over and closes.
#pragma once

#include "desktop/windows/CountingNotice.h"

namespace tidorax {

class HelpLoadingNotice : public CountingNotice {
    Q_OBJECT
public:
    // The one notice, created in its design state when none exists.
    static HelpLoadingNotice* instance();
    static HelpLoadingNotice* loaded();

    // The pause between the help window's close and the configuration notice.
    QTimer* pauseTimer;

    // True while the notice waits for the help window to close.
    bool waitingForHelp() const { return waitingForHelp_; }

public slots:
    void helpClosed();
    void pauseTimerElapsed();

protected:
    void countFinished() override;
    void closeEvent(QCloseEvent* event) override;

private:
    HelpLoadingNotice();
    ~HelpLoadingNotice() override;

    bool waitingForHelp_ = false;
    bool closing_ = false;
};

} // namespace tidorax
