// The already-running window: a second start that cannot hand over to the running
// program says so, and ends on OK or after five seconds.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace tidorax {

class AlreadyRunningWindow : public QWidget {
    Q_OBJECT
public:
    // The window in its design state; endProgram ends the program.
    explicit AlreadyRunningWindow(std::function<void()> endProgram);

    // Shows the window modeless and starts its timer.
    void load();

    QLabel* messageLabel;
    QPushButton* okButton;
    QLabel* iconLabel;
    QTimer* closeTimer;

signals:
    void closed();

public slots:
    void okClicked();
    void closeTimerElapsed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<void()> endProgram_;
};

} // namespace tidorax
