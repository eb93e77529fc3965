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

class QScreen;

namespace tidorax {

class CountWindow : public QWidget {
    Q_OBJECT
public:
    // The metrics of the screen the count shows on.
    using ScreenMetricsSource = std::function<ScreenMetrics(const QScreen*)>;

    // The window in its design state.
    explicit CountWindow(ScreenMetricsSource screenMetrics);

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

signals:
    // A run from the options window hides it while its count shows, and shows it
    // again when the count closes.
    void hideOptionsRequested();
    void showOptionsRequested();
    void closed();

public slots:
    void closeTimerElapsed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setBackColor(std::uint32_t bgr);

    ScreenMetricsSource screenMetrics_;
    std::uint32_t backColour_;
};

} // namespace tidorax
