// Work handed by the thread that walks a tree to a thread with a core free: the walking
// thread queues a folder's files to be deleted and goes on into its subfolders, so that
// the files of a deep chain, or of the folders of one large branch, are deleted on every
// core the clean may use. A thread that has to wait for work it queued runs queued work
// itself meanwhile, its own first, and never sits idle while anything is queued.
#pragma once

#include "core/cleaning/Workers.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tidorax {

class HandOff {
public:
    // One piece of queued work, which the one who queued it waits for.
    class Ticket {
    public:
        explicit Ticket(std::function<void()> job) : job_(std::move(job)) {}

    private:
        friend class HandOff;
        std::function<void()> job_;
        bool taken_ = false;
        bool done_ = false;
        std::exception_ptr thrown_;
    };

    // At most this much work waits in the queue; more is run by the one offering it.
    static constexpr std::size_t kMaxQueued = 64;

    explicit HandOff(WorkerBudget& workers) : workers_(workers) {}
    // Lets the helper threads end, and waits for them.
    ~HandOff();
    HandOff(const HandOff&) = delete;
    HandOff& operator=(const HandOff&) = delete;

    // Queues job for a thread that is free, starting one when the budget grants it; null
    // when none can be had or the queue is full: the caller then runs the job itself.
    std::shared_ptr<Ticket> offer(std::function<void()> job);
    // Returns once the ticket's job has run (an exception it threw is thrown again
    // here), running it here if no thread has taken it yet, and other queued work while
    // it runs elsewhere.
    void wait(Ticket& ticket);

private:
    // Runs a ticket taken from the queue; the lock is let go meanwhile.
    void run(Ticket& ticket, std::unique_lock<std::mutex>& lock);
    // A helper thread: runs queued work while it holds a place in the budget, and gives
    // the place back while there is none, until the hand-off ends.
    void help();

    WorkerBudget& workers_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<Ticket>> queue_;
    std::vector<std::thread> helpers_;
    std::size_t idle_ = 0; // helpers waiting for work, their place in the budget given back
    bool ending_ = false;
};

} // namespace tidorax
