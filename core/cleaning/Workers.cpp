#include "core/cleaning/Workers.h"

#include <algorithm>
#include <exception>
#include <fcntl.h>
#include <mutex>
#include <sys/resource.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tidorax {

namespace {

constexpr unsigned kMaxWorkers = 4;
// Each worker may hold the descriptors of up to 128 levels of folders, and runs handed
// off hold copies of some.
constexpr rlim_t kDescriptorsReserved = 1024;

} // namespace

unsigned WorkerCount(std::size_t parts) {
    // Asking the system for its cores reads a file: once is enough.
    static const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return static_cast<unsigned>(
        std::max<std::size_t>(1, std::min<std::size_t>({kMaxWorkers, cores, parts})));
}

void ReserveDescriptors() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur < 2) {
        return;
    }
    const rlim_t highest = std::min(limit.rlim_cur, kDescriptorsReserved) - 1;
    const int probe = ::open("/", O_PATH | O_CLOEXEC);
    if (probe < 0) {
        return;
    }
    // The lowest free descriptor from highest on, never one in use: the table grows to
    // hold it and keeps its size once it is closed.
    const int high = ::fcntl(probe, F_DUPFD_CLOEXEC, static_cast<int>(highest));
    if (high >= 0) {
        ::close(high);
    }
    ::close(probe);
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
