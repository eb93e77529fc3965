// Times the silent run "tidorax A" cleaning the Temp folder (the whole program: start,
// settings, in-use snapshot, deletion, count) on a generated tree of 100,000 files in
// 2,000 folders against "rm -rf" on an identical tree, on disk ($TMPDIR) and on tmpfs (a
// tmpfs mounted for it when run as root, else /dev/shm); the peak memory of a clean of
// 1,000,000 files; the in-use snapshot with 300 other processes running; and the cookie
// clean of 20,000 files with 200 saved and 50 special sites, the rewrite of the saved
// list included. Prints ratios: "clean/rm (tmpfs): R", "clean/rm (disk): R", and
// "clean/rm: R" (the disk figure, as before).
#include "bench/BenchSupport.h"
#include "core/cleaning/CookieSelection.h"
#include "core/cleaning/InUseSnapshot.h"
#include "core/plans/CleaningOperations.h"
#include "core/plans/CleaningPlans.h"
#include "core/settings/RegistryAccess.h"
#include "core/settings/SettingsStore.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using tidorax::bench::Clock;
using tidorax::bench::median;
using tidorax::bench::secondsSince;

int kTopFolders = 40;
constexpr int kSubfoldersEach = 49; // 40 * (1 + 49) = 2,000 folders
constexpr int kFilesPerFolder = 50; // 2,000 * 50 = 100,000 files

void makeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        std::perror(path.c_str());
        std::exit(2);
    }
}

void makeFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::perror(path.c_str());
        std::exit(2);
    }
    static const char contents[] = "generated file for the cleaning benchmark\n";
    if (::write(fd, contents, sizeof contents - 1) < 0) {
        std::perror(path.c_str());
    }
    ::close(fd);
}

void fillFolder(const std::string& folder) {
    for (int file = 0; file < kFilesPerFolder; ++file) {
        makeFile(folder + "/file" + std::to_string(file) + ".tmp");
    }
}

// The tree: each top folder holds files and subfolders that hold files.
void makeTree(const std::string& root) {
    makeFolder(root);
    for (int top = 0; top < kTopFolders; ++top) {
        const std::string topFolder = root + "/top" + std::to_string(top);
        makeFolder(topFolder);
        fillFolder(topFolder);
        for (int sub = 0; sub < kSubfoldersEach; ++sub) {
            const std::string subFolder = topFolder + "/sub" + std::to_string(sub);
            makeFolder(subFolder);
            fillFolder(subFolder);
        }
    }
}

bool isEmptyFolder(const std::string& path) {
    std::string command = "test -d '" + path + "' && test -z \"$(ls -A '" + path + "')\"";
    return std::system(command.c_str()) == 0;
}

struct CleanRun {
    double seconds = 0;
    long peakKilobytes = 0;
    bool complete = false;
};

// Runs "tidorax A" with the Temp folder set to tree and "TempFiles" selected in the
// bench's own settings store: the whole program, as the silent run at log-on makes it.
CleanRun timeClean(const std::string& tree) {
    const std::string temp = "Temp=" + tree;
    std::vector<std::string> environment{temp};
    for (char** variable = ::environ; *variable != nullptr; ++variable) {
        if (std::string(*variable).rfind("Temp=", 0) != 0) {
            environment.emplace_back(*variable);
        }
    }
    std::vector<char*> envp;
    for (std::string& variable : environment) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);
    std::string program = TIDORAX_BINARY, silent = "A";
    char* argv[] = {program.data(), silent.data(), nullptr};
    const auto start = Clock::now();
    pid_t pid = 0;
    if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0) {
        std::fprintf(stderr, "cannot start %s\n", program.c_str());
        std::exit(2);
    }
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    CleanRun result;
    result.seconds = secondsSince(start);
    result.peakKilobytes = usage.ru_maxrss;
    result.complete = WIFEXITED(status) && WEXITSTATUS(status) == 0 && isEmptyFolder(tree);
    return result;
}

