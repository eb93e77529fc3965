#include "desktop/options/CheckSystemFolder.h"

#include "core/options/SystemFolderCheck.h"
#include "desktop/MessageBoxes.h"

#include <QLabel>
#include <QPointer>

namespace tidorax {

void CheckSystemFolder(const std::string& folder, bool& accepted, QLabel* instruction,
                       MessageBoxes& messages) {
    if (!IsSystemFolder(folder)) {
        return;
    }
    accepted = false;
    const QPointer<QLabel> line = instruction;
    line->setText(QStringLiteral("Warning.....Warning !!!"));
    messages.show("You Have Selected A System Folder\r\n\r\nMake Another Selection!", MessageKind::Critical);
    // The window may have been unloaded while the box was up.
    if (!line.isNull()) {
        line->setText(QStringLiteral("Select Folder And Click Save"));
    }
}

} // namespace tidorax
