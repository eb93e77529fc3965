// Times the options window's Temp tab on 100,000 files in 2,000 folders: from the tab
// click to the count line, against `find -type f` on the same tree (medians of five
// rounds, alternating, after a warm-up), the longest time the user-interface thread
// did not return to its event loop meanwhile, and the program's resident memory
// before the window opens, with the list shown and after the window is closed. The
// tree and every folder the program writes to live in a fresh folder under $TMPDIR.
#include "bench/BenchSupport.h"
#include "core/plans/CleaningOperations.h"
#include "desktop/DesktopServices.h"
#include "desktop/LogindSession.h"
#include "desktop/PlatformMessageBoxes.h"
#include "desktop/ProcessMemory.h"
#include "desktop/QtDesktopActions.h"
#include "desktop/options/FolderTab.h"
#include "desktop/options/OptionsWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMenu>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kFolders = 2000;
constexpr int kFilesPerFolder = 50;
constexpr int kRounds = 5;

bool generateTree(const std::string& folder) {
    char name[64];
    for (int f = 0; f < kFolders; ++f) {
        const std::string sub = folder + "/group" + std::to_string(f / 100) + "/folder" + std::to_string(f);
        std::filesystem::create_directories(sub);
        for (int i = 0; i < kFilesPerFolder; ++i) {
            std::snprintf(name, sizeof name, "/temp-file-%03d.tmp", i);
            const int fd = ::open((sub + name).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
            if (fd < 0) {
                return false;
            }
            ::close(fd);
        }
    }
    return true;
}

double residentMegabytes() {
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Runs the event loop for a moment: what was closed is deleted, and what a new window
// set going is done.
void settle() {
    QEventLoop loop;
    QTimer::singleShot(200, &loop, &QEventLoop::quit);
    loop.exec();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Selects the Temp tab and runs the event loop until its count line is set; returns
// seconds, and the longest stretch the thread spent away from the loop.
double timeTempTab(tidorax::OptionsWindow* window, double& longestStallMs, int& shown) {
    auto* tempPage = window->findChild<tidorax::FolderTab*>(QStringLiteral("tempPage"));
    window->tabs->setCurrentIndex(0);
    QApplication::processEvents();
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setInterval(0);
    longestStallMs = 0;
    QObject::connect(&ticker, &QTimer::timeout, &ticker, [&] {
        longestStallMs = std::max(longestStallMs, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
        sinceTick.restart();
    });
    clock.start();
    sinceTick.start();
    ticker.start();
    window->tabs->setCurrentIndex(window->tabs->indexOf(tempPage));
    longestStallMs = std::max(longestStallMs, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
    while (tempPage->listing()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    longestStallMs = std::max(longestStallMs, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
    ticker.stop();
    shown = tempPage->filesModel->rowCount();
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    const char* base = std::getenv("TMPDIR");
    std::string root =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/tidorax-bench-XXXXXX";
    if (::mkdtemp(root.data()) == nullptr) {
        std::fprintf(stderr, "cannot create a folder under %s\n", root.c_str());
        return 1;
    }
    for (const char* name : {"home", "config", "cache", "data", "runtime", "temp"}) {
        std::filesystem::create_directories(root + "/" + name);
    }
    std::filesystem::permissions(root + "/runtime", std::filesystem::perms::owner_all);
    ::setenv("HOME", (root + "/home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (root + "/cache").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (root + "/runtime").c_str(), 1);
    ::setenv("Temp", (root + "/temp").c_str(), 1);
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    // As the tray program starts.
    tidorax::UseOneMallocArena();
    int rc = 0;
    {
        QApplication application(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        const std::string temp = root + "/temp";
        std::printf("generating %d files in %d folders under %s\n", kFolders * kFilesPerFolder, kFolders,
                    temp.c_str());
        if (!generateTree(temp) || tidorax::bench::timeFind(temp) < 0) {
            std::fprintf(stderr, "cannot generate the tree or run find\n");
            rc = 1;
        } else {
            // The program in the tray: its menu has been shown once (text drawn, fonts
            // loaded) before "Configuration" opens the window.
            QMenu menu;
            menu.addAction(QStringLiteral("Configuration"));
            menu.popup(QPoint(100, 100));
            settle();
            menu.hide();
            settle();
            const double before = residentMegabytes();
            std::vector<double> listTimes;
            std::vector<double> findTimes;
            double longestStall = 0;
            int shown = 0;
            double stall = 0;
            tidorax::QtDesktopActions actions;
            tidorax::LogindSession logind;
            tidorax::PlatformMessageBoxes messages;
            const tidorax::DesktopServices services(tidorax::engineOperations(), actions, logind, messages);
            auto* window = new tidorax::OptionsWindow(services);
            window->load();
            timeTempTab(window, stall, shown); // warm-up
            for (int round = 0; round < kRounds; ++round) {
                listTimes.push_back(timeTempTab(window, stall, shown));
                longestStall = std::max(longestStall, stall);
                findTimes.push_back(tidorax::bench::timeFind(temp));
            }
            const double withList = residentMegabytes();
            window->unload();
            settle();
            const double after = residentMegabytes();
            if (shown != kFolders * kFilesPerFolder) {
                std::fprintf(stderr, "the Temp tab shows %d files\n", shown);
                rc = 1;
            }
            std::printf("tab click to count line median: %.1f ms (%d files)\n", median(listTimes) * 1000,
                        shown);
            std::printf("find -type f median: %.1f ms\n", median(findTimes) * 1000);
            std::printf("list/find: %.2f\n", median(listTimes) / median(findTimes));
            std::printf("ui-stall-ms: %.0f\n", longestStall);
            std::printf("rss-mb before: %.1f, with the list: %.1f, after closing: %.1f\n", before, withList,
                        after);
        }
    }
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    return rc;
}
