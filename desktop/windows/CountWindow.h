// The count window: how many files a cleaning run removed, shown for 1.2 seconds
// above the taskbar where the tray icon was clicked (a run from the tray menu), or in
// the middle of the usable screen with the options window hidden meanwhile (a run
// from the options window).
#pragma once

#include "core/StartedFrom.h"
#include "core/geometry/ScreenMetrics.h"

#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <cstddef>
#include <functional>

namespace tidorax {

class CountWindow : public QWidget {
    Q_OBJECT
public:
    // The one count window, created in its design state when none exists.
    static CountWindow* instance();
    // The count window when one is loaded, else nullptr.
    static CountWindow* loaded();

    // Where the screen's metrics come from (the primary screen by default); a test
    // may describe its own screen. An empty function restores the default.
    static void setScreenMetricsSource(std::function<ScreenMetrics()> source);

    // Shows filesBefore - filesAfter, the files the run removed.
    void ShowCount(StartedFrom from, std::size_t filesBefore, std::size_t filesAfter);
    // Keeps the count on the screen instead of closing it after 1.2 seconds (while the
    // system is being shut down).
    void keepShown();

    QLabel* countLabel;
    QLabel* captionLabel;
    QTimer* closeTimer;
    // Where the run whose count shows was started.
    StartedFrom startedFrom = StartedFrom::TrayMenu;

    // The window's back colour, &HBBGGRR.
    std::uint32_t BackColor() const { return backColour_; }

public slots:
    void closeTimerElapsed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CountWindow();
    ~CountWindow() override;
    void setBackColor(std::uint32_t bgr);

    std::uint32_t backColour_;
};

} // namespace tidorax
