#include "desktop/options/CheckSystemFolder.h"

#include "core/options/SystemFolderCheck.h"
#include "desktop/MessageBoxes.h"

#include <QCoreApplication>
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
    line->setText(QCoreApplication::translate("tidorax::CheckSystemFolder", "Warning.....Warning !!!"));
    messages.show(
        QCoreApplication::translate("tidorax::CheckSystemFolder",
                                    "You Have Selected A System Folder\r\n\r\nMake Another Selection!")
            .toStdString(),
        MessageKind::Critical);
    // The window may have been unloaded while the box was up.
    if (!line.isNull()) {
        line->setText(QCoreApplication::translate("tidorax::YourFolderTab", "Select Folder And Click Save"));
    }
}

} // namespace tidorax
