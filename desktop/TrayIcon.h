// The program's icon in the desktop's tray, with the tip "Quillon Tidorax", named
// "tidorax" from the icon theme where one holds it. In an X11 (XEmbed) tray a left or
// right click on it is reported as released() when the button goes up; a
// StatusNotifierItem host gets the tray menu itself, and its Activate and ContextMenu
// are reported at once, at the point the host names. Every other mouse event on the icon
// does nothing.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSystemTrayIcon>

class QMenu;

namespace tidorax {

class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(QObject* parent = nullptr);

    // The menu that a StatusNotifierItem host shows itself (exported over D-Bus).
    void setMenu(QMenu* menu) { menu_ = menu; }
    // Puts the icon up: 1 when it is up, 0 when there is no tray to put it in.
    int ShellTrayAdd();
    // Takes the icon down.
    void ShellTrayRemove();
    bool isUp() const { return icon_.isVisible(); }
    QString toolTip() const { return icon_.toolTip(); }
    QIcon icon() const { return icon_.icon(); }
    // The menu handed to the tray host, nullptr in an X11 tray (where the program
    // opens it itself, on the button's release).
    QMenu* exportedMenu() const { return icon_.contextMenu(); }

public slots:
    // What the tray reports about a mouse event on the icon.
    void onActivated(QSystemTrayIcon::ActivationReason reason);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // A left or right button click on the icon, at a point on the desktop.
    void released(const QPoint& globalPosition);

private:
    // The X11 tray's window of the icon, or nullptr where the tray reports releases.
    QObject* trayWindow();

    QSystemTrayIcon icon_;
    QMenu* menu_ = nullptr;
    // Qt makes the window afresh when the tray host comes back.
    QPointer<QObject> trayWindow_;
    bool awaitingRelease_ = false;
};

} // namespace tidorax
