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

    TrayWindow* form = controller->trayWindow();

    // The work waits until the user-interface thread has handled a timer, a click on
    // the button and a click on the tray icon: proof that it keeps running meanwhile.
    std::atomic<bool> uiDone{false};
    QTimer::singleShot(0, &button, [&] {
        QTest::mouseClick(&button, Qt::LeftButton);
        form->TrayReleasedAt(QPoint(100, 100));
        uiDone = true;
    });
    // (Run on the user-interface thread, the work would wait for ever.)
    QtDesktopActions desktop;
    desktop.runWork([&uiDone] {
        while (!uiDone) {
            QThread::yieldCurrentThread();
        }
    });

    EXPECT_EQ(presses, 0);
    EXPECT_FALSE(form->trayMenu()->isVisible());

    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(presses, 1);
}

TEST_F(DesktopActionsTest, PausesBlockInputFailuresReachTheCallerAndWindowsStillClose) {
    QtDesktopActions desktop;
    bool blocked = false;
    QTimer::singleShot(0, QCoreApplication::instance(), [&blocked] { blocked = InputBlocker::active(); });
    desktop.pause(0);
    EXPECT_TRUE(blocked) << "a pause runs timers and blocks input";
    EXPECT_FALSE(InputBlocker::active());
    EXPECT_THROW(desktop.runWork([] { throw std::runtime_error("disk gone"); }), std::runtime_error);
    EXPECT_FALSE(InputBlocker::active());

    // A window closed by the program closes while input is blocked.
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
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            answer.stop();
            seen = (box->windowTitle() + "|" + box->text()).toStdString() + "|" + std::to_string(box->icon());
            QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
        }
    });
    answer.start(5);
    int result = 0;
    desktop.runWork(
        [&result] { result = platform().MsgBox("Delete these files?", 36, "Quillon Info....."); });
    EXPECT_EQ(result, IDYES);
    EXPECT_EQ(seen, "Quillon Info.....|Delete these files?|" + std::to_string(QMessageBox::Question));

    // A question closed without an answer counts as No.
    QTimer::singleShot(5, &answer,
                       [] { QApplication::activeModalWidget()->close(); }); // inside the box's loop
    EXPECT_EQ(platform().MsgBox("Delete these files?", 36, "Quillon Info....."), IDNO);
    platform().setMessageBoxHandler(nullptr);
}

// The flags of each kind (the boxes of the other tests show them) give the kind back.
TEST(MessageKindTest, TheFlagsGiveTheKindBack) {
    for (const MessageKind kind : {MessageKind::Information, MessageKind::Question,
                                   MessageKind::CriticalQuestion, MessageKind::Critical}) {
        EXPECT_EQ(MessageKindOf(MessageFlags(kind)), kind);
    }
    EXPECT_EQ(MessageKindOf(0), MessageKind::Information);
}

} // namespace
} // namespace tidorax::test
