// What the "Your Folder" page shows of one folder: its subfolders (not the hidden
// ones) and its files, by name and sorted. Read off the user-interface thread; the
// kind of an entry comes from the folder's own listing where it can, and a mount
// point is taken for a folder without being looked into, so that a mount that does
// not answer holds up at most the listing of its own contents.
#pragma once

#include "core/cleaning/MountTable.h"

#include <QStringList>

namespace tidorax {

struct FolderListing {
    QStringList folders;
    QStringList files;
};

FolderListing ListFolder(const QString& folder, const MountTable& mounts);

} // namespace tidorax
