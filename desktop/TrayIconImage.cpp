#include "desktop/TrayIconImage.h"

#include <QDir>

// The resources live in a static library: register them once, outside any namespace.
static void registerTidoraxResources() {
    Q_INIT_RESOURCE(tidorax);
}

namespace tidorax {

QIcon TrayIconImage() {
    static const bool registered = (registerTidoraxResources(), true);
    (void)registered;
    return QIcon(QStringLiteral(":/tidorax/tidorax.png"));
}

} // namespace tidorax
