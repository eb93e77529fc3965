#include "core/browsers/BrowserProfile.h"
#include "core/browsers/KeptSites.h"
#include "core/plans/CleaningOperations.h"
#include "core/plans/CleaningPlans.h"
#include "core/settings/SettingsStore.h"
#include "tests/support/EngineTestSupport.h"
#include "tests/support/PlatformFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sqlite3.h>
#include <sstream>
#include <unistd.h>

namespace tidorax::test {
namespace {

// A process id that no process has: a child that has ended and been reaped.
pid_t endedProcess() {
    const pid_t child = startChild([] { return 0; });
    waitChild(child);
    return child;
}

std::string hostName() {
    char name[HOST_NAME_MAX + 1] = {};
    ::gethostname(name, sizeof name - 1);
    return name;
}

// Runs one statement on the store: each row's columns joined by "|", in order.
FileList query(const std::string& store, const std::string& sql) {
    sqlite3* db = nullptr;
    FileList rows;
    sqlite3_open_v2(store.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    const auto addRow = [](void* list, int columns, char** values, char**) {
        std::string& row = static_cast<FileList*>(list)->emplace_back(values[0]);
        for (int i = 1; i < columns; ++i) {
            row += "|" + std::string(values[i]);
        }
        return 0;
    };
    sqlite3_exec(db, sql.c_str(), addRow, &rows, nullptr);
    sqlite3_close(db);
    return rows;
}

// A home folder made by the real Firefox ESR and Chromium, unpacked afresh for each test,
// with $XDG_CONFIG_HOME and $XDG_CACHE_HOME below it as when it was made.
class BrowserCleaningTest : public PlatformFixture {
protected:
    void SetUp() override {
        PlatformFixture::SetUp();
        if (!exists(TIDORAX_BROWSER_PROFILES)) {
            GTEST_SKIP() << "no browser profiles at " << TIDORAX_BROWSER_PROFILES;
        }
        std::filesystem::remove_all(home);
        makeDirs(home);
        const std::string unpack = "tar -C '" + home + "' -xzf '" TIDORAX_BROWSER_PROFILES "'";
        ASSERT_EQ(std::system(unpack.c_str()), 0);
        fake().env["XDG_CONFIG_HOME"] = home + "/.config";
        fake().env["XDG_CACHE_HOME"] = home + "/.cache";
        lock(firefox + "/lock", "127.0.0.1:+" + std::to_string(endedProcess()));
    }
    // Makes link the browser's lock naming target; leaves it as it is for no target.
    static void lock(const std::string& link, const std::string& target) {
        if (!target.empty()) {
            ::unlink(link.c_str());
            ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
        }
    }
    FileList cookies(const std::string& store) const {
        const bool mozilla = store == firefoxStore;
        return query(store, mozilla ? "SELECT host, name FROM moz_cookies ORDER BY host, name"
                                    : "SELECT host_key, name FROM cookies ORDER BY host_key, name");
    }

    std::string home = tmp / "home";
    std::string firefox = home + "/.config/mozilla/firefox/gpmzt8q4.default-esr";
    std::string firefoxStore = firefox + "/cookies.sqlite";
    std::string chromium = home + "/.config/chromium";
    std::string chromiumStore = chromium + "/Default/Cookies";
};

// Each packaging's profiles are found through the browser's own list, with their caches
// and cookie stores; a name leading out of its folder is never taken.
TEST_F(BrowserCleaningTest, FindsEveryProfileWithItsCachesAndStores) {
    const std::string mozilla = home + "/.mozilla/firefox", flatpak = home + "/.var/app/org.mozilla.firefox";
    writeFile(mozilla + "/profiles.ini", "[Profile0]\nName=away\nIsRelative=0\nPath=" + tmp / "away/" +
                                             "\n\n[Profile1]\nIsRelative=1\nPath=../escape\n");
    writeFile(flatpak + "/.mozilla/firefox/profiles.ini", "[Profile0]\r\nPath=fp.default\r\n");
    makeDirs(flatpak + "/.mozilla/firefox/fp.default");
    makeDirs(flatpak + "/cache/mozilla/firefox/fp.default/cache2");
    const std::string brave = home + "/.config/BraveSoftware/Brave-Browser";
    writeFile(brave + "/Local State",
              R"({"profile": {"info_cache": {"Profile 1": {}, "../x": {}, "a/b": {}}}})");
    writeFiles(tmp.path(), {"away/cache2/entries/A", "away/cookies.sqlite", "home/escape/cookies.sqlite",
                            "home/.config/BraveSoftware/Brave-Browser/Profile 1/Network/Cookies"});
    makeDirs(home + "/.cache/BraveSoftware/Brave-Browser/Profile 1/Code Cache");

    FileList found;
    for (const BrowserProfile& profile : FindBrowserProfiles()) {
        std::string line = std::string(profile.browser->name) + " " + profile.name + ": " + profile.folder;
        for (const std::string& path : profile.caches) {
            line += " cache " + path;
        }
        for (const std::string& path : profile.cookieStores) {
            line += " store " + path;
        }
        found.push_back(line);
    }
    const std::string cache = home + "/.cache";
    EXPECT_EQ(
        found,
        (FileList{
            "Firefox away: " + tmp / "away cache " + tmp / "away/cache2 store " + tmp / "away/cookies.sqlite",
            "Firefox default: " + home + "/.config/mozilla/firefox/f6mhlwb8.default",
            "Firefox default-esr: " + firefox + " cache " + cache +
                "/mozilla/firefox/gpmzt8q4.default-esr/cache2 store " + firefoxStore,
            "Firefox fp.default: " + flatpak + "/.mozilla/firefox/fp.default cache " + flatpak +
                "/cache/mozilla/firefox/fp.default/cache2",
            "Chromium Default: " + chromium + "/Default cache " + cache + "/chromium/Default/Cache cache " +
                cache + "/chromium/Default/Code Cache store " + chromiumStore,
            "Brave Profile 1: " + brave + "/Profile 1 cache " + cache +
                "/BraveSoftware/Brave-Browser/Profile 1/Code Cache store " + brave +
                "/Profile 1/Network/Cookies",
        }));
    EXPECT_EQ(WebCacheFolders().size(), 6u);
    ASSERT_TRUE(setShellFolder("Cache", tmp / "chosen/"));
    EXPECT_EQ(WebCacheFolders(), FileList{tmp / "chosen"});
}

// A kept site keeps itself and every host below it; an address or localhost only itself
// (and an address is never below a site such as "5.5").
TEST(KeptSitesTest, ASiteKeepsItselfAndTheHostsBelowIt) {
    const KeptSites kept(
        {"keep.example", " .Dotted.Example ", "127.0.0.1", "localhost", "[::1]", "", ".", "5.5"});
    std::istringstream cases("keep.example=1 .keep.example=1 www.keep.example=1 a.b.keep.example=1 "
                             "WWW.KEEP.EXAMPLE=1 notkeep.example=0 keep.example.evil=0 example=0 "
                             "dotted.example=1 x.dotted.example=1 127.0.0.1=1 127.0.0.2=0 1.127.0.0.1=0 "
                             "localhost=1 a.localhost=0 ::1=1 [::1]=1 ::2=0 =0 .=0 other.test=0 10.0.5.5=0");
    for (std::string c; cases >> c;) {
        EXPECT_EQ(kept.keeps(c.substr(0, c.rfind('='))), c.back() == '1') << c;
    }
}

// The cookie clean deletes, from every store, the cookies of the hosts not kept and counts
// them. A browser that runs (its lock names a live process, or it holds its store as
// Firefox does) keeps its cookies, and the report says so, after waiting only a moment; a
// lock left by a browser that ended does not stop the clean, nor does a store that fails
// halfway stay half changed.
TEST_F(BrowserCleaningTest, CookieCleanKeepsTheKeptSitesAndLeavesARunningBrowserWhole) {
    const std::string live = std::to_string(::getpid()), ended = std::to_string(endedProcess());
    const std::string running = " were not cleaned: the browser is running.";
    const std::string firefoxRefusal = "The cookies of Firefox (profile default-esr)";
    const std::string chromiumRefusal = "The cookies of Chromium (profile Default)";
    struct Case {
        std::string what, firefoxLock, chromiumLock, sql; // sql: run on Chromium's store first
        std::string refusal;                              // "" when both are cleaned
        bool held = false;                                // Firefox's store held open and locked
    };
    const Case cases[] = {
        {"Firefox runs", "127.0.0.1:+" + live, "", "", firefoxRefusal + running},
        {"Firefox holds its store", "", "", "", firefoxRefusal + running, true},
        {"Chromium runs", "", hostName() + "-" + live, "", chromiumRefusal + running},
        {"Chromium runs on another computer", "", "elsewhere.example-" + live, "", chromiumRefusal + running},
        {"stale locks", "127.0.0.1:+" + ended, hostName() + "-" + ended, "", ""},
        {"a trigger stops the deletion halfway", "", "",
         "CREATE TRIGGER stop BEFORE DELETE ON cookies WHEN old.host_key = 'ads.tracker.test' "
         "BEGIN SELECT RAISE(ABORT, 'stopped here'); END",
         chromiumRefusal + " were not cleaned: their store " + chromiumStore +
             " cannot be changed (stopped here)."},
    };
    for (const Case& c : cases) {
        SetUp();
        lock(firefox + "/lock", c.firefoxLock);
        lock(chromium + "/SingletonLock", c.chromiumLock);
        query(chromiumStore, c.sql);
        Settings.SaveSetting("SpecialCookies", "Cookie0", "example.test");
        Settings.SaveSetting("SpecialCookies", "Cookie1", "localhost");
        const FileList firefoxBefore = cookies(firefoxStore), chromiumBefore = cookies(chromiumStore);
        sqlite3* holder = nullptr;
        if (c.held) {
            ASSERT_EQ(sqlite3_open(firefoxStore.c_str(), &holder), SQLITE_OK);
            sqlite3_exec(holder, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
        }

        const CleaningReport report = engineOperations().Clean(TargetKind::Cookies);

        sqlite3_close_v2(holder);
        EXPECT_EQ(report.refusals(), c.refusal.empty() ? FileList{} : FileList{c.refusal}) << c.what;
        const bool firefoxLeft = c.refusal.rfind(firefoxRefusal, 0) == 0;
        const bool chromiumLeft = c.refusal.rfind(chromiumRefusal, 0) == 0;
        const FileList kept = {".example.test|dom_example", "mail.example.test|host_mail",
                               "news.example.test|host_news"};
        FileList firefoxKept = kept;
        firefoxKept.insert(firefoxKept.begin() + 1, "localhost|host_localhost");
        EXPECT_EQ(cookies(firefoxStore), firefoxLeft ? firefoxBefore : firefoxKept) << c.what;
        EXPECT_EQ(cookies(chromiumStore), chromiumLeft ? chromiumBefore : kept) << c.what;
        EXPECT_EQ(query(firefoxStore, "PRAGMA integrity_check"), FileList{"ok"}) << c.what;
        if (c.refusal.empty()) { // both counted: 6 cookies before, 4 after; 5 and 3
            const std::vector<FolderReport>& f = report.folders;
            EXPECT_EQ(std::tuple(f.size(), f.at(0).folder, f.at(0).beforeCount, f.at(0).afterCount,
                                 f.at(1).beforeCount, f.at(1).afterCount, f.at(1).kind),
                      std::tuple(2ul, firefoxStore, 6ul, 4ul, 5ul, 3ul, TargetKind::Cookies));
        }
    }
}

// The web cache is the browsers' caches: their files go, their folders stay, and every
// other cache (another program's, Firefox's start-up cache) stays; so do the caches of a
// browser that runs, named once. A profile, or a folder holding one, named as a user
// folder is refused and left whole.
TEST_F(BrowserCleaningTest, WebCacheCleansOnlyBrowserCachesAndProfilesAreNeverUserFolders) {
    const std::string cache = home + "/.cache";
    writeFile(cache + "/otherprogram/data.bin");
    const Tree before = treeEntries(cache);
    ASSERT_TRUE(StoreUserFolders({firefox, home + "/.config/chromium/"}));
    lock(chromium + "/SingletonLock", hostName() + "-" + std::to_string(::getpid()));
    const Tree profiles = treeEntries(home + "/.config");

    CleaningReport report = engineOperations().Clean(TargetKind::WebCache);
    report.append(engineOperations().Clean(TargetKind::UserFolder));

    EXPECT_EQ(
        report.refusals(),
        (FileList{"The cache of Chromium (profile Default) was not cleaned: the browser is running.",
                  "The folder \"" + firefox + "\" was not cleaned: it is or holds a browser profile (" +
                      firefox + ").",
                  "The folder \"" + chromium + "/\" was not cleaned: it is or holds a browser profile (" +
                      chromium + "/Default)."}));
    EXPECT_EQ(treeEntries(home + "/.config"), profiles);
    for (const auto& [path, entry] : before) { // only the files in Firefox's cache2 go
        EXPECT_EQ(exists(cache + "/" + path), path.find("/cache2/") == std::string::npos || entry == "d")
            << path;
    }
    EXPECT_EQ(report.only(TargetKind::WebCache).folders.size(), 2u);
}

} // namespace
} // namespace tidorax::test
