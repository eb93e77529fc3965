// The shutdown services on a Linux desktop: systemd-logind on the system bus.
// Finding the privilege is reaching logind; enabling it is logind's answer to
// CanPowerOff or CanReboot ("yes", or "challenge" when it may ask the user); the exit
// request is PowerOff, Reboot, or ending the own session for a log-off.
#pragma once

#include "core/shutdown/ShutdownApi.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QString>

namespace tidorax {

class LogindSession : public ShutdownApi {
public:
    // The system bus by default; tests hand in a connection to a mock.
    explicit LogindSession(QDBusConnection bus = QDBusConnection::systemBus());

    bool GrantsShutdownPerUser() override { return true; }
    bool LookupPrivilegeValueA() override;
    std::uintptr_t GetCurrentProcess() override;
    bool OpenProcessToken(std::uintptr_t process) override;
    bool AdjustTokenPrivileges(std::int32_t mode) override;
    void CloseHandle() override {}
    bool ExitWindowsEx(std::int32_t mode) override;
    DWORD GetLastError() override { return lastError_; }
    std::string FormatMessageA(DWORD code) override;

    // The logind method a mode asks for: "PowerOff", "Reboot" or "TerminateSession".
    static QString RequestFor(std::int32_t mode);

private:
    void fail(DWORD code, const QString& text);
    void failWith(const QDBusError& error);

    QDBusConnection bus_;
    DWORD lastError_ = 0;
    DWORD textCode_ = 0;
    QString text_;
};

} // namespace tidorax
