#include "desktop/StatusNotifierClicks.h"

#include <QDBusMessage>

// Exported by QtDBus for its own modules; declared in no public header.
void qDBusAddSpyHook(void (*hook)(const QDBusMessage&));

namespace tidorax {

namespace {

std::optional<QPoint> latestClick;

void spyOnCall(const QDBusMessage& message) {
    static const QStringList placed{QStringLiteral("Activate"), QStringLiteral("ContextMenu"),
                                    QStringLiteral("SecondaryActivate")};
    const QList<QVariant> arguments = message.arguments();
    if (message.interface() != QLatin1String("org.kde.StatusNotifierItem") ||
        !placed.contains(message.member()) || arguments.size() != 2) {
        return;
    }
    latestClick = QPoint(arguments[0].toInt(), arguments[1].toInt());
}

} // namespace

void WatchStatusNotifierClicks() {
    static const bool installed = (qDBusAddSpyHook(spyOnCall), true);
    (void)installed;
}

std::optional<QPoint> TakeStatusNotifierClick() {
    return std::exchange(latestClick, std::nullopt);
}

} // namespace tidorax
