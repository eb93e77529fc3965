#include "desktop/DisplayFailureGuard.h"

#include "desktop/DesktopPresence.h"

#include <cstdio>
#include <unistd.h>

namespace tidorax {

namespace {

QtMessageHandler previousHandler = nullptr;

// Qt's own warning before the fatal error names the display; its fatal text, lines of
// advice on platform plugins, gives way to the program's line.
void handleMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) {
        previousHandler(type, context, message);
        return;
    }
    const std::string line = NoDesktopMessage("the display cannot be opened");
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    // Nothing of the program has started yet: end at once, as the abort would have.
    ::_exit(1);
}

} // namespace

DisplayFailureGuard::DisplayFailureGuard() : previous_(qInstallMessageHandler(handleMessage)) {
    previousHandler = previous_;
}

DisplayFailureGuard::~DisplayFailureGuard() {
    qInstallMessageHandler(previous_);
    previousHandler = nullptr;
}

} // namespace tidorax
