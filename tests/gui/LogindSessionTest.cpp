// The shutdown over logind. Without a bus every request fails as a shutdown error;
// the requests themselves are checked against python-dbusmock's logind, which the
// desktop test script starts (it sets TIDORAX_MOCK_LOGIND and points the system bus
// at the mock). Never the real logind.
#include "platform/LogindSession.h"
#include "engine/Shutdown.h"
#include "tests/gui/GuiTestSupport.h"

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
    const QString address = QStringLiteral("unix:path=") + QString::fromStdString(temp / "no-bus");
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

TEST_F(LogindSessionTest, ModesMapToLogindRequests) {
    EXPECT_EQ(LogindSession::RequestFor(8), "PowerOff");
    EXPECT_EQ(LogindSession::RequestFor(1), "PowerOff");
    EXPECT_EQ(LogindSession::RequestFor(9), "PowerOff");
    EXPECT_EQ(LogindSession::RequestFor(2), "Reboot");
    EXPECT_EQ(LogindSession::RequestFor(6), "Reboot");
    EXPECT_EQ(LogindSession::RequestFor(0), "TerminateSession");
    EXPECT_EQ(LogindSession::RequestFor(4), "TerminateSession");
}

TEST_F(LogindMockTest, EachModeMakesItsRequest) {
    qputenv("XDG_SESSION_ID", "c7");
    struct Case {
        std::int32_t mode;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {8, {"CanPowerOff()", "PowerOff(true)"}},
        {2, {"CanReboot()", "Reboot(true)"}},
        {0, {"TerminateSession(c7)"}},
        {1, {"CanPowerOff()", "PowerOff(true)"}},
    };
    for (const Case& c : cases) {
        mock(QStringLiteral("ClearCalls"), {});
        LogindSession logind;
        EXPECT_TRUE(ShutdownSystem(logind, c.mode)) << c.mode;
        EXPECT_EQ(calls(), c.calls) << c.mode;
    }
    qunsetenv("XDG_SESSION_ID");
}

TEST_F(LogindMockTest, ARefusedPrivilegeRaisesItsErrorAndNothingIsShutDown) {
    struct Case {
        const char* answer;
        bool allowed;
    };
    for (const Case& c : {Case{"no", false}, Case{"na", false}, Case{"challenge", true}}) {
        replaceMethod(QStringLiteral("CanPowerOff"), QString(), QStringLiteral("s"),
                      QStringLiteral("ret = '%1'").arg(QLatin1String(c.answer)));
        mock(QStringLiteral("ClearCalls"), {});
        LogindSession logind;
        if (c.allowed) {
            EXPECT_TRUE(ShutdownSystem(logind, EWX_POWEROFF)) << c.answer;
            EXPECT_EQ(calls(), (std::vector<std::string>{"CanPowerOff()", "PowerOff(true)"})) << c.answer;
            continue;
        }
        try {
            ShutdownSystem(logind, EWX_POWEROFF);
            ADD_FAILURE() << c.answer;
        } catch (const ShutdownError& error) {
            EXPECT_EQ(error.Number, 0x8004062Eu) << c.answer;
            EXPECT_EQ(error.Source, "tidorax.mShutDown");
            EXPECT_EQ(error.Description,
                      std::string("Can't enable shutdown: You do not have the privileges to shutdown "
                                  "this system. [A required privilege is not held by the client. "
                                  "(CanPowerOff: ") +
                          c.answer + ")]");
        }
        EXPECT_EQ(calls(), std::vector<std::string>{"CanPowerOff()"}) << c.answer;
    }
}

TEST_F(LogindMockTest, AFailedRequestRaisesShutdownSystemFailed) {
    replaceMethod(
        QStringLiteral("PowerOff"), QStringLiteral("b"), QString(),
        QStringLiteral("raise dbus.exceptions.DBusException('Interactive authentication required.', "
                       "name='org.freedesktop.DBus.Error.InteractiveAuthorizationRequired')"));
    LogindSession logind;
    try {
        ShutdownSystem(logind, EWX_POWEROFF);
        ADD_FAILURE() << "no error raised";
    } catch (const ShutdownError& error) {
        EXPECT_EQ(error.Number, 0x8004062Bu);
        EXPECT_EQ(error.Source, "tidorax.mShutDown");
        EXPECT_EQ(error.Description, "ShutdownSystem failed: Interactive authentication required.");
    }
}

TEST_F(LogindMockTest, InvalidModesNeverReachLogind) {
    for (const std::int32_t mode : {32, -1}) {
        LogindSession logind;
        try {
            ShutdownSystem(logind, mode);
            ADD_FAILURE() << mode;
        } catch (const ShutdownError& error) {
            EXPECT_EQ(error.Number, 0x8004062Fu);
            EXPECT_EQ(error.Description, "Invalid parameter to ShutdownSystem: " + std::to_string(mode));
        }
    }
    EXPECT_TRUE(calls().empty());
}

} // namespace
} // namespace tidorax::test
