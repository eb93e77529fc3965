// The count window: how many files a cleaning run removed, shown for 1.2 seconds
// above the taskbar where the tray icon was clicked ("Form1"), or in the middle of
// the usable screen with the options window hidden meanwhile ("Form2").
#pragma once

#include "core/geometry/ScreenMetrics.h"

#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <string>

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

    void ShowCount(const std::string& WindowName);

    QLabel* countLabel;
    QLabel* captionLabel;
    QTimer* closeTimer;
    // The name of the window that asked for the count, while the count shows.
    QString startedFrom;

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
