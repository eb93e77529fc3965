#include "desktop/options/FittingDelegate.h"

#include <QAbstractItemView>

namespace tidorax {

FittingDelegate::FittingDelegate(QAbstractItemView* view) : QStyledItemDelegate(view), view_(view) {}

QSize FittingDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return {view_->viewport()->width(), QStyledItemDelegate::sizeHint(option, index).height()};
}

} // namespace tidorax
