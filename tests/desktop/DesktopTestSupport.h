// Stand-ins for what the windows reach outside themselves (desktop actions that
// record instead of waiting; cleaning operations and shutdown services come from
// tests/support), and a fixture that points the platform at a fresh folder and
// catches the program's end.
#pragma once

#include "desktop/DesktopActions.h"
#include "tests/support/PlatformFixture.h"
#include "tests/support/RecordingCleaningOperations.h"
#include "tests/support/RecordingShutdownApi.h"

#include <functional>
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
            duringPause(milliseconds);
        }
    }

    // "work", "pause 100" in order.
    std::vector<std::string> events;
    // Runs at each pause (to look at the windows the pause keeps up).
    std::function<void(std::uint32_t)> duringPause;
};

class GuiTest : public PlatformFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Lets posted events (deferred deletions among them) run.
    static void processEvents();

    // How often the program asked to end.
    int programEnds = 0;
};

} // namespace tidorax::test
