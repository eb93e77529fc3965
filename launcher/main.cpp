// The tidorax command. The silent cleaning run, the usage and the version are answered here, in a
// program that loads no desktop library, so that a clean at log-on or from a script
// starts at once; every other start hands this process over to the tray program.
#include "core/notices/HelpFile.h"
#include "core/plans/CleaningOperations.h"
#include "core/startup/CommandLine.h"
#include "core/startup/Startup.h"
#include "platform/Platform.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The tray program: beside this one in a build tree, else where it is installed.
std::string TrayProgramPath() {
    const std::string folder = tidorax::platform().programFolder();
    const std::string beside = folder + "/tidorax-tray";
    struct stat st {};
    if (::stat(beside.c_str(), &st) == 0) {
        return beside;
    }
    return folder + "/" TIDORAX_TRAY_FOLDER_FROM_BIN "/tidorax-tray";
}

} // namespace

int main(int argc, char** argv) {
    if (tidorax::IsHelpRequest(argc, argv)) {
        std::cout << tidorax::UsageText(tidorax::HelpFilePath());
        return 0;
    }
    if (tidorax::IsVersionRequest(argc, argv)) {
        std::cout << tidorax::VersionText();
        return 0;
    }
    if (tidorax::IsViriRererCommandLine(tidorax::CommandLineText(argc, argv))) {
        return tidorax::RunViriRerer(tidorax::engineOperations(), std::cerr);
    }
    // Without its own place (no /proc to read it from) it would have to guess, and a
    // guess could start another program of that name.
    if (tidorax::platform().programFolder().rfind('/', 0) != 0) {
        std::cerr << "tidorax: cannot find where this program lies (/proc/self/exe cannot be read); the tray "
                     "program is not started\n";
        return 1;
    }
    const std::string tray = TrayProgramPath();
    ::execv(tray.c_str(), argv);
    std::cerr << "tidorax: cannot start the tray program " << tray << ": " << std::strerror(errno) << '\n';
    return 1;
}
