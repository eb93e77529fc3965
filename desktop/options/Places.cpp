#include "desktop/options/Places.h"

#include <QDir>
#include <QStorageInfo>

namespace tidorax {

namespace {

bool pseudoFileSystem(const QStorageInfo& volume) {
    static const QList<QByteArray> pseudo = {
        "proc", "sysfs",       "devtmpfs",   "devpts",  "cgroup",    "cgroup2",  "securityfs", "pstore",
        "bpf",  "tracefs",     "debugfs",    "mqueue",  "hugetlbfs", "fusectl",  "configfs",   "autofs",
        "nsfs", "binfmt_misc", "rpc_pipefs", "overlay", "squashfs",  "efivarfs", "ramfs"};
    const QString root = volume.rootPath();
    const bool systemPlace =
        root.startsWith(QStringLiteral("/proc")) || root.startsWith(QStringLiteral("/sys")) ||
        root.startsWith(QStringLiteral("/dev")) || root.startsWith(QStringLiteral("/snap")) ||
        root == QStringLiteral("/run") || root.startsWith(QStringLiteral("/run/user")) ||
        root.startsWith(QStringLiteral("/boot"));
    return systemPlace || pseudo.contains(volume.fileSystemType());
}

} // namespace

QStringList DefaultPlaces() {
    QStringList places{QStringLiteral("/"), QDir::homePath()};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && !pseudoFileSystem(volume) &&
            !places.contains(volume.rootPath())) {
            places.push_back(volume.rootPath());
        }
    }
    return places;
}

} // namespace tidorax
