// The shutdown over logind. Without a bus every request fails as a shutdown error;
// the requests themselves are checked against python-dbusmock's logind, which the
// desktop test script starts (it sets TIDORAX_MOCK_LOGIND and points the system bus
// at the mock). Never the real logind.
#include "desktop/LogindSession.h"
#include "core/shutdown/Shutdown.h"
#include "tests/desktop/DesktopTestSupport.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>

#include <regex>
#include <tuple>

namespace tidorax::test {
namespace {

using LogindSessionTest = GuiTest;

class LogindMockTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        ForgetIsWinNT();
        if (qEnvironmentVariable("TIDORAX_MOCK_LOGIND") != QStringLiteral("1")) {
            GTEST_SKIP() << "needs the mock logind of tests/e2e/logind-mock-test.sh";
        }
    }
    static QDBusMessage mock(const QString& method, const QVariantList& arguments) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            "org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.DBus.Mock", method);
        call.setArguments(arguments);
        return QDBusConnection::systemBus().call(call);
    }
    // The calls the mock received: "CanPowerOff()", "PowerOff(true)", "TerminateSession(c7)".
    static std::vector<std::string> calls() {
        std::vector<std::string> result;
        const QDBusArgument list = mock("GetCalls", {}).arguments().value(0).value<QDBusArgument>();
        list.beginArray();
        while (!list.atEnd()) {
            quint64 time = 0;
            QString method;
            QVariantList arguments; // one at most
            list.beginStructure();
            list >> time >> method >> arguments;
            list.endStructure();
            if (method != QStringLiteral("Ping")) {
                result.push_back((method + "(" + arguments.value(0).toString() + ")").toStdString());
            }
        }
        list.endArray(); // frees what beginArray took
        return result;
    }
};

TEST_F(LogindSessionTest, WithoutASystemBusTheShutdownFailsAsAnError) {
    ForgetIsWinNT();
    LogindSession logind(QDBusConnection::connectToBus("unix:path=" + QString::fromStdString(tmp / "no-bus"),
                                                       QStringLiteral("tidorax-no-bus")));
    // The bus's own text is given in the brackets.
    const std::string outcome = shutdownOutcome(logind, EWX_POWEROFF);
    const std::regex expected(
        R"(Can't enable shutdown: Can't find the SE_SHUTDOWN_NAME privilege value\. \[.+\])"
        R"(\n\nError &H8004062C \(tidorax\.mShutDown\))");
    EXPECT_TRUE(std::regex_match(outcome, expected)) << outcome;
    QDBusConnection::disconnectFromBus(QStringLiteral("tidorax-no-bus"));
}

TEST_F(LogindMockTest, EachModeAndAnswerGivesItsRequestsAndOutcome) {
    qputenv("XDG_SESSION_ID", "c7");
    const std::string refused =
        "Can't enable shutdown: You do not have the privileges to shutdown this system. [A required "
        "privilege is not held by the client. (CanPowerOff: no)]\n\nError &H8004062E (tidorax.mShutDown)";
    const std::string denied =
        "ShutdownSystem failed: Interactive authentication required.\n\nError &H8004062B (tidorax.mShutDown)";
    const QString raise = "raise dbus.exceptions.DBusException('Interactive authentication required.', "
                          "name='org.freedesktop.DBus.Error.InteractiveAuthorizationRequired')";
    const std::vector<std::string> powerOff{"CanPowerOff()", "PowerOff(true)"};
    // What logind answers to CanPowerOff and what its PowerOff does, the mode asked for
    // (flags beside the one that chooses it change nothing); the last case leaves the
    // mock as it started.
    const std::tuple<QString, QString, std::int32_t, std::string, std::vector<std::string>> cases[] = {
        {"no", "", EWX_POWEROFF, refused, {"CanPowerOff()"}},
        {"challenge", "", EWX_POWEROFF, "true", powerOff},
        {"yes", raise, EWX_POWEROFF, denied, powerOff},
        {"yes", "", EWX_SHUTDOWN | EWX_FORCE, "true", powerOff},
        {"yes", "", EWX_REBOOT, "true", {"CanReboot()", "Reboot(true)"}},
        {"yes", "", EWX_FORCE, "true", {"TerminateSession(c7)"}},
    };
    const QString manager = QStringLiteral("org.freedesktop.login1.Manager");
    for (const auto& [canPowerOff, powerOffCode, mode, outcome, logindCalls] : cases) {
        SCOPED_TRACE((canPowerOff + " " + QString::number(mode)).toStdString());
        // The mock's methods run the Python code given.
        mock("AddMethod", {manager, "CanPowerOff", "", "s", "ret = '" + canPowerOff + "'"});
        mock("AddMethod", {manager, "PowerOff", "b", "", powerOffCode});
        mock("ClearCalls", {});
        LogindSession logind;
        EXPECT_EQ(shutdownOutcome(logind, mode), outcome);
        EXPECT_EQ(calls(), logindCalls);
    }
    qunsetenv("XDG_SESSION_ID");
}

} // namespace
} // namespace tidorax::test
