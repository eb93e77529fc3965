// The already-running window: a second start that cannot hand over to the running
// program says so, and ends on OK or after five seconds.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

namespace tidorax {

class frmErr : public QWidget {
    Q_OBJECT
public:
    // The one window, created in its design state when none exists.
    static frmErr* instance();
    static frmErr* loaded();

    // Shows the window modeless and starts its timer.
    void Form_Load();

    QLabel* Label1;
    QPushButton* Command1;
    QLabel* Image1;
    QTimer* Timer1;

public slots:
    void Command1_Click();
    void Timer1_Timer();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    frmErr();
    ~frmErr() override;
};

} // namespace tidorax
