// The platform on a Linux desktop: the hive under $XDG_CONFIG_HOME, the process
// environment, the executable's own folder, no Windows version.
#pragma once

#include "platform/Platform.h"

#include <memory>
#include <mutex>

namespace tidorax {

class LinuxPlatform : public Platform {
public:
    LinuxPlatform();
    ~LinuxPlatform() override;

    RegistryHive& registry() override;
    std::optional<std::string> environment(const std::string& name) const override;
    std::string homeFolder() const override;
    std::string programFolder() const override;
    std::string executableBaseName() const override;
    std::string productName() const override;
    int GetVersionExA(OsVersionInfo& info) override;
    int MsgBox(const std::string& prompt, int buttons, const std::string& title) override;
    void setMessageBoxHandler(MessageBoxHandler handler) override;

    // $XDG_CONFIG_HOME when it is an absolute path, else the home folder's .config;
    // "" when there is neither (the hive then stays closed rather than land elsewhere).
    std::string configHome() const;

private:
    std::once_flag hiveOnce_;
    std::unique_ptr<RegistryHive> hive_;
    MessageBoxHandler messageBoxHandler_;
};

} // namespace tidorax
