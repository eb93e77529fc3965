#include "desktop/LogindSession.h"

#include "core/shutdown/Shutdown.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>

#include <unistd.h>

namespace tidorax {

namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");

constexpr DWORD ERROR_ACCESS_DENIED_CODE = 5;
constexpr DWORD ERROR_GEN_FAILURE = 31;
// Time the user has to answer logind's password question.
constexpr int kInteractiveTimeoutMs = 120000;

QDBusMessage managerCall(const QString& method) {
    return QDBusMessage::createMethodCall(kService, kPath, kManager, method);
}

} // namespace

LogindSession::LogindSession(QDBusConnection bus) : bus_(std::move(bus)) {}

QString LogindSession::RequestFor(std::int32_t mode) {
    if ((mode & EWX_POWEROFF) != 0 || (mode & EWX_SHUTDOWN) != 0) {
        return QStringLiteral("PowerOff");
    }
    if ((mode & EWX_REBOOT) != 0) {
        return QStringLiteral("Reboot");
    }
    return QStringLiteral("TerminateSession");
}

void LogindSession::fail(DWORD code, const QString& text) {
    lastError_ = code;
    textCode_ = code;
    text_ = text;
}

void LogindSession::failWith(const QDBusError& error) {
    const DWORD code = error.type() == QDBusError::AccessDenied   ? ERROR_ACCESS_DENIED_CODE
                       : error.type() == QDBusError::Disconnected ? ERROR_SERVICE_NOT_ACTIVE
                                                                  : ERROR_GEN_FAILURE;
    fail(code, error.message().isEmpty() ? error.name() : error.message());
}

bool LogindSession::LookupPrivilegeValueA() {
    if (!bus_.isConnected()) {
        const QString message = bus_.lastError().message();
        fail(ERROR_SERVICE_NOT_ACTIVE,
             message.isEmpty() ? QStringLiteral("Not connected to D-Bus server") : message);
        return false;
    }
    const QDBusMessage ping = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
    const QDBusMessage reply = bus_.call(ping);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        fail(ERROR_SERVICE_NOT_ACTIVE,
             reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage());
        return false;
    }
    return true;
}

std::uintptr_t LogindSession::GetCurrentProcess() {
    return static_cast<std::uintptr_t>(::getpid());
}

bool LogindSession::OpenProcessToken(std::uintptr_t /*process*/) {
    return true;
}

bool LogindSession::AdjustTokenPrivileges(std::int32_t mode) {
    const QString request = RequestFor(mode);
    if (request == QStringLiteral("TerminateSession")) {
        // Ending one's own session needs no privilege.
        return true;
    }
    const QString question = QStringLiteral("Can") + request;
    const QDBusReply<QString> answer = bus_.call(managerCall(question));
    if (!answer.isValid()) {
        failWith(answer.error());
        return false;
    }
    if (answer.value() == QStringLiteral("yes") || answer.value() == QStringLiteral("challenge")) {
        return true;
    }
    fail(ERROR_PRIVILEGE_NOT_HELD, QStringLiteral("A required privilege is not held by the client. (%1: %2)")
                                       .arg(question, answer.value()));
    return false;
}

bool LogindSession::ExitWindowsEx(std::int32_t mode) {
    const QString request = RequestFor(mode);
    QDBusMessage reply;
    if (request == QStringLiteral("TerminateSession")) {
        const QString session = qEnvironmentVariable("XDG_SESSION_ID");
        if (!session.isEmpty()) {
            QDBusMessage call = managerCall(request);
            call << session;
            reply = bus_.call(call);
        } else {
            QDBusMessage find = managerCall(QStringLiteral("GetSessionByPID"));
            find << static_cast<quint32>(::getpid());
            const QDBusReply<QDBusObjectPath> path = bus_.call(find);
            if (!path.isValid()) {
                failWith(path.error());
                return false;
            }
            reply = bus_.call(QDBusMessage::createMethodCall(kService, path.value().path(), kSession,
                                                             QStringLiteral("Terminate")));
        }
    } else {
        QDBusMessage call = managerCall(request);
        call << true; // interactive: logind may ask the user for a password
        reply = bus_.call(call, QDBus::Block, kInteractiveTimeoutMs);
    }
    if (reply.type() == QDBusMessage::ErrorMessage) {
        failWith(QDBusError(reply));
        return false;
    }
    return true;
}

std::string LogindSession::FormatMessageA(DWORD code) {
    if (code == textCode_ && !text_.isEmpty()) {
        return text_.toStdString();
    }
    switch (code) {
    case ERROR_ACCESS_DENIED_CODE:
        return "Access is denied.";
    case ERROR_PRIVILEGE_NOT_HELD:
        return "A required privilege is not held by the client.";
    case ERROR_SERVICE_NOT_ACTIVE:
        return "The service has not been started.";
    default:
        return {};
    }
}

} // namespace tidorax
