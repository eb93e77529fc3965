#include "desktop/options/ListKeys.h"

#include <QAbstractItemView>
#include <QKeyEvent>

namespace tidorax {

ListKeys::ListKeys(QAbstractItemView* list, bool withDelete, Action action)
    : QObject(list), list_(list), withDelete_(withDelete), action_(std::move(action)) {}

void ListKeys::Add(QAbstractItemView* list, bool withDelete, Action action) {
    list->installEventFilter(new ListKeys(list, withDelete, std::move(action)));
}

bool ListKeys::eventFilter(QObject* /*watched*/, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (!enter && !(withDelete_ && key == Qt::Key_Delete)) {
        return false;
    }
    const QModelIndex current = list_->currentIndex();
    if (current.isValid() && list_->selectionModel()->isSelected(current)) {
        action_(current);
    }
    return true;
}

} // namespace tidorax
