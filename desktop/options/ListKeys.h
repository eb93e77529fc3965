// The keys that do to a list's selected entry what a double-click does: Enter (and
// Return), and for a list of saved entries also Delete.
#pragma once

#include <QModelIndex>
#include <QObject>

#include <functional>

class QAbstractItemView;

namespace tidorax {

class ListKeys : public QObject {
    Q_OBJECT
public:
    using Action = std::function<void(const QModelIndex&)>;

    // Enter (and Delete when withDelete) on the list's current entry runs action.
    static void Add(QAbstractItemView* list, bool withDelete, Action action);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ListKeys(QAbstractItemView* list, bool withDelete, Action action);
    QAbstractItemView* list_;
    bool withDelete_;
    Action action_;
};

} // namespace tidorax
