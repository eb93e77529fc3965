// Times the file walk against find(1) on the same generated tree of 100,000 files in
// 1,010 folders (three levels), alternating the two after a warm-up, and prints the
// medians and their ratio. The tree lives in a fresh folder under $TMPDIR and is
// removed at the end.
#include "bench/BenchSupport.h"
#include "core/cleaning/FileWalk.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using tidorax::bench::median;
using tidorax::bench::secondsSince;

constexpr int kTopFolders = 10;
constexpr int kMiddleFolders = 10;   // in each top folder
constexpr int kLeafFolders = 9;      // in each middle folder
constexpr int kFilesPerFolder = 100; // in every middle and leaf folder: 1,000 folders
constexpr std::size_t kExpectedFiles =
    std::size_t{kTopFolders} * kMiddleFolders * (1 + kLeafFolders) * kFilesPerFolder;
constexpr int kRounds = 9;

bool makeFiles(int folderFd) {
    char name[32];
    for (int i = 0; i < kFilesPerFolder; ++i) {
        std::snprintf(name, sizeof name, "cache-entry-%03d.tmp", i);
        const int fd = ::openat(folderFd, name, O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            return false;
        }
        ::close(fd);
    }
    return true;
}

int makeFolder(int parentFd, const std::string& name) {
    if (::mkdirat(parentFd, name.c_str(), 0700) != 0) {
        return -1;
    }
    return ::openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

bool generateTree(const std::string& folder) {
    const int rootFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (rootFd < 0) {
        return false;
    }
    bool ok = true;
    for (int t = 0; t < kTopFolders && ok; ++t) {
        const int topFd = makeFolder(rootFd, "top" + std::to_string(t));
        ok = topFd >= 0;
        for (int m = 0; m < kMiddleFolders && ok; ++m) {
            const int middleFd = makeFolder(topFd, "middle" + std::to_string(m));
            ok = middleFd >= 0 && makeFiles(middleFd);
            for (int l = 0; l < kLeafFolders && ok; ++l) {
                const int leafFd = makeFolder(middleFd, "leaf" + std::to_string(l));
                ok = leafFd >= 0 && makeFiles(leafFd);
                if (leafFd >= 0) {
                    ::close(leafFd);
                }
            }
            if (middleFd >= 0) {
                ::close(middleFd);
            }
        }
        if (topFd >= 0) {
            ::close(topFd);
        }
    }
    ::close(rootFd);
    return ok;
}

// One walk into a fresh list; returns seconds, and the count through found.
double timeWalk(const std::string& folder, std::size_t& found) {
    const auto start = std::chrono::steady_clock::now();
    const tidorax::FileList list = tidorax::ListFilesBelow(folder);
    found = list.size();
    const double seconds = secondsSince(start);
    return seconds;
}

} // namespace

int main() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/tidorax-bench-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::fprintf(stderr, "cannot create a folder under %s\n", pattern.c_str());
        return 1;
    }
    const std::string folder = pattern + "/";
    int rc = 0;
#ifndef __OPTIMIZE__
    std::printf("note: built without optimisation; bench/run-bench-walk.sh builds it optimised\n");
#endif

    std::printf("generating %zu files in %d folders under %s\n", kExpectedFiles,
                kTopFolders * (1 + kMiddleFolders * (1 + kLeafFolders)), folder.c_str());
    if (!generateTree(folder)) {
        std::fprintf(stderr, "cannot generate the tree\n");
        rc = 1;
    } else {
        std::size_t found = 0;
        timeWalk(folder, found); // warm-up: caches filled for both
        if (tidorax::bench::timeFind(folder) < 0) {
            std::fprintf(stderr, "find could not be run\n");
            rc = 1;
        }
        std::vector<double> walkTimes;
        std::vector<double> findTimes;
        for (int round = 0; round < kRounds && rc == 0; ++round) {
            walkTimes.push_back(timeWalk(folder, found));
            if (found != kExpectedFiles) {
                std::fprintf(stderr, "walk found %zu files, expected %zu\n", found, kExpectedFiles);
                rc = 1;
            }
            const double findSeconds = tidorax::bench::timeFind(folder);
            if (findSeconds < 0) {
                std::fprintf(stderr, "find failed\n");
                rc = 1;
            }
            findTimes.push_back(findSeconds);
        }
        if (rc == 0) {
            const double walkMedian = median(walkTimes);
            const double findMedian = median(findTimes);
            std::printf("rounds: %d each, alternating, after one warm-up\n", kRounds);
            std::printf("WalkInto median: %.2f ms (%zu files)\n", walkMedian * 1000, found);
            std::printf("find -type f median: %.2f ms\n", findMedian * 1000);
            std::printf("walk/find: %.2f\n", walkMedian / findMedian);
        }
    }

    std::error_code ec;
    std::filesystem::remove_all(pattern, ec);
    if (ec) {
        std::fprintf(stderr, "could not remove %s: %s\n", pattern.c_str(), ec.message().c_str());
    }
    return rc;
}
