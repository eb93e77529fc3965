// The folder tree of the "Your Folder" page, from "/" down. A folder's subfolders are
// listed off the user-interface thread when the tree first opens it; a folder named
// by a path is made at once from the path's names, without looking at the disk.
#pragma once

#include <QStandardItemModel>

namespace tidorax {

class FolderTreeModel : public QStandardItemModel {
    Q_OBJECT
public:
    explicit FolderTreeModel(QObject* parent);

    // The item of the folder (an absolute, clean path), made with its parents when the
    // tree has not listed them yet.
    QModelIndex folderIndex(const QString& path);
    QString folderPath(const QModelIndex& index) const;
    // True while a folder's listing runs.
    bool listing() const { return running_ > 0; }

    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

signals:
    // The subfolders of the folder reached the tree.
    void folderListed(const QString& path);

private:
    QStandardItem* child(QStandardItem* parent, const QString& name, const QString& path);
    void showFolders(const QModelIndex& index, const QStringList& folders);
    int running_ = 0;
};

} // namespace tidorax
