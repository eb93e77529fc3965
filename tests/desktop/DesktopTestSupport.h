// Stand-ins for what the windows reach outside themselves (desktop actions that
// record instead of waiting; cleaning operations and shutdown services come from
// tests/support), and a fixture that points the platform at a fresh folder and makes a
// tray controller with services that catch the program's end, record the pages handed
// to the browser, browse places in the test's folder and find the network as the test says.
#pragma once

#include "core/notices/InternetConnection.h"
#include "core/settings/SettingsStore.h"
#include "desktop/DesktopActions.h"
#include "desktop/DesktopServices.h"
#include "desktop/PlatformMessageBoxes.h"
#include "desktop/TrayController.h"
#include "desktop/options/BackgroundListing.h"
#include "desktop/windows/CountWindow.h"
#include "platform/Platform.h"
#include "tests/support/PlatformFixture.h"
#include "tests/support/RecordingCleaningOperations.h"
#include "tests/support/RecordingShutdownApi.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <sqlite3.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tidorax::test {

class RecordingDesktopActions : public DesktopActions {
public:
    void runWork(const std::function<void()>& work) override {
        events.push_back("work");
        work();
    }
    void pause(std::uint32_t milliseconds) override {
        events.push_back("pause " + std::to_string(milliseconds));
        if (duringPause) {
            duringPause();
        }
    }

    // "work", "pause 100" in order.
    std::vector<std::string> events;
    // Runs at each pause (to look at the windows the pause keeps up).
    std::function<void()> duringPause;
};

// Another program's hold on the settings store file (an exclusive transaction) while it lives.
struct StoreHold {
    explicit StoreHold(const std::string& path) {
        EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    ~StoreHold() { sqlite3_close(db); }
    StoreHold(const StoreHold&) = delete;
    sqlite3* db = nullptr;
};

class GuiTest : public PlatformFixture {
protected:
    void SetUp() override {
        PlatformFixture::SetUp();
        controller = std::make_unique<TrayController>(services());
    }
    void TearDown() override {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            window->close();
        }
        processEvents();
        // A listing still running reads the settings store that the reset below replaces.
        BackgroundListing::WaitForAll();
        PlatformFixture::TearDown();
    }

    // Lets posted events (deferred deletions among them) run.
    static void processEvents() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The services of the tray controller: the fakes of this fixture (or the given
    // cleaning operations), the message boxes through the fake platform, the desktop's
    // screens.
    DesktopServices services(CleaningOperations* cleaning = nullptr) {
        DesktopServices made(cleaning != nullptr ? *cleaning : operations, actions, shutdown, messages);
        made.endProgram = [this] { ++programEnds; };
        made.openInBrowser = [this](const QUrl& address) {
            seen.push_back("open " + address.toString().toStdString());
            return browserAvailable;
        };
        made.places = [places = QString::fromStdString(tmp.path())] { return QStringList{places}; };
        made.connectionText = [this](const QUrl&) { return connection; };
        return made;
    }
    // The top-level window of that object name, visible unless told otherwise, without
    // letting any event run; else nullptr.
    template <typename Window = QWidget> static Window* shown(const char* objectName, bool visible = true) {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->objectName() == QLatin1String(objectName) && (!visible || window->isVisible())) {
                return qobject_cast<Window*>(window);
            }
        }
        return nullptr;
    }
    // The count window when one shows, else nullptr.
    static CountWindow* countShown() { return shown<CountWindow>("CountWindow"); }
    // The top-level window of that object name when one is loaded (deferred deletions done first).
    static QWidget* loaded(const char* objectName) {
        processEvents();
        return shown(objectName, false);
    }
    // Makes the window the active one, as a user's click would; false when it does not become it.
    static bool activated(QWidget* window) {
        window->activateWindow();
        return QTest::qWaitForWindowActive(window);
    }
    // A help document beside the program; returns its path.
    std::string installHelp(const std::string& html = "<h2>Main Program Operation</h2>") {
        writeFile(tmp / "program/Tidora.html", html);
        fake().programFolderPath = tmp / "program";
        return tmp / "program/Tidora.html";
    }
    // "prompt|buttons|title" of each message box shown so far, and of one with the
    // program's title.
    static std::vector<std::string> boxes() {
        std::vector<std::string> shown;
        for (const auto& box : fakePlatform().shownBoxes) {
            shown.push_back(box.prompt + "|" + std::to_string(box.buttons) + "|" + box.title);
        }
        return shown;
    }
    static std::string box(const std::string& prompt, int buttons) {
        return prompt + "|" + std::to_string(buttons) + "|Quillon Info.....";
    }

    // How often the program asked to end.
    int programEnds = 0;
    // Whether the browser takes a page, and "open <address>" for each page handed to it
    // (a test may add its own events in between).
    bool browserAvailable = true;
    std::vector<std::string> seen;
    RecordingCleaningOperations operations;
    RecordingDesktopActions actions;
    RecordingShutdownApi shutdown;
    PlatformMessageBoxes messages;
    // What the system says of the network.
    std::string connection = ConnectionText(Reachability::Online, false);
    // Made with services() at the start; a test may replace it.
    std::unique_ptr<TrayController> controller;
};

} // namespace tidorax::test
