// The program's icon in the desktop's tray, with the tip "Quillon Tidorax". A left or
// right click on it is reported as released() when the button goes up; every other
// mouse event on it does nothing.
#pragma once

#include <QObject>
#include <QSystemTrayIcon>

namespace tidorax {

class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(QObject* parent = nullptr);

    // Puts the icon up: 1 when it is up, 0 when there is no tray to put it in.
    int ShellTrayAdd();
    // Takes the icon down.
    void ShellTrayRemove();
    bool isUp() const { return icon_.isVisible(); }
    QString toolTip() const { return icon_.toolTip(); }
    QIcon icon() const { return icon_.icon(); }

public slots:
    // What the tray reports about a mouse event on the icon.
    void onActivated(QSystemTrayIcon::ActivationReason reason);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // A left or right button click on the icon.
    void released();

private:
    // The X11 tray's window of the icon, or nullptr where the tray reports releases.
    QObject* trayWindow();

    QSystemTrayIcon icon_;
    QObject* trayWindow_ = nullptr;
    bool awaitingRelease_ = false;
};

} // namespace tidorax
