#include "desktop/options/FolderListing.h"

#include <QCollator>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

namespace tidorax {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// Whether the entry is a folder (a link to a folder counts as one).
bool isFolder(int dirFd, const dirent& entry, const std::string& path, const MountTable& mounts) {
    if (entry.d_type == DT_DIR) {
        return true;
    }
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) {
        return false;
    }
    if (mounts.IsMountPoint(path)) {
        return true;
    }
    struct stat st {};
    return ::fstatat(dirFd, entry.d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

void sortNames(QStringList& names) {
    QCollator collator;
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(names.begin(), names.end(), collator);
}

} // namespace

FolderListing ListFolder(const QString& folder, const MountTable& mounts) {
    FolderListing listing;
    const std::string base = folder.toStdString();
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(base.c_str()));
    if (!dir) {
        return listing;
    }
    const std::string prefix = base == "/" ? base : base + "/";
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        const QString shown = QString::fromStdString(name);
        if (!isFolder(::dirfd(dir.get()), *entry, prefix + name, mounts)) {
            listing.files.push_back(shown);
        } else if (name.front() != '.') {
            listing.folders.push_back(shown);
        }
    }
    sortNames(listing.folders);
    sortNames(listing.files);
    return listing;
}

} // namespace tidorax
