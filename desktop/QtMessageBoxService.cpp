#include "desktop/QtMessageBoxService.h"

#include "platform/Platform.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

namespace tidorax {

namespace {

QMessageBox::Icon iconFor(int buttons) {
    switch (buttons & 0xF0) {
    case 16:
        return QMessageBox::Critical;
    case 32:
        return QMessageBox::Question;
    case 48:
        return QMessageBox::Warning;
    case 64:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButtons buttonsFor(int buttons) {
    switch (buttons & 0x0F) {
    case 1:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case 3:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case 4:
        return QMessageBox::Yes | QMessageBox::No;
    default:
        return QMessageBox::Ok;
    }
}

int answerOf(int clicked) {
    switch (clicked) {
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Cancel:
        return 2;
    default:
        return IDOK;
    }
}

int showOnThisThread(const std::string& prompt, int buttons, const std::string& title) {
    QMessageBox box(iconFor(buttons), QString::fromStdString(title), QString::fromStdString(prompt),
                    buttonsFor(buttons));
    box.setObjectName(QStringLiteral("MsgBox"));
    return answerOf(box.exec());
}

} // namespace

void QtMessageBoxService::install() {
    platform().setMessageBoxHandler(&QtMessageBoxService::show);
}

int QtMessageBoxService::show(const std::string& prompt, int buttons, const std::string& title) {
    QCoreApplication* application = QCoreApplication::instance();
    int answer = 0;
    if (application == nullptr || QThread::currentThread() == application->thread()) {
        answer = showOnThisThread(prompt, buttons, title);
    } else {
        QMetaObject::invokeMethod(
            application, [&] { answer = showOnThisThread(prompt, buttons, title); },
            Qt::BlockingQueuedConnection);
    }
    // A question that was not answered Yes (closed, or never shown) counts as No, so
    // that nothing the user did not agree to goes ahead.
    if ((buttons & 0x0F) == 4 && answer != IDYES) {
        return IDNO;
    }
    return answer == 0 ? IDOK : answer;
}

} // namespace tidorax
