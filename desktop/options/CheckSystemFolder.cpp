#include "desktop/options/CheckSystemFolder.h"

#include "core/options/SystemFolderCheck.h"
#include "desktop/options/OptionsCleaning.h"
#include "desktop/options/OptionsWindow.h"
#include "desktop/options/YourFolderTab.h"
#include "platform/Platform.h"

namespace tidorax {

void CheckSystemFolder(const std::string& folder, bool& accepted) {
    if (!IsSystemFolder(folder)) {
        return;
    }
    accepted = false;
    QLabel* instruction = OptionsWindow::instance()->yourFolderTab->instructionLabel;
    instruction->setText(QStringLiteral("Warning.....Warning !!!"));
    platform().MsgBox("You Have Selected A System Folder\r\n\r\nMake Another Selection!", MB_OK_CRITICAL,
                      kOptionsTitle);
    if (OptionsWindow* window = OptionsWindow::loaded()) {
        window->yourFolderTab->instructionLabel->setText(QStringLiteral("Select Folder And Click Save"));
    }
}

} // namespace tidorax
