#include "desktop/options/BackgroundListing.h"

#include <QThread>

#include <memory>

namespace tidorax {

BackgroundListing::BackgroundListing(QObject* parent) : QObject(parent) {}

void BackgroundListing::start(std::function<ListedFiles()> work, Done done) {
    const quint64 generation = ++generation_;
    running_ = true;
    auto result = std::make_shared<ListedFiles>();
    QThread* thread = QThread::create([work = std::move(work), result] {
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
