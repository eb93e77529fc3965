#include "desktop/DesktopPresence.h"

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QStringList>

namespace tidorax {

namespace {

bool isSet(const char* name) {
    return !qEnvironmentVariableIsEmpty(name);
}

// Wayland's default socket, which Qt opens when WAYLAND_DISPLAY is not set.
bool defaultWaylandSocket() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(QDir(runtime).filePath(QStringLiteral("wayland-0")));
}

// The variable that the platform (a QT_QPA_PLATFORM entry, options after ":") needs and
// lacks, or "" when it can be tried.
QString missingDisplay(const QString& entry) {
    const QString name = entry.section(QLatin1Char(':'), 0, 0).trimmed();
    if (name == QLatin1String("xcb") && !isSet("DISPLAY")) {
        return QStringLiteral("DISPLAY");
    }
    if (name.startsWith(QLatin1String("wayland")) && !isSet("WAYLAND_DISPLAY") && !defaultWaylandSocket()) {
        return QStringLiteral("WAYLAND_DISPLAY");
    }
    return QString();
}

} // namespace

std::string NoDesktopReason() {
    const QString chosen = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (chosen.trimmed().isEmpty()) {
        return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY") ? std::string()
                                                            : "neither DISPLAY nor WAYLAND_DISPLAY is set";
    }
    QStringList missing;
    for (const QString& entry : chosen.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString lacking = missingDisplay(entry);
        if (lacking.isEmpty()) {
            return std::string();
        }
        missing.append(lacking);
    }
    missing.removeDuplicates();
    return ("QT_QPA_PLATFORM=" + chosen + " needs " + missing.join(QStringLiteral(" or ")) +
            ", which is not set")
        .toStdString();
}

std::string NoDesktopMessage(const std::string& reason) {
    return "tidorax: no desktop to show the tray icon on (" + reason +
           "); \"tidorax A\" cleans without one\n";
}

} // namespace tidorax
