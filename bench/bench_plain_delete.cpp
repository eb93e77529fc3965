// A plain deleter on two threads, as a second reference for bench_shapes: every folder
// is read once, every entry stat'ed once (the owner rule of the Temp clean; left out
// with --no-stat) and unlinked once; a folder's subfolders go on one stack that both
// threads take from, before its files are deleted, so that both share the work at
// every depth. It keeps none of the program's other rules (no in-use snapshot, no
// mount, link-swap or replacement checks, no report), holds every folder open until
// the end, and removes the folders deepest first, those of one depth on both threads.
// Usage: bench_plain_delete [--no-stat] FOLDER...  (what is below each FOLDER goes;
// the FOLDER stays). Exit 1 when anything was left.
#include "core/cleaning/FolderEntries.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct Folder {
    int fd;
    int parentFd;
    std::string name;
    int depth;
};

class PlainDeleter {
public:
    explicit PlainDeleter(bool statEach) : statEach_(statEach), user_(::geteuid()) {}

    void add(int fd) { pending_.push_back(Folder{fd, -1, {}, 0}); }

    // Empties every folder added, on two threads; false when anything was left.
    bool run() {
        std::thread other(&PlainDeleter::work, this);
        work();
        other.join();
        removeFolders();
        return !failed_;
    }

private:
    void work() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return !pending_.empty() || busy_ == 0; });
            if (pending_.empty()) {
                changed_.notify_all();
                return;
            }
            Folder folder = std::move(pending_.back());
            pending_.pop_back();
            ++busy_;
            lock.unlock();
            empty(folder);
            lock.lock();
            --busy_;
            done_.push_back(std::move(folder));
            changed_.notify_all();
        }
    }

    // Deletes a folder's files, its subfolders first handed to the stack.
    void empty(const Folder& folder) {
        thread_local std::vector<char> buffer(64 * 1024);
        std::vector<std::pair<std::string, unsigned char>> entries;
        tidorax::ForEachFolderEntry(folder.fd, buffer, [&entries](const dirent64& entry) {
            entries.emplace_back(entry.d_name, entry.d_type);
        });
        const auto owned = [this, &folder](const std::string& name) {
            struct stat st {};
            return !statEach_ ||
                   (::fstatat(folder.fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_uid == user_);
        };
        std::vector<Folder> subfolders;
        for (const auto& [name, type] : entries) {
            if (type != DT_DIR) {
                continue;
            }
            const int fd = owned(name) ? ::openat(folder.fd, name.c_str(),
                                                  O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)
                                       : -1;
            if (fd < 0) {
                failed_ = true;
                continue;
            }
            subfolders.push_back(Folder{fd, folder.fd, name, folder.depth + 1});
        }
        if (!subfolders.empty()) {
            const std::lock_guard<std::mutex> lock(mutex_);
            for (Folder& child : subfolders) {
                pending_.push_back(std::move(child));
            }
            changed_.notify_all();
        }
        for (const auto& [name, type] : entries) {
            if (type != DT_DIR && (!owned(name) || ::unlinkat(folder.fd, name.c_str(), 0) != 0)) {
                failed_ = true;
            }
        }
    }

    // Removes the folders deepest first, those of one depth on both threads.
    void removeFolders() {
        std::sort(done_.begin(), done_.end(),
                  [](const Folder& a, const Folder& b) { return a.depth > b.depth; });
        for (std::size_t first = 0; first < done_.size();) {
            std::size_t end = first;
            while (end < done_.size() && done_[end].depth == done_[first].depth) {
                ++end;
            }
            const auto removeEvery = [this, first, end](std::size_t start) {
                for (std::size_t i = first + start; i < end; i += 2) {
                    ::close(done_[i].fd);
                    if (done_[i].parentFd >= 0 &&
                        ::unlinkat(done_[i].parentFd, done_[i].name.c_str(), AT_REMOVEDIR) != 0) {
                        failed_ = true;
                    }
                }
            };
            if (end - first > 64) {
                std::thread other(removeEvery, 1);
                removeEvery(0);
                other.join();
            } else {
                removeEvery(0);
                removeEvery(1);
            }
            first = end;
        }
    }

    const bool statEach_;
    const uid_t user_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Folder> pending_;
    std::vector<Folder> done_;
    int busy_ = 0;
    std::atomic<bool> failed_ = false;
};

} // namespace

int main(int argc, char** argv) {
    // Every folder stays open until the end: as many descriptors as may be had.
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
    const bool statEach = argc < 2 || std::strcmp(argv[1], "--no-stat") != 0;
    PlainDeleter deleter(statEach);
    for (int i = statEach ? 1 : 2; i < argc; ++i) {
        const int fd = ::open(argv[i], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            std::perror(argv[i]);
            return 2;
        }
        deleter.add(fd);
    }
    return deleter.run() ? 0 : 1;
}
