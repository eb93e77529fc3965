#include "core/cleaning/Workers.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace tidorax {

namespace {

constexpr unsigned kMaxWorkers = 4;

} // namespace

unsigned WorkerCount(std::size_t parts) {
    // Asking the system for its cores reads a file: once is enough.
    static const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return static_cast<unsigned>(
        std::max<std::size_t>(1, std::min<std::size_t>({kMaxWorkers, cores, parts})));
}

WorkerBudget::WorkerBudget() : max_(WorkerCount(SIZE_MAX)) {}

unsigned WorkerBudget::take(std::size_t wanted) {
    unsigned busy = busy_.load();
    for (;;) {
        const unsigned free = max_ > busy ? max_ - busy : 0;
        const auto granted = static_cast<unsigned>(std::min<std::size_t>(free, wanted));
        if (granted == 0 || busy_.compare_exchange_weak(busy, busy + granted)) {
            return granted;
        }
    }
}

void RunOnWorkers(unsigned count, const std::function<void(unsigned)>& work) {
    std::exception_ptr thrown;
    std::mutex thrownMutex;
    const auto run = [&](unsigned part) {
        try {
            work(part);
        } catch (...) {
            const std::lock_guard<std::mutex> lock(thrownMutex);
            if (!thrown) {
                thrown = std::current_exception();
            }
        }
    };
    {
        std::vector<std::jthread> helpers;
        unsigned started = 1;
        for (; started < count; ++started) {
            try {
                helpers.emplace_back(run, started);
            } catch (const std::system_error&) {
                break; // no thread to be had: this thread runs the rest
            }
        }
        run(0);
        for (unsigned part = started; part < count; ++part) {
            run(part);
        }
    }
    if (thrown) {
        std::rethrow_exception(thrown);
    }
}

} // namespace tidorax
