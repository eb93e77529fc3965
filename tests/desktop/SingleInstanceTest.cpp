#include "desktop/SingleInstance.h"
#include "desktop/QtStartupHost.h"
#include "desktop/windows/AlreadyRunningWindow.h"
#include "tests/desktop/DesktopTestSupport.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QThread>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace tidorax::test {
namespace {

class SingleInstanceTest : public GuiTest {
protected:
    QString socketPath() const { return QString::fromStdString(tmp / "instance.socket"); }

    // A socket file that nobody listens on, as a crashed program leaves it; or, with
    // listening, one whose owner never answers (a hung program).
    int bindRawSocket(bool listening) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = socketPath().toLocal8Bit();
        std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
        EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        if (listening) {
            EXPECT_EQ(::listen(fd, 4), 0);
        }
        return fd;
    }

    RecordingCleaningOperations operations;
    RecordingDesktopActions actions;
    RecordingShutdownApi shutdown;
};

TEST_F(SingleInstanceTest, TheSocketLivesInTheUsersRuntimeFolder) {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    ASSERT_FALSE(runtime.isEmpty());
    EXPECT_EQ(SingleInstance::DefaultSocketPath(), runtime + "/tidorax.instance");
}

TEST_F(SingleInstanceTest, ASecondStartAsksTheFirstToComeForward) {
    // The first instance answers on a thread of its own, as another process would.
    QThread firstThread;
    auto* first = new SingleInstance(socketPath());
    ASSERT_FALSE(first->anotherInstanceRunning());
    ASSERT_TRUE(first->isListening());
    first->moveToThread(&firstThread);
    QObject::connect(&firstThread, &QThread::finished, first, &QObject::deleteLater);
    QSignalSpy comeForward(first, &SingleInstance::activationRequested);
    firstThread.start();

    SingleInstance second(socketPath());
    EXPECT_TRUE(second.anotherInstanceRunning());
    EXPECT_FALSE(second.isListening());
    EXPECT_TRUE(second.activateRunningInstance());
    // The first answers only after it has been asked to come forward.
    EXPECT_EQ(comeForward.count(), 1);

    firstThread.quit();
    firstThread.wait();
}

TEST_F(SingleInstanceTest, ASocketLeftBehindByACrashIsTakenOver) {
    const int fd = bindRawSocket(false);
    ::close(fd);
    ASSERT_TRUE(QFileInfo::exists(socketPath()));

    SingleInstance instance(socketPath());
    EXPECT_FALSE(instance.anotherInstanceRunning());
    EXPECT_TRUE(instance.isListening());
    SingleInstance later(socketPath());
    EXPECT_TRUE(later.anotherInstanceRunning());
}

TEST_F(SingleInstanceTest, AFirstInstanceThatDoesNotAnswerLeadsToTheAlreadyRunningWindow) {
    const int fd = bindRawSocket(true);
    SingleInstance instance(socketPath());
    EXPECT_TRUE(instance.anotherInstanceRunning());
    EXPECT_FALSE(instance.activateRunningInstance(200));

    QtStartupHost host(operations, actions, shutdown, socketPath());
    EXPECT_TRUE(host.anotherInstanceRunning());
    host.showAlreadyRunning();
    ASSERT_NE(AlreadyRunningWindow::loaded(), nullptr);
    EXPECT_TRUE(AlreadyRunningWindow::loaded()->isVisible());
    EXPECT_TRUE(AlreadyRunningWindow::loaded()->closeTimer->isActive());
    EXPECT_EQ(host.mainWindow(), nullptr);
    ::close(fd);
}

TEST_F(SingleInstanceTest, TheFirstStartLoadsTheMainWindow) {
    QtStartupHost host(operations, actions, shutdown, socketPath());
    EXPECT_EQ(RunTrayStartup(host), TrayStartupOutcome::MainWindowLoaded);
    ASSERT_NE(host.mainWindow(), nullptr);
    EXPECT_FALSE(host.mainWindow()->isVisible());
    EXPECT_TRUE(host.instance().isListening());
    EXPECT_EQ(AlreadyRunningWindow::loaded(), nullptr);
}

} // namespace
} // namespace tidorax::test
