// The browsers whose caches and cookies a clean knows: one row per browser, saying how
// it lists its profiles, where its profiles and caches lie in each packaging (a plain
// install, Flatpak, Snap) and how its cookie store is laid out. A browser more is one
// row more.
#pragma once

#include <cstddef>
#include <span>

namespace tidorax {

// How a browser keeps its profiles: which file lists them, which folders of a profile
// are its cache, and which link tells that the browser runs.
enum class BrowserFamily {
    // "profiles.ini" in the browser's folder; the cache of a profile is its "cache2"
    // below the cache folder; a running browser holds the profile's "lock" link
    // ("IP:+PID").
    Mozilla,
    // "Local State" in the user data folder lists the profiles ("Default", "Profile 1",
    // ...); their caches are "Cache" and "Code Cache" below the cache folder; a running
    // browser holds the user data folder's "SingletonLock" link ("HOSTNAME-PID").
    Chromium,
};

// Where a folder lies: below the home folder, $XDG_CONFIG_HOME or $XDG_CACHE_HOME (each
// as the special folders reckon it).
enum class BaseFolder { Home, ConfigHome, CacheHome };

struct FolderPlace {
    BaseFolder base = BaseFolder::Home;
    const char* path = nullptr; // below base; nullptr for no place
};

// One packaging of a browser: the folder of its profiles (Firefox's folder, Chromium's
// user data folder) and the folder below which it keeps the caches of those profiles.
struct BrowserInstall {
    FolderPlace profiles;
    FolderPlace caches;
};

// The cookie store of a profile: the SQLite file (each name that is there below the
// profile is a store), its table of cookies and the column that holds a cookie's host.
struct CookieStoreLayout {
    const char* files[2] = {nullptr, nullptr};
    const char* table = nullptr;
    const char* hostColumn = nullptr;
};

inline constexpr std::size_t kMaxInstalls = 4;

struct BrowserRow {
    const char* name; // for the user: "Firefox", "Chromium", ...
    BrowserFamily family;
    CookieStoreLayout cookies;
    BrowserInstall installs[kMaxInstalls]; // unused ones have no profiles path
};

// Every browser known, in the order they are looked for.
std::span<const BrowserRow> KnownBrowsers();

} // namespace tidorax
