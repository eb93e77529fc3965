// The already-running window: a second start that cannot hand over to the running
// program says so, and ends on OK or after five seconds.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

namespace tidorax {

class AlreadyRunningWindow : public QWidget {
    Q_OBJECT
public:
    // The one window, created in its design state when none exists.
    static AlreadyRunningWindow* instance();
    static AlreadyRunningWindow* loaded();

    // Shows the window modeless and starts its timer.
    void load();

    QLabel* messageLabel;
    QPushButton* okButton;
    QLabel* iconLabel;
    QTimer* closeTimer;

public slots:
    void okClicked();
    void closeTimerElapsed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    AlreadyRunningWindow();
    ~AlreadyRunningWindow() override;
};

} // namespace tidorax
