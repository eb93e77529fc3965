#include "desktop/QtDesktopActions.h"

#include "desktop/InputBlocker.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>

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

} // namespace tidorax
