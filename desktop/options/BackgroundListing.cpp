#include "desktop/options/BackgroundListing.h"

#include <QThread>

#include <condition_variable>
#include <memory>
#include <mutex>

namespace tidorax {

namespace {

std::mutex runningMutex;
std::condition_variable runningChanged;
int runningThreads = 0;

// Counts a listing thread from before it starts until its work has ended.
class RunningThread {
public:
    RunningThread() {
        std::lock_guard<std::mutex> lock(runningMutex);
        ++runningThreads;
    }
    ~RunningThread() {
        std::lock_guard<std::mutex> lock(runningMutex);
        --runningThreads;
        runningChanged.notify_all();
    }
    RunningThread(const RunningThread&) = delete;
    RunningThread& operator=(const RunningThread&) = delete;
};

} // namespace

void BackgroundListing::WaitForAll() {
    std::unique_lock<std::mutex> lock(runningMutex);
    runningChanged.wait(lock, [] { return runningThreads == 0; });
}

BackgroundListing::BackgroundListing(QObject* parent) : QObject(parent) {}

void BackgroundListing::start(std::function<ListedFiles()> work, Done done, bool readsSettings) {
    const quint64 generation = ++generation_;
    running_ = true;
    auto result = std::make_shared<ListedFiles>();
    auto running = readsSettings ? std::make_shared<RunningThread>() : nullptr;
    QThread* thread = QThread::create([work = std::move(work), result, running]() mutable {
        const std::shared_ptr<RunningThread> counted = std::move(running);
        try {
            *result = work();
        } catch (...) {
            *result = ListedFiles{};
        }
    });
    connect(thread, &QThread::finished, this, [this, generation, result, done = std::move(done)] {
        if (generation != generation_) {
            return;
        }
        running_ = false;
        done(*result);
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

void BackgroundListing::cancel() {
    ++generation_;
    running_ = false;
}

QStringList ToStringList(const std::vector<std::string>& files) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(files.size()));
    for (const std::string& file : files) {
        list.push_back(QString::fromStdString(file));
    }
    return list;
}

} // namespace tidorax
