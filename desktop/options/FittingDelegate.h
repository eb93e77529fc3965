// Draws a list's entries as wide as the list shows them, so that a long entry is
// shortened as the list's elide mode says instead of being cut at the list's edge.
#pragma once

#include <QStyledItemDelegate>

class QAbstractItemView;

namespace tidorax {

class FittingDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit FittingDelegate(QAbstractItemView* view);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QAbstractItemView* view_;
};

} // namespace tidorax
