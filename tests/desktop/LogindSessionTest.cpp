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

namespace tidorax::test {
namespace {

class LogindSessionTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        ForgetIsWinNT();
    }
};

class LogindMockTest : public LogindSessionTest {
protected:
    void SetUp() override {
        LogindSessionTest::SetUp();
        if (qEnvironmentVariable("TIDORAX_MOCK_LOGIND") != QStringLiteral("1")) {
            GTEST_SKIP() << "needs the mock logind of tests/desktop/logind-mock-test.sh";
        }
        ASSERT_TRUE(QDBusConnection::systemBus().isConnected());
        mock(QStringLiteral("ClearCalls"), {});
    }
    static QDBusMessage mock(const QString& method, const QVariantList& arguments) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.DBus.Mock"), method);
        call.setArguments(arguments);
        return QDBusConnection::systemBus().call(call);
    }
    static void replaceMethod(const QString& name, const QString& in, const QString& out,
                              const QString& code) {
        const QDBusMessage reply =
            mock(QStringLiteral("AddMethod"),
                 {QStringLiteral("org.freedesktop.login1.Manager"), name, in, out, code});
        ASSERT_NE(reply.type(), QDBusMessage::ErrorMessage) << reply.errorMessage().toStdString();
    }
    // The calls the mock received: "CanPowerOff()", "PowerOff(true)", "TerminateSession(c7)".
    static std::vector<std::string> calls() {
        const QDBusMessage reply = mock(QStringLiteral("GetCalls"), {});
        std::vector<std::string> result;
        if (reply.type() == QDBusMessage::ErrorMessage || reply.arguments().isEmpty()) {
            return result;
        }
        const QDBusArgument list = reply.arguments().at(0).value<QDBusArgument>();
        list.beginArray();
        while (!list.atEnd()) {
            quint64 time = 0;
            QString method;
            QVariantList arguments;
            list.beginStructure();
            list >> time >> method >> arguments;
            list.endStructure();
            QStringList texts;
            for (const QVariant& argument : arguments) {
                texts << argument.toString();
            }
            if (method != QStringLiteral("Ping")) {
                result.push_back((method + "(" + texts.join(",") + ")").toStdString());
            }
        }
        list.endArray();
        return result;
    }
};

TEST_F(LogindSessionTest, WithoutASystemBusTheShutdownFailsAsAnError) {
    const QString address = QStringLiteral("unix:path=") + QString::fromStdString(tmp / "no-bus");
    LogindSession logind(QDBusConnection::connectToBus(address, QStringLiteral("tidorax-no-bus")));
    // The bus's own text is given in the brackets.
    EXPECT_TRUE(
        std::regex_match(shutdownOutcome(logind, EWX_POWEROFF),
                         std::regex("Can't enable shutdown: Can't find the SE_SHUTDOWN_NAME privilege "
                                    "value\\. \\[.+\\]\n\nError &H8004062C \\(tidorax\\.mShutDown\\)")))
        << shutdownOutcome(logind, EWX_POWEROFF);
    QDBusConnection::disconnectFromBus(QStringLiteral("tidorax-no-bus"));
}

TEST_F(LogindMockTest, EachModeMakesItsRequest) {
    qputenv("XDG_SESSION_ID", "c7");
    const std::vector<std::string> powerOff = {"CanPowerOff()", "PowerOff(true)"};
    const std::vector<std::string> reboot = {"CanReboot()", "Reboot(true)"};
    const std::vector<std::string> endSession = {"TerminateSession(c7)"};
    const std::vector<std::pair<std::int32_t, std::vector<std::string>>> cases = {
        {8, powerOff}, {1, powerOff},   {9, powerOff},   {2, reboot},
        {6, reboot},   {0, endSession}, {4, endSession},
    };
    for (const auto& [mode, expected] : cases) {
        mock(QStringLiteral("ClearCalls"), {});
        LogindSession logind;
        EXPECT_EQ(shutdownOutcome(logind, mode), "true") << mode;
        EXPECT_EQ(calls(), expected) << mode;
    }
    qunsetenv("XDG_SESSION_ID");
}

TEST_F(LogindMockTest, RefusalsAndFailuresRaiseTheirErrorAndShutNothingDown) {
    const std::string error = "\n\nError &H8004062";
    const std::string refused =
        "Can't enable shutdown: You do not have the privileges to shutdown this system. "
        "[A required privilege is not held by the client. (CanPowerOff: no)]" +
        error + "E (tidorax.mShutDown)";
    const std::string denied =
        "ShutdownSystem failed: Interactive authentication required." + error + "B (tidorax.mShutDown)";
    const std::string raise = "raise dbus.exceptions.DBusException('Interactive authentication required.', "
                              "name='org.freedesktop.DBus.Error.InteractiveAuthorizationRequired')";
    const std::string invalid = "Invalid parameter to ShutdownSystem: 32" + error + "F (tidorax.mShutDown)";
    const std::vector<std::string> both = {"CanPowerOff()", "PowerOff(true)"};
    const std::vector<std::string> asked = {"CanPowerOff()"};
    // What logind answers to CanPowerOff and what its PowerOff does; the last case
    // leaves the mock as it started.
    const struct {
        const char* canPowerOff;
        std::string powerOffCode;
        std::int32_t mode;
        std::string outcome;
        std::vector<std::string> calls;
    } cases[] = {
        {"no", "", EWX_POWEROFF, refused, asked},
        {"challenge", "", EWX_POWEROFF, "true", both},
        {"yes", raise, EWX_POWEROFF, denied, both},
        {"yes", "", 32, invalid, {}},
    };
    for (const auto& c : cases) {
        replaceMethod(QStringLiteral("CanPowerOff"), QString(), QStringLiteral("s"),
                      QStringLiteral("ret = '%1'").arg(QLatin1String(c.canPowerOff)));
        replaceMethod(QStringLiteral("PowerOff"), QStringLiteral("b"), QString(),
                      QString::fromStdString(c.powerOffCode));
        mock(QStringLiteral("ClearCalls"), {});
        LogindSession logind;
        EXPECT_EQ(shutdownOutcome(logind, c.mode), c.outcome) << c.canPowerOff;
        EXPECT_EQ(calls(), c.calls) << c.canPowerOff;
    }
}

} // namespace
} // namespace tidorax::test
