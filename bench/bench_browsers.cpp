// Times the browsers' part of a clean on generated data: the cookie clean of one Firefox
// store of 50,000 cookies (2,000 sites, each with its domain, "www" and deeper hosts)
// with 100 kept sites, against SQLite deleting as many rows of the same store by their
// row number alone (the deletion without the keep rule), and the search for the browsers' profiles (Firefox
// in two packagings, Chromium and Brave, eight profiles in all). Prints the medians, the goals (0.2 s and 20
// ms) and the ratios "store clean/goal", "store clean/plain deletion" and "find/goal".
#include "bench/BenchSupport.h"
#include "core/browsers/BrowserProfile.h"
#include "core/browsers/CookieStoreClean.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

using tidorax::bench::Clock;
using tidorax::bench::secondsSince;
namespace fs = std::filesystem;

constexpr int kCookies = 50000;
constexpr int kSites = 2000;
constexpr int kKeptSites = 100;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void writeText(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << text;
}

// A Firefox cookie store as Firefox lays it out (WAL journal, its unique index).
bool makeStore(const std::string& path) {
    sqlite3* db = nullptr;
    bool ok =
        sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
        sqlite3_exec(db,
                     "PRAGMA journal_mode=WAL;"
                     "CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, originAttributes TEXT NOT NULL "
                     "DEFAULT '', name TEXT, value TEXT, host TEXT, path TEXT, expiry INTEGER, "
                     "lastAccessed INTEGER, creationTime INTEGER, isSecure INTEGER, isHttpOnly INTEGER, "
                     "inBrowserElement INTEGER DEFAULT 0, sameSite INTEGER DEFAULT 0, schemeMap INTEGER "
                     "DEFAULT 0, isPartitionedAttributeSet INTEGER DEFAULT 0, updateTime INTEGER, "
                     "CONSTRAINT moz_uniqueid UNIQUE (name, host, path, originAttributes));"
                     "BEGIN",
                     nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_stmt* insert = nullptr;
    ok = ok && sqlite3_prepare_v2(db,
                                  "INSERT INTO moz_cookies (name, value, host, path, expiry, lastAccessed, "
                                  "creationTime, isSecure, isHttpOnly, updateTime) VALUES (?, 'v', ?, '/', "
                                  "1900000000, 1, 1, 0, 0, 1)",
                                  -1, &insert, nullptr) == SQLITE_OK;
    static const char* const kHosts[] = {".", "www.", "a.b.", "static.", "", "mail."};
    for (int i = 0; ok && i < kCookies; ++i) {
        const std::string site = "site" + std::to_string(i % kSites) + ".example";
        const std::string host = kHosts[(i / kSites) % 6] + site;
        const std::string name = "c" + std::to_string(i);
        sqlite3_bind_text(insert, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, host.c_str(), -1, SQLITE_TRANSIENT);
        ok = sqlite3_step(insert) == SQLITE_DONE && sqlite3_reset(insert) == SQLITE_OK;
    }
    sqlite3_finalize(insert);
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// Profiles of Firefox (two packagings), Chromium and Brave below home.
void makeProfiles(const std::string& home) {
    std::string ini;
    for (int i = 0; i < 3; ++i) {
        const std::string name = "p" + std::to_string(i) + ".default";
        ini += "[Profile" + std::to_string(i) + "]\nName=" + name + "\nIsRelative=1\nPath=" + name + "\n\n";
        writeText(home + "/.mozilla/firefox/" + name + "/cookies.sqlite", "");
        fs::create_directories(home + "/.cache/mozilla/firefox/" + name + "/cache2/entries");
    }
    writeText(home + "/.mozilla/firefox/profiles.ini", ini);
    writeText(home + "/.var/app/org.mozilla.firefox/.mozilla/firefox/profiles.ini",
              "[Profile0]\nPath=f.default\n");
    fs::create_directories(home + "/.var/app/org.mozilla.firefox/.mozilla/firefox/f.default");
    for (const char* browser : {"chromium", "BraveSoftware/Brave-Browser"}) {
        const std::string folder = home + "/.config/" + browser;
        writeText(folder + "/Local State",
                  R"({"profile": {"info_cache": {"Default": {"name": "A"}, "Profile 1": {"name": "B"}}}})");
        for (const char* profile : {"/Default", "/Profile 1"}) {
            writeText(folder + profile + "/Cookies", "");
            fs::create_directories(home + "/.cache/" + browser + profile + "/Cache/Cache_Data");
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string base = tidorax::bench::makeBenchFolder("tidorax-bench-browsers");
    if (base.empty()) {
        return 2;
    }
    const std::string home = base + "/home";
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (home + "/.cache").c_str(), 1);
    const std::string model = base + "/model.sqlite", store = base + "/cookies.sqlite";
    if (!makeStore(model)) {
        std::fprintf(stderr, "cannot make the cookie store\n");
        return 2;
    }
    std::vector<std::string> sites;
    for (int i = 0; i < kKeptSites; ++i) {
        sites.push_back("site" + std::to_string(i * (kSites / kKeptSites)) + ".example");
    }
    const tidorax::KeptSites kept(sites);
    const tidorax::CookieStoreLayout layout{{"cookies.sqlite", nullptr}, "moz_cookies", "host"};
    std::vector<double> cleans, plain;
    std::size_t deleted = 0;
    bool ok = true;
    for (int round = 0; round < rounds; ++round) {
        fs::copy_file(model, store, fs::copy_options::overwrite_existing);
        auto start = Clock::now();
        const tidorax::CookieStoreResult result = tidorax::CleanCookieStore(store, layout, kept);
        cleans.push_back(secondsSince(start));
        ok = ok && result.outcome == tidorax::CookieStoreResult::Outcome::Cleaned;
        deleted = result.deleted;
        fs::copy_file(model, store, fs::copy_options::overwrite_existing);
        sqlite3* db = nullptr;
        start = Clock::now();
        ok = ok && sqlite3_open(store.c_str(), &db) == SQLITE_OK &&
             sqlite3_exec(db, "BEGIN IMMEDIATE; DELETE FROM moz_cookies WHERE id % 20 != 0; COMMIT", nullptr,
                          nullptr, nullptr) == SQLITE_OK;
        sqlite3_close(db);
        plain.push_back(secondsSince(start));
    }
    makeProfiles(home);
    std::vector<double> finds;
    std::size_t profiles = 0;
    for (int round = 0; round < 50; ++round) {
        const auto start = Clock::now();
        profiles = tidorax::FindBrowserProfiles().size();
        finds.push_back(secondsSince(start));
    }
    const double clean = median(cleans), find = median(finds);
    std::printf("store clean of %d cookies, %d kept sites: %.4f s (%zu deleted), plain deletion: %.4f s\n",
                kCookies, kKeptSites, clean, deleted, median(plain));
    std::printf("finding the browsers (%zu profiles): %.3f ms\n", profiles, find * 1000);
    std::printf("store clean/goal (0.2 s): %.2f\n", clean / 0.2);
    std::printf("store clean/plain deletion: %.2f\n", clean / median(plain));
    std::printf("find/goal (20 ms): %.3f\n", find / 0.020);
    fs::remove_all(base);
    const bool met = ok && profiles == 8 && clean < 0.2 && find < 0.020;
    if (!met) {
        std::printf("GOAL MISSED%s\n", ok ? "" : " (the store clean failed)");
    }
    return met ? 0 : 1;
}
