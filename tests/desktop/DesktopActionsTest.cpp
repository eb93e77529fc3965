#include "desktop/InputBlocker.h"
#include "desktop/QtDesktopActions.h"
#include "desktop/QtMessageBoxService.h"
#include "desktop/TrayWindow.h"
#include "tests/desktop/DesktopTestSupport.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <atomic>

namespace tidorax::test {
namespace {

using DesktopActionsTest = GuiTest;

TEST_F(DesktopActionsTest, WindowsRepaintButTakeNoInputWhileWorkRuns) {
    QPushButton button(QStringLiteral("press"));
    button.show();
    int presses = 0;
    QObject::connect(&button, &QPushButton::clicked, &button, [&presses] { ++presses; });

    TrayWindow form(operations, actions, shutdown);

    // The work waits until the user-interface thread has handled a timer, a click on
    // the button and a click on the tray icon: proof that it keeps running meanwhile.
    std::atomic<bool> uiDone{false};
    bool blockedDuringWork = false;
    QTimer::singleShot(0, &button, [&] {
        blockedDuringWork = InputBlocker::active();
        QTest::mouseClick(&button, Qt::LeftButton);
        form.TrayReleasedAt(QPoint(100, 100));
        uiDone = true;
    });
    bool workRanOffTheUiThread = false;
    QtDesktopActions desktop;
    desktop.runWork([&] {
        workRanOffTheUiThread = QThread::currentThread() != QCoreApplication::instance()->thread();
        while (!uiDone) {
            QThread::msleep(1);
        }
    });

    EXPECT_TRUE(workRanOffTheUiThread);
    EXPECT_TRUE(blockedDuringWork);
    EXPECT_EQ(presses, 0);
    EXPECT_FALSE(form.trayMenu()->isVisible());
    EXPECT_FALSE(InputBlocker::active());

    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(presses, 1);
}

TEST_F(DesktopActionsTest, PausesBlockInputAndFailuresReachTheCaller) {
    QtDesktopActions desktop;
    bool blocked = false;
    QTimer::singleShot(0, QCoreApplication::instance(), [&blocked] { blocked = InputBlocker::active(); });
    desktop.pause(20);
    EXPECT_TRUE(blocked) << "a pause runs timers and blocks input";
    EXPECT_FALSE(InputBlocker::active());
    EXPECT_THROW(desktop.runWork([] { throw std::runtime_error("disk gone"); }), std::runtime_error);
    EXPECT_FALSE(InputBlocker::active());
}

TEST_F(DesktopActionsTest, AWindowClosedByTheProgramClosesWhileInputIsBlocked) {
    QPointer<QWidget> window = new QWidget(nullptr, Qt::Tool);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    InputBlocker blocker;
    EXPECT_TRUE(window->close());
    processEvents();
    EXPECT_TRUE(window.isNull()) << "the window was only hidden and stays loaded";
}

TEST_F(DesktopActionsTest, AMessageBoxAskedForByTheWorkIsAnsweredByTheUser) {
    QtMessageBoxService::install();
    QtDesktopActions desktop;
    std::string seen; // the box's title, text and icon
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, &answer, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        answer.stop();
        seen = (box->windowTitle() + "|" + box->text()).toStdString() + "|" + std::to_string(box->icon());
        QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
    });
    answer.start(5);
    int result = 0;
    desktop.runWork(
        [&result] { result = platform().MsgBox("Delete these files?", 36, "Quillon Info....."); });
    EXPECT_EQ(result, IDNO);
    EXPECT_EQ(seen, "Quillon Info.....|Delete these files?|" + std::to_string(QMessageBox::Question));

    // A question closed without an answer counts as No.
    QTimer::singleShot(5, &answer, [] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            box->close();
        }
    });
    EXPECT_EQ(platform().MsgBox("Delete these files?", 36, "Quillon Info....."), IDNO);
    platform().setMessageBoxHandler(nullptr);
}

} // namespace
} // namespace tidorax::test
