#include "desktop/options/CheckSystemFolder.h"

#include "core/options/SystemFolderCheck.h"
#include "desktop/DesktopServices.h"
#include "desktop/MessageBoxes.h"
#include "platform/hive/StoreWaits.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>

#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <thread>

namespace tidorax {

namespace {

// A folder whose file system gives no answer in this time is not taken.
constexpr qint64 kCheckLimitMs = 3000;

// Whether the folder is refused, asked on a thread of its own (the check looks at the
// folder and those around it, and a mount that stopped answering would hold it for
// ever); the windows stay painted meanwhile. nullopt when no answer came in time: the
// thread is left to end whenever the file system answers.
std::optional<bool> refusedInTime(const std::string& folder) {
    auto check = std::make_shared<std::packaged_task<bool()>>([folder] {
        // It asks on the window's behalf: it waits on a held settings store no longer than the window would.
        SetStoreWaitLimitOfThisThread(kUserInterfaceStoreWaitMs);
        return IsSystemFolder(folder);
    });
    std::future<bool> answer = check->get_future();
    std::thread([check] { (*check)(); }).detach();
    QElapsedTimer waited;
    waited.start();
    while (answer.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
        if (waited.elapsed() > kCheckLimitMs) {
            return std::nullopt;
        }
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    return answer.get();
}

} // namespace

void CheckSystemFolder(const std::string& folder, bool& accepted, QLabel* instruction,
                       MessageBoxes& messages) {
    const std::optional<bool> refused = refusedInTime(folder);
    if (refused == false) {
        return;
    }
    accepted = false;
    if (!refused) {
        messages.show(
            QCoreApplication::translate("tidorax::CheckSystemFolder",
                                        "This Folder Does Not Answer\r\n\r\nMake Another Selection!")
                .toStdString(),
            MessageKind::Critical);
        return;
    }
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
