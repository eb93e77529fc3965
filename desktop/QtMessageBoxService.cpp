#include "desktop/QtMessageBoxService.h"

#include "platform/Platform.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

namespace tidorax {

namespace {

bool isQuestion(MessageKind kind) {
    return kind == MessageKind::Question || kind == MessageKind::CriticalQuestion;
}

QMessageBox::Icon iconFor(MessageKind kind) {
    switch (kind) {
    case MessageKind::Question:
        return QMessageBox::Question;
    case MessageKind::CriticalQuestion:
    case MessageKind::Critical:
        return QMessageBox::Critical;
    case MessageKind::Information:
        break;
    }
    return QMessageBox::Information;
}

int showOnThisThread(const std::string& prompt, MessageKind kind, const std::string& title) {
    const QMessageBox::StandardButtons buttons =
        isQuestion(kind) ? QMessageBox::Yes | QMessageBox::No : QMessageBox::StandardButtons(QMessageBox::Ok);
    QMessageBox box(iconFor(kind), QString::fromStdString(title), QString::fromStdString(prompt), buttons);
    box.setObjectName(QStringLiteral("MsgBox"));
    const int clicked = box.exec();
    if (clicked == QMessageBox::Yes) {
        return IDYES;
    }
    return clicked == QMessageBox::No ? IDNO : IDOK;
}

} // namespace

void QtMessageBoxService::install() {
    platform().setMessageBoxHandler([](const std::string& prompt, int buttons, const std::string& title) {
        return show(prompt, MessageKindOf(buttons), title);
    });
}

int QtMessageBoxService::show(const std::string& prompt, MessageKind kind, const std::string& title) {
    QCoreApplication* application = QCoreApplication::instance();
    int answer = 0;
    if (application == nullptr || QThread::currentThread() == application->thread()) {
        answer = showOnThisThread(prompt, kind, title);
    } else {
        QMetaObject::invokeMethod(
            application, [&] { answer = showOnThisThread(prompt, kind, title); },
            Qt::BlockingQueuedConnection);
    }
    if (isQuestion(kind) && answer != IDYES) {
        return IDNO;
    }
    return answer == 0 ? IDOK : answer;
}

} // namespace tidorax
