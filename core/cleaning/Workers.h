// Work split over the machine's cores: the deleter's independent folders and the
// in-use snapshot's processes.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>

namespace tidorax {

// How many workers a job of parts independent parts gets: one per part, at most four,
// and no more than the machine has cores.
unsigned WorkerCount(std::size_t parts);

// Grows this process's table of descriptors, once, to room for all that a clean may
// hold open at once (never beyond the process's limit). The kernel grows the table of a
// process with more than one thread only after a grace period (some 13 ms with nothing
// to do), and a clean that opens its way down a deep tree on several threads would
// otherwise wait for one at 64, 128, 256 and 512 descriptors.
void ReserveDescriptors();

// The threads one clean may keep busy, the one that started it included: at most as
// many as WorkerCount allows. Every part of the clean that could use more asks here, so
// that folders cleaned side by side and their subfolders share the cores.
class WorkerBudget {
public:
    WorkerBudget();
    // Up to wanted more threads, as many as are free; returns how many were granted.
    // Each gives its place back with release once it is done.
    unsigned take(std::size_t wanted);
    void release() { --busy_; }
    // Takes back the place of a thread that gave it up while it waited for others,
    // whether or not one is free: it goes on working once they are done.
    void rejoin() { ++busy_; }

private:
    std::atomic<unsigned> busy_{1};
    const unsigned max_;
};

// Runs work(0) .. work(count - 1) at once, work(0) on the calling thread and each other
// on a thread of its own; a part no thread can be had for runs on the calling thread.
// Returns when all have ended; an exception of any part is then thrown again.
void RunOnWorkers(unsigned count, const std::function<void(unsigned)>& work);

} // namespace tidorax
