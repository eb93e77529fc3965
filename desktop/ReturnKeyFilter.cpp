#include "desktop/ReturnKeyFilter.h"

#include <QAbstractButton>
#include <QKeyEvent>

namespace tidorax {

ReturnKeyFilter::ReturnKeyFilter(QObject* parent) : QObject(parent) {}

void ReturnKeyFilter::PressOnReturn(QAbstractButton* button) {
    button->installEventFilter(new ReturnKeyFilter(button));
}

bool ReturnKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    auto* button = qobject_cast<QAbstractButton*>(watched);
    if (button == nullptr || key->modifiers() & ~Qt::KeypadModifier ||
        (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)) {
        return false;
    }
    button->click();
    return true;
}

} // namespace tidorax
