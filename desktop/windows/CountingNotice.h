// A small grey notice that counts from 1 to 5 while something loads: the counter
// advances on every tick of countTimer, and restTimer hands the turn back, so that
// the count moves once per two intervals. The tick that reads 5 writes 6, stops both
// timers, hides the window and lets the notice go on (countFinished).
#pragma once

#include <QLabel>
#include <QTimer>
#include <QWidget>

namespace tidorax {

class CountingNotice : public QWidget {
    Q_OBJECT
public:
    // The design of one notice: client size and label places in twips.
    struct Design {
        const char* objectName;
        const char* title;
        const char* message;
        double width;
        double height;
        double messageLeft, messageTop, messageWidth, messageHeight;
        double counterLeft, counterTop, counterWidth, counterHeight;
        int interval;
    };

    // Centres the window on the screen, shows it modeless with the counter at "1",
    // and starts counting.
    void load();

    QLabel* messageLabel;
    QLabel* counterLabel;
    QTimer* countTimer;
    QTimer* restTimer;

signals:
    void closed();

public slots:
    void countTimerElapsed();
    void restTimerElapsed();

protected:
    explicit CountingNotice(const Design& design);

    // Runs once the count is over, with the window hidden and both timers stopped.
    virtual void countFinished() = 0;

    void closeEvent(QCloseEvent* event) override;
};

} // namespace tidorax
