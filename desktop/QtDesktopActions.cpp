#include "desktop/QtDesktopActions.h"

#include "desktop/InputBlocker.h"

#include <QDesktopServices>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <exception>
#include <memory>

namespace tidorax {

void QtDesktopActions::runWork(const std::function<void()>& work) {
    InputBlocker blocker;
    std::exception_ptr failure;
    QEventLoop loop;
    std::unique_ptr<QThread> worker(QThread::create([&work, &failure] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    if (!worker->isFinished()) {
        loop.exec();
    }
    worker->wait();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void QtDesktopActions::pause(std::uint32_t milliseconds) {
    InputBlocker blocker;
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(milliseconds), &loop, &QEventLoop::quit);
    loop.exec();
}

void QtDesktopActions::openDocument(const std::string& path) {
    const QString file = QString::fromStdString(path);
    if (!QFileInfo::exists(file)) {
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

void QtDesktopActions::openAndWait(const std::string& path) {
    const QString file = QString::fromStdString(path);
    if (!QFileInfo::exists(file)) {
        return;
    }
    InputBlocker blocker;
    QProcess viewer;
    QEventLoop loop;
    QObject::connect(&viewer, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&viewer, &QProcess::errorOccurred, &loop, [&loop](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            loop.quit();
        }
    });
    viewer.start(QStringLiteral("xdg-open"), {file});
    if (viewer.state() != QProcess::NotRunning) {
        loop.exec();
    }
}

} // namespace tidorax
