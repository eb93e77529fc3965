#include "desktop/options/Places.h"

#include "core/cleaning/MountTable.h"

#include <QDir>

namespace tidorax {

namespace {

bool pseudoFileSystem(const QString& root, const QString& type) {
    static const QStringList pseudo = {
        "proc", "sysfs",       "devtmpfs",   "devpts",  "cgroup",    "cgroup2",  "securityfs", "pstore",
        "bpf",  "tracefs",     "debugfs",    "mqueue",  "hugetlbfs", "fusectl",  "configfs",   "autofs",
        "nsfs", "binfmt_misc", "rpc_pipefs", "overlay", "squashfs",  "efivarfs", "ramfs"};
    const auto below = [&root](const char* folder) {
        const QString place = QString::fromLatin1(folder);
        return root == place || root.startsWith(place + QLatin1Char('/'));
    };
    const bool systemPlace = below("/proc") || below("/sys") || below("/dev") || below("/snap") ||
                             root == QStringLiteral("/run") || below("/run/user") || below("/boot");
    return systemPlace || pseudo.contains(type);
}

} // namespace

QStringList PlacesOf(const MountTable& mounts, const QString& home) {
    QStringList places{QStringLiteral("/"), home};
    for (const MountTable::Mount& mount : mounts.Mounts()) {
        const QString root = QString::fromStdString(mount.point);
        if (!pseudoFileSystem(root, QString::fromStdString(mount.type)) && !places.contains(root)) {
            places.push_back(root);
        }
    }
    return places;
}

QStringList DefaultPlaces() {
    return PlacesOf(MountTable::Read(), QDir::homePath());
}

} // namespace tidorax
