#include "desktop/InputBlocker.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace tidorax {

namespace {

int livingBlockers = 0;

bool isUserInput(const QObject* watched, const QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::ContextMenu:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
        return true;
    case QEvent::Close:
        // Every close reaches the native window as a spontaneous event, also one the
        // program asks for with close(); the widget itself tells them apart.
        return event->spontaneous() && watched->isWidgetType();
    default:
        return false;
    }
}

// A message box that the work itself asks for takes its answer from the user.
bool belongsToModalBox(QObject* watched) {
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) {
        return false;
    }
    if (const auto* widget = qobject_cast<const QWidget*>(watched)) {
        return widget->window() == modal;
    }
    if (const auto* window = qobject_cast<const QWindow*>(watched)) {
        return modal->windowHandle() == window;
    }
    return false;
}

} // namespace

InputBlocker::InputBlocker() {
    ++livingBlockers;
    QCoreApplication::instance()->installEventFilter(this);
}

InputBlocker::~InputBlocker() {
    QCoreApplication::instance()->removeEventFilter(this);
    --livingBlockers;
}

bool InputBlocker::active() {
    return livingBlockers > 0;
}

bool InputBlocker::eventFilter(QObject* watched, QEvent* event) {
    if (isUserInput(watched, event) && !belongsToModalBox(watched)) {
        event->ignore();
        return true;
    }
    return false;
}

} // namespace tidorax
