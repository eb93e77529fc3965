#include "desktop/ExitProgram.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include <utility>

namespace tidorax {

namespace {

std::function<void()>& endProgramHandler() {
    static std::function<void()> handler;
    return handler;
}

} // namespace

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

void ExitProgram() {
    RestoreDefaultMousePointer();
    UnloadOtherWindows(nullptr);
    EndProgram();
}

void EndProgram() {
    if (endProgramHandler()) {
        endProgramHandler()();
        return;
    }
    QCoreApplication::exit(0);
}

void setEndProgramHandler(std::function<void()> handler) {
    endProgramHandler() = std::move(handler);
}

} // namespace tidorax
