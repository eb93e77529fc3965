#include "platform/linux/LinuxPlatform.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace tidorax {

namespace {

std::string selfExecutable() {
    std::string buffer(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0) {
        return {};
    }
    buffer.resize(static_cast<std::size_t>(n));
    return buffer;
}

} // namespace

LinuxPlatform::LinuxPlatform() = default;
LinuxPlatform::~LinuxPlatform() = default;

std::string LinuxPlatform::configHome() const {
    const auto xdg = environment("XDG_CONFIG_HOME");
    if (xdg && !xdg->empty() && xdg->front() == '/') {
        return *xdg;
    }
    const std::string home = homeFolder();
    return home.empty() || home.front() != '/' ? std::string() : home + "/.config";
}

RegistryHive& LinuxPlatform::registry() {
    std::call_once(hiveOnce_, [this] {
        const std::string config = configHome();
        // Log-on starts the tray program by its absolute path: the running executable,
        // or the tidorax command when the tray program or tidorax-reg writes the value.
        const std::string self = selfExecutable();
        const std::string name = executableBaseName();
        const bool companion = name == "tidorax-reg" || name == "tidorax-tray";
        const std::string program = self.empty() || companion
                                        ? programFolder() + (programFolder() == "/" ? "tidorax" : "/tidorax")
                                        : self;
        hive_ = std::make_unique<RegistryHive>(
            config.empty() ? std::string() : config + "/tidorax/registry.sqlite3",
            AutostartRedirect{config.empty() ? std::string() : config + "/autostart", program});
    });
    return *hive_;
}

std::optional<std::string> LinuxPlatform::environment(const std::string& name) const {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

std::string LinuxPlatform::homeFolder() const {
    if (const auto home = environment("HOME"); home && !home->empty()) {
        return *home;
    }
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<std::size_t>(size > 0 ? size : 16384));
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
        found->pw_dir == nullptr) {
        return {};
    }
    return found->pw_dir;
}

std::string LinuxPlatform::programFolder() const {
    const std::string exe = selfExecutable();
    const auto slash = exe.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    std::string folder = slash == 0 ? "/" : exe.substr(0, slash);
    // The installed tray program lives apart: its folder is that of the commands.
    if (exe.compare(slash + 1, std::string::npos, "tidorax-tray") == 0 &&
        ::access((folder + "/tidorax").c_str(), X_OK) != 0) {
        std::error_code error;
        const auto commands = std::filesystem::weakly_canonical(
            std::filesystem::path(folder) / TIDORAX_BIN_FROM_TRAY_FOLDER, error);
        if (!error) {
            folder = commands.string();
        }
    }
    return folder;
}

std::string LinuxPlatform::executableBaseName() const {
    const std::string exe = selfExecutable();
    const auto slash = exe.rfind('/');
    return slash == std::string::npos ? exe : exe.substr(slash + 1);
}

std::string LinuxPlatform::productName() const {
    return "Tidorax";
}

int LinuxPlatform::GetVersionExA(OsVersionInfo& /*info*/) {
    // Linux belongs to neither Windows group: report no version record at all.
    return 0;
}

int LinuxPlatform::MsgBox(const std::string& prompt, int buttons, const std::string& title) {
    if (messageBoxHandler_) {
        return messageBoxHandler_(prompt, buttons, title);
    }
    // No desktop: say it on standard error. A question nobody can answer counts as No.
    std::cerr << title << ": " << prompt << '\n';
    return (buttons & 0x0F) == 4 ? IDNO : IDOK;
}

void LinuxPlatform::setMessageBoxHandler(MessageBoxHandler handler) {
    messageBoxHandler_ = std::move(handler);
}

} // namespace tidorax
