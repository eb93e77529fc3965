#include "core/cleaning/HandOff.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace tidorax {

HandOff::~HandOff() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    for (std::thread& helper : helpers_) {
        helper.join();
    }
}

std::shared_ptr<HandOff::Ticket> HandOff::offer(std::function<void()> job) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (queue_.size() >= kMaxQueued) {
        return nullptr;
    }
    // A thread is started when none is waiting for work and the budget grants a place;
    // it then stays for the rest of the hand-off.
    if (idle_ == 0 && helpers_.size() <= queue_.size() && workers_.take(1) == 1) {
        try {
            helpers_.emplace_back(&HandOff::help, this);
        } catch (const std::system_error&) {
            workers_.release();
        }
    }
    if (helpers_.empty()) {
        return nullptr;
    }
    auto ticket = std::make_shared<Ticket>(std::move(job));
    queue_.push_back(ticket);
    changed_.notify_all();
    return ticket;
}

void HandOff::run(Ticket& ticket, std::unique_lock<std::mutex>& lock) {
    ticket.taken_ = true;
    lock.unlock();
    try {
        ticket.job_();
    } catch (...) {
        ticket.thrown_ = std::current_exception();
    }
    lock.lock();
    ticket.done_ = true;
    changed_.notify_all();
}

void HandOff::help() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        while (!queue_.empty()) {
            const std::shared_ptr<Ticket> ticket = std::move(queue_.front());
            queue_.pop_front();
            run(*ticket, lock);
        }
        // Nothing to do: the place in the budget goes back until there is, and it can be
        // had again (else the work waits for the one who queued it).
        workers_.release();
        ++idle_;
        changed_.wait(lock, [this] { return ending_ || (!queue_.empty() && workers_.take(1) == 1); });
        --idle_;
        if (ending_) {
            return; // the place was given back above
        }
    }
}

void HandOff::wait(Ticket& ticket) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!ticket.done_) {
        if (!ticket.taken_) {
            // Not taken yet: run here, out of its place in the queue.
            const auto mine = std::find_if(queue_.begin(), queue_.end(),
                                           [&ticket](const auto& queued) { return queued.get() == &ticket; });
            const std::shared_ptr<Ticket> held = *mine;
            queue_.erase(mine);
            run(*held, lock);
        } else if (!queue_.empty()) {
            const std::shared_ptr<Ticket> other = std::move(queue_.front());
            queue_.pop_front();
            run(*other, lock);
        } else {
            changed_.wait(lock);
        }
    }
    if (ticket.thrown_) {
        std::rethrow_exception(ticket.thrown_);
    }
}

} // namespace tidorax