double timeRemove(const std::string& tree) {
    const auto start = Clock::now();
    pid_t pid = 0;
    const char* argv[] = {"rm", "-rf", tree.c_str(), nullptr};
    if (::posix_spawnp(&pid, "rm", nullptr, nullptr, const_cast<char* const*>(argv), ::environ) != 0) {
        std::fprintf(stderr, "cannot start rm\n");
        std::exit(2);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return secondsSince(start);
}

double timeCookieSelection(const std::string& base) {
    const std::string folder = base + "/Cookies";
    makeFolder(folder);
    constexpr int kCookies = 20000;
    constexpr int kSites = 2000;
    std::vector<std::string> paths;
    for (int i = 0; i < kCookies; ++i) {
        const std::string path = folder + "/user@site" + std::to_string(i % kSites) + ".example[" +
                                 std::to_string(i / kSites) + "].txt";
        makeFile(path);
        paths.push_back(path);
    }
    tidorax::Settings.DeleteSetting("SavedCookies");
    tidorax::Settings.DeleteSetting("SpecialCookies");
    for (int k = 0; k < 200; ++k) {
        // Saved cookies of 200 sites (some files renewed since), the first 50 of them special.
        const int site = k * 7 % kSites;
        const std::string saved = folder + "/user@site" + std::to_string(site) + ".example[" +
                                  std::to_string(k % 3 == 0 ? 99 : 0) + "].txt";
        tidorax::Settings.SaveSetting("SavedCookies", "Cookie" + std::to_string(k), saved);
        if (k < 50) {
            tidorax::Settings.SaveSetting("SpecialCookies", "Cookie" + std::to_string(k),
                                          "site" + std::to_string(site) + ".example");
        }
    }
    // The first clean rewrites "SavedCookies" (the special sites' files replace their
    // saved entries) and deletes every cookie that is not kept.
    tidorax::RegistryAccess::SetRegValue(
        "HKCU", "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", "Cookies", "S",
        folder);
    ::sync();
    const auto start = Clock::now();
    const tidorax::CleaningReport report =
        tidorax::engineOperations().Clean(tidorax::TargetKind::Cookies, tidorax::Listing::CountOnly);
    const double seconds = secondsSince(start);
    std::printf("cookie clean: 20000 files, 200 saved, 50 special sites: %zu before, %zu after\n",
                report.filesBefore(), report.filesAfter());
    return seconds;
}

struct Comparison {
    double cleanMedian = 0;
    double removeMedian = 0;
    bool complete = true;
};

// Cleans and removes identical trees under base, rounds times, alternating the order.
Comparison compare(const std::string& base, int rounds, const char* where) {
    std::vector<double> cleanTimes;
    std::vector<double> removeTimes;
    Comparison result;
    for (int round = 0; round < rounds; ++round) {
        const std::string cleanTree = base + "/clean" + std::to_string(round);
        const std::string removeTree = base + "/remove" + std::to_string(round);
        makeTree(cleanTree);
        makeTree(removeTree);
        ::sync();
        CleanRun clean;
        double remove = 0;
        if (round % 2 == 0) {
            clean = timeClean(cleanTree);
            remove = timeRemove(removeTree);
        } else {
            remove = timeRemove(removeTree);
            clean = timeClean(cleanTree);
        }
        result.complete = result.complete && clean.complete;
        cleanTimes.push_back(clean.seconds);
        removeTimes.push_back(remove);
        std::printf("%s round %d: clean/rm %.2f%s\n", where, round + 1, clean.seconds / remove,
                    clean.complete ? "" : " (clean incomplete!)");
        ::rmdir(cleanTree.c_str());
    }
    result.cleanMedian = median(cleanTimes);
    result.removeMedian = median(removeTimes);
    return result;
}

// A fresh tmpfs: mounted on a new folder under base as root, else a folder in /dev/shm.
std::string makeTmpfsFolder(const std::string& base, bool& mounted) {
    std::string folder = ::geteuid() == 0 ? base + "/tmpfs" : "/dev/shm/tidorax-bench-XXXXXX";
    mounted = false;
    if (::geteuid() == 0) {
        makeFolder(folder);
        mounted = ::mount("tidorax-bench", folder.c_str(), "tmpfs", 0, "mode=0700") == 0;
        if (mounted) {
            return folder;
        }
        folder = "/dev/shm/tidorax-bench-XXXXXX";
    }
    if (::mkdtemp(folder.data()) == nullptr) {
        std::perror("mkdtemp in /dev/shm");
        std::exit(2);
    }
    return folder;
}

// Times the snapshot with 300 other processes (sleepers) running.
double timeSnapshot() {
    std::vector<pid_t> sleepers;
    const char* argv[] = {"sleep", "600", nullptr};
    for (int i = 0; i < 300; ++i) {
        pid_t pid = 0;
        if (::posix_spawnp(&pid, "sleep", nullptr, nullptr, const_cast<char* const*>(argv), ::environ) == 0) {
            sleepers.push_back(pid);
        }
    }
    std::vector<double> times;
    for (int round = 0; round < 5; ++round) {
        const auto start = Clock::now();
        const tidorax::InUseSnapshot snapshot = tidorax::InUseSnapshot::Take();
        times.push_back(secondsSince(start));
    }
    for (const pid_t pid : sleepers) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    return median(times);
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string base = tidorax::bench::makeBenchFolder("tidorax-bench-clean");
    if (base.empty()) {
        return 2;
    }
    // The hive and every folder the program might look at lie in the bench folder.
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"}) {
        const std::string folder = base + "/" + name;
        makeFolder(folder);
        ::setenv(name, folder.c_str(), 1);
    }
    // The silent run cleans the Temp folder only.
    for (const char* flag : {"InternetFiles", "CookieFiles", "UserFolder"}) {
        tidorax::Settings.SaveSetting("CleanPath", flag, "No");
    }
    tidorax::Settings.SaveSetting("CleanPath", "TempFiles", "Yes");

    bool mounted = false;
    const std::string tmpfs = makeTmpfsFolder(base, mounted);
    const Comparison onTmpfs = compare(tmpfs, rounds, "tmpfs");
    // The cookie clean on tmpfs, where the program's own work shows.
    const double cookieSeconds = timeCookieSelection(tmpfs);
    const double snapshotSeconds = timeSnapshot();
    std::printf("in-use snapshot with 300 other processes: %.4f s, %.1f%% of the tmpfs clean\n",
                snapshotSeconds, 100.0 * snapshotSeconds / onTmpfs.cleanMedian);
    std::printf("cookie clean 20k: %.3f s\n", cookieSeconds);
    if (argc > 2 && std::string(argv[2]) == "quick") {
        // A quick round while working on the clean: tmpfs only.
        std::printf("clean/rm (tmpfs): %.2f%s\n", onTmpfs.cleanMedian / onTmpfs.removeMedian,
                    onTmpfs.complete ? "" : ", CLEAN INCOMPLETE");
        if (mounted) {
            ::umount(tmpfs.c_str());
        }
        return std::system(("rm -rf '" + tmpfs + "' '" + base + "'").c_str()) == 0 && onTmpfs.complete ? 0
                                                                                                       : 1;
    }
    const Comparison onDisk = compare(base, rounds, "disk");

    // Memory: one clean of 1,000,000 files (20,000 folders), on tmpfs.
    kTopFolders = 400;
    const std::string large = tmpfs + "/large";
    makeTree(large);
    const CleanRun largeClean = timeClean(large);
    kTopFolders = 40;
    ::rmdir(large.c_str());
    if (mounted) {
        ::umount(tmpfs.c_str());
    }
    ::rmdir(tmpfs.c_str());

    // On disk the unlinks themselves take most of the cookie clean: rm -rf of as many
    // files there, for comparison.
    const double cookieDiskSeconds = timeCookieSelection(base);
    makeFolder(base + "/rm-cookies");
    for (int i = 0; i < 20000; ++i) {
        makeFile(base + "/rm-cookies/user@site" + std::to_string(i) + ".txt");
    }
    ::sync();
    const double cookieRemoveSeconds = timeRemove(base + "/rm-cookies");
    std::string cleanup = "rm -rf '" + base + "'";
    if (std::system(cleanup.c_str()) != 0) {
        std::fprintf(stderr, "could not remove %s\n", base.c_str());
    }

    const bool allComplete = onTmpfs.complete && onDisk.complete && largeClean.complete;
    std::printf("files: 100000 in 2000 folders, %d rounds%s\n", rounds,
                allComplete ? "" : ", CLEAN INCOMPLETE");
    std::printf("peak-MB at 1M files: %.1f\n", static_cast<double>(largeClean.peakKilobytes) / 1024.0);
    std::printf("cookie clean 20k on disk: %.3f s (rm -rf of 20000 files there: %.3f s)\n", cookieDiskSeconds,
                cookieRemoveSeconds);
    std::printf("clean/rm (tmpfs): %.2f\n", onTmpfs.cleanMedian / onTmpfs.removeMedian);
    std::printf("clean/rm (disk): %.2f\n", onDisk.cleanMedian / onDisk.removeMedian);
    std::printf("clean/rm: %.2f\n", onDisk.cleanMedian / onDisk.removeMedian);
    return allComplete ? 0 : 1;
}
