// Times CleanTempFiles (the walk before, the deletion and the walk after) on a generated
// tree of 100,000 files in 2,000 folders against "rm -rf" on an identical tree, and
// SelectCookiesToDelete on 20,000 cookie files with 200 saved and 50 special sites.
// Everything lives in a fresh folder under $TMPDIR. The last line is "clean/rm: R",
// R the ratio of the median times.
#include "core/cleaning/CookieSelection.h"
#include "core/cleaning/FolderCleaning.h"
#include "core/settings/SettingsStore.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kTopFolders = 40;
constexpr int kSubfoldersEach = 49; // 40 * (1 + 49) = 2,000 folders
constexpr int kFilesPerFolder = 50; // 2,000 * 50 = 100,000 files

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

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

// Cleans the tree in a child process, so that its peak memory is the clean's own.
CleanRun timeClean(const std::string& tree) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        std::exit(2);
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        ::setenv("Temp", tree.c_str(), 1);
        const auto start = Clock::now();
        const tidorax::CleaningReport report = tidorax::CleanTempFiles();
        CleanRun result;
        result.seconds = secondsSince(start);
        result.complete = report.filesBefore() == 100000 && report.filesAfter() == 0;
        if (::write(pipeFds[1], &result, sizeof result) != sizeof result) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    CleanRun result;
    if (::read(pipeFds[0], &result, sizeof result) != sizeof result) {
        std::fprintf(stderr, "the cleaning child failed\n");
        std::exit(2);
    }
    ::close(pipeFds[0]);
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    result.peakKilobytes = usage.ru_maxrss;
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

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
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
    // The first selection rewrites "SavedCookies" (the special sites' files replace their
    // saved entries); the second finds nothing to rewrite.
    const auto start = Clock::now();
    tidorax::SelectCookiesToDelete(folder + "/");
    const double seconds = secondsSince(start);
    const auto again = Clock::now();
    const tidorax::CookieSelection selection = tidorax::SelectCookiesToDelete(folder + "/");
    const double secondsAgain = secondsSince(again);
    std::printf("select cookies: 20000 files, 200 saved, 50 special sites: %zu to delete, %zu saved, "
                "%.3f s (with the rewrite of the saved list), %.3f s (without)\n",
                selection.toDelete.size(), selection.saved.size(), seconds, secondsAgain);
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const char* tmp = std::getenv("TMPDIR");
    std::string base =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/tidorax-bench-clean-XXXXXX";
    if (::mkdtemp(base.data()) == nullptr) {
        std::perror("mkdtemp");
        return 2;
    }
    // The hive and every folder the program might look at lie in the bench folder.
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"}) {
        const std::string folder = base + "/" + name;
        makeFolder(folder);
        ::setenv(name, folder.c_str(), 1);
    }

    std::vector<double> cleanTimes;
    std::vector<double> removeTimes;
    long peakKilobytes = 0;
    bool allComplete = true;
    for (int round = 0; round < rounds; ++round) {
        const std::string cleanTree = base + "/clean" + std::to_string(round);
        const std::string removeTree = base + "/remove" + std::to_string(round);
        makeTree(cleanTree);
        makeTree(removeTree);
        ::sync();
        CleanRun clean;
        double remove = 0;
        // Alternate which goes first, so neither always meets a warmer cache.
        if (round % 2 == 0) {
            clean = timeClean(cleanTree);
            remove = timeRemove(removeTree);
        } else {
            remove = timeRemove(removeTree);
            clean = timeClean(cleanTree);
        }
        const bool emptied = isEmptyFolder(cleanTree);
        allComplete = allComplete && clean.complete && emptied;
        cleanTimes.push_back(clean.seconds);
        removeTimes.push_back(remove);
        peakKilobytes = std::max(peakKilobytes, clean.peakKilobytes);
        std::printf("round %d: clean %.3f s, rm -rf %.3f s%s\n", round + 1, clean.seconds, remove,
                    clean.complete && emptied ? "" : " (clean incomplete!)");
        ::rmdir(cleanTree.c_str());
    }
    timeCookieSelection(base);
    std::string cleanup = "rm -rf '" + base + "'";
    if (std::system(cleanup.c_str()) != 0) {
        std::fprintf(stderr, "could not remove %s\n", base.c_str());
    }

    const double cleanMedian = median(cleanTimes);
    const double removeMedian = median(removeTimes);
    std::printf("files: 100000 in 2000 folders, %d rounds%s\n", rounds,
                allComplete ? "" : ", CLEAN INCOMPLETE");
    std::printf("peak memory of the clean: %ld KiB\n", peakKilobytes);
    std::printf("median clean %.3f s, median rm -rf %.3f s\n", cleanMedian, removeMedian);
    std::printf("clean/rm: %.2f\n", cleanMedian / removeMedian);
    return allComplete ? 0 : 1;
}
