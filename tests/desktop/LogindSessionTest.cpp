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

namespace tidorax::test {
namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kMock = QStringLiteral("org.freedesktop.DBus.Mock");

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
    void TearDown() override {
        if (qEnvironmentVariable("TIDORAX_MOCK_LOGIND") == QStringLiteral("1")) {
            replaceMethod(QStringLiteral("CanPowerOff"), QString(), QStringLiteral("s"),
                          QStringLiteral("ret = 'yes'"));
            replaceMethod(QStringLiteral("PowerOff"), QStringLiteral("b"), QString(), QString());
        }
        LogindSessionTest::TearDown();
    }

    static QDBusMessage mock(const QString& method, const QVariantList& arguments) {
        QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kMock, method);
        call.setArguments(arguments);
        return QDBusConnection::systemBus().call(call);
    }
    static void replaceMethod(const QString& name, const QString& in, const QString& out,
                              const QString& code) {
        const QDBusMessage reply = mock(QStringLiteral("AddMethod"), {kManager, name, in, out, code});
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
            list.beginStructure();
            list >> time >> method;
            QStringList arguments;
            list.beginArray();
            while (!list.atEnd()) {
                QDBusVariant value;
                list >> value;
                const QVariant inner = value.variant();
                arguments << (inner.typeId() == QMetaType::Bool ? (inner.toBool() ? "true" : "false")
                                                                : inner.toString());
            }
            list.endArray();
            list.endStructure();
            if (method != QStringLiteral("Ping")) {
                result.push_back((method + "(" + arguments.join(",") + ")").toStdString());
            }
        }
        list.endArray();
        return result;
    }
};

TEST_F(LogindSessionTest, WithoutASystemBusTheShutdownFailsAsAnError) {
    const QString address = QStringLiteral("unix:path=") + QString::fromStdString(tmp / "no-bus");
    LogindSession logind(QDBusConnection::connectToBus(address, QStringLiteral("tidorax-no-bus")));
    try {
        ShutdownSystem(logind, EWX_POWEROFF);
        ADD_FAILURE() << "no error raised";
    } catch (const ShutdownError& error) {
        EXPECT_EQ(error.Number, 0x8004062Cu);
        EXPECT_EQ(error.Source, "tidorax.mShutDown");
        const std::string prefix =
            "Can't enable shutdown: Can't find the SE_SHUTDOWN_NAME privilege value. [";
        EXPECT_EQ(error.Description.substr(0, prefix.size()), prefix);
        EXPECT_GT(error.Description.size(), prefix.size() + 1) << "the bus's own text is given";
        EXPECT_EQ(error.Description.back(), ']');
    }
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
        EXPECT_TRUE(ShutdownSystem(logind, mode)) << mode;
        EXPECT_EQ(calls(), expected) << mode;
    }
    qunsetenv("XDG_SESSION_ID");
}

TEST_F(LogindMockTest, RefusalsAndFailuresRaiseTheirErrorAndShutNothingDown) {
    const std::string refused =
        "Can't enable shutdown: You do not have the privileges to shutdown this system. "
        "[A required privilege is not held by the client. (CanPowerOff: ";
    struct Case {
        const char* what;
        const char* canPowerOff;  // what logind answers to CanPowerOff
        const char* powerOffCode; // what its PowerOff does
        std::int32_t mode;
        std::uint32_t number; // 0: no error
        std::string description;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"answer no", "no", "", EWX_POWEROFF, 0x8004062E, refused + "no)]", {"CanPowerOff()"}},
        {"answer challenge", "challenge", "", EWX_POWEROFF, 0, "", {"CanPowerOff()", "PowerOff(true)"}},
        {"request refused",
         "yes",
         "raise dbus.exceptions.DBusException('Interactive authentication required.', "
         "name='org.freedesktop.DBus.Error.InteractiveAuthorizationRequired')",
         EWX_POWEROFF,
         0x8004062B,
         "ShutdownSystem failed: Interactive authentication required.",
         {"CanPowerOff()", "PowerOff(true)"}},
        {"mode 32", "yes", "", 32, 0x8004062F, "Invalid parameter to ShutdownSystem: 32", {}},
    };
    for (const Case& c : cases) {
        replaceMethod(QStringLiteral("CanPowerOff"), QString(), QStringLiteral("s"),
                      QStringLiteral("ret = '%1'").arg(QLatin1String(c.canPowerOff)));
        replaceMethod(QStringLiteral("PowerOff"), QStringLiteral("b"), QString(),
                      QString::fromUtf8(c.powerOffCode));
        mock(QStringLiteral("ClearCalls"), {});
        LogindSession logind;
        try {
            EXPECT_TRUE(ShutdownSystem(logind, c.mode)) << c.what;
            EXPECT_EQ(c.number, 0u) << c.what << ": no error raised";
        } catch (const ShutdownError& error) {
            EXPECT_EQ(error.Number, c.number) << c.what;
            EXPECT_EQ(error.Source, "tidorax.mShutDown") << c.what;
            EXPECT_EQ(error.Description, c.description) << c.what;
        }
        EXPECT_EQ(calls(), c.calls) << c.what;
    }
}

} // namespace
} // namespace tidorax::test
