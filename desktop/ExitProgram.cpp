#include "desktop/ExitProgram.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace tidorax {

void RestoreDefaultMousePointer() {
    while (QApplication::overrideCursor() != nullptr) {
        QApplication::restoreOverrideCursor();
    }
}

void UnloadOtherWindows(QWidget* keep) {
    // Closing one window may close or delete others: hold guarded references.
    QList<QPointer<QWidget>> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget != keep && widget->windowType() != Qt::Desktop) {
            windows.append(widget);
        }
    }
    for (const QPointer<QWidget>& window : windows) {
        if (!window.isNull()) {
            window->close();
        }
    }
}

void ExitProgram(const std::function<void()>& end) {
    RestoreDefaultMousePointer();
    UnloadOtherWindows(nullptr);
    end();
}

void EndProgram() {
    QCoreApplication::exit(0);
}

} // namespace tidorax
