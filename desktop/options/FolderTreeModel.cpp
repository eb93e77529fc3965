#include "desktop/options/FolderTreeModel.h"

#include "core/cleaning/MountTable.h"
#include "desktop/options/BackgroundListing.h"
#include "desktop/options/FolderListing.h"

namespace tidorax {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kStateRole = Qt::UserRole + 1;
enum State { Unlisted = 0, Listing, Listed };

} // namespace

FolderTreeModel::FolderTreeModel(QObject* parent) : QStandardItemModel(parent) {
    child(invisibleRootItem(), QStringLiteral("/"), QStringLiteral("/"));
}

QStandardItem* FolderTreeModel::child(QStandardItem* parent, const QString& name, const QString& path) {
    for (int row = 0; row < parent->rowCount(); ++row) {
        if (parent->child(row)->text() == name) {
            return parent->child(row);
        }
    }
    auto* item = new QStandardItem(name);
    item->setEditable(false);
    item->setData(path, kPathRole);
    item->setData(Unlisted, kStateRole);
    item->setToolTip(path);
    parent->appendRow(item);
    return item;
}

QModelIndex FolderTreeModel::folderIndex(const QString& path) {
    QStandardItem* item = invisibleRootItem()->child(0);
    QString reached;
    for (const QString& name : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        reached += QLatin1Char('/') + name;
        item = child(item, name, reached);
    }
    return item->index();
}

QString FolderTreeModel::folderPath(const QModelIndex& index) const {
    return index.data(kPathRole).toString();
}

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const {
    if (parent.isValid() && parent.data(kStateRole).toInt() != Listed) {
        return true;
    }
    return QStandardItemModel::hasChildren(parent);
}

bool FolderTreeModel::canFetchMore(const QModelIndex& parent) const {
    return parent.isValid() && parent.data(kStateRole).toInt() == Unlisted;
}

void FolderTreeModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) {
        return;
    }
    setData(parent, Listing, kStateRole);
    ++running_;
    const QString path = folderPath(parent);
    auto* listing = new BackgroundListing(this);
    listing->start(
        [path] {
            return ListedFiles{{}, {}, ListFolder(path, MountTable::Read()).folders};
        },
        [this, listing, index = QPersistentModelIndex(parent)](const ListedFiles& listed) {
            --running_;
            listing->deleteLater();
            if (index.isValid()) {
                showFolders(index, listed.folders);
            }
        },
        false);
}

void FolderTreeModel::showFolders(const QModelIndex& index, const QStringList& folders) {
    QStandardItem* item = itemFromIndex(index);
    const QString path = folderPath(index);
    const QString prefix = path == QStringLiteral("/") ? path : path + QLatin1Char('/');
    for (const QString& name : folders) {
        child(item, name, prefix + name);
    }
    item->setData(Listed, kStateRole);
    item->sortChildren(0);
    emit folderListed(path);
}

} // namespace tidorax
