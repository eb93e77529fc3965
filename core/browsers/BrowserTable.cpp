#include "core/browsers/BrowserTable.h"

namespace tidorax {

namespace {

constexpr CookieStoreLayout kMozillaCookies{{"cookies.sqlite", nullptr}, "moz_cookies", "host"};
// Linux builds keep "Cookies" in the profile, newer ones "Network/Cookies".
constexpr CookieStoreLayout kChromiumCookies{{"Cookies", "Network/Cookies"}, "cookies", "host_key"};

constexpr BaseFolder kHome = BaseFolder::Home;
constexpr BaseFolder kConfig = BaseFolder::ConfigHome;
constexpr BaseFolder kCache = BaseFolder::CacheHome;

// The plain install of a browser that follows the XDG folders: its profiles below
// $XDG_CONFIG_HOME, their caches below $XDG_CACHE_HOME, in folders of the same name.
constexpr BrowserInstall xdgInstall(const char* folder) {
    return {{kConfig, folder}, {kCache, folder}};
}

constexpr BrowserRow kBrowsers[] = {
    {"Firefox",
     BrowserFamily::Mozilla,
     kMozillaCookies,
     {{{kHome, ".mozilla/firefox"}, {kCache, "mozilla/firefox"}},
      xdgInstall("mozilla/firefox"),
      {{kHome, ".var/app/org.mozilla.firefox/.mozilla/firefox"},
       {kHome, ".var/app/org.mozilla.firefox/cache/mozilla/firefox"}},
      {{kHome, "snap/firefox/common/.mozilla/firefox"},
       {kHome, "snap/firefox/common/.cache/mozilla/firefox"}}}},
    {"LibreWolf",
     BrowserFamily::Mozilla,
     kMozillaCookies,
     {{{kHome, ".librewolf"}, {kCache, "librewolf"}},
      {{kHome, ".var/app/io.gitlab.librewolf-community/.librewolf"},
       {kHome, ".var/app/io.gitlab.librewolf-community/cache/librewolf"}}}},
    {"Waterfox", BrowserFamily::Mozilla, kMozillaCookies, {{{kHome, ".waterfox"}, {kCache, "waterfox"}}}},
    {"Chromium",
     BrowserFamily::Chromium,
     kChromiumCookies,
     {xdgInstall("chromium"),
      {{kHome, ".var/app/org.chromium.Chromium/config/chromium"},
       {kHome, ".var/app/org.chromium.Chromium/cache/chromium"}},
      {{kHome, "snap/chromium/common/chromium"}, {kHome, "snap/chromium/common/.cache/chromium"}}}},
    {"Google Chrome",
     BrowserFamily::Chromium,
     kChromiumCookies,
     {xdgInstall("google-chrome"),
      {{kHome, ".var/app/com.google.Chrome/config/google-chrome"},
       {kHome, ".var/app/com.google.Chrome/cache/google-chrome"}}}},
    {"Google Chrome Beta", BrowserFamily::Chromium, kChromiumCookies, {xdgInstall("google-chrome-beta")}},
    {"Google Chrome Unstable",
     BrowserFamily::Chromium,
     kChromiumCookies,
     {xdgInstall("google-chrome-unstable")}},
    {"Brave",
     BrowserFamily::Chromium,
     kChromiumCookies,
     {xdgInstall("BraveSoftware/Brave-Browser"),
      {{kHome, ".var/app/com.brave.Browser/config/BraveSoftware/Brave-Browser"},
       {kHome, ".var/app/com.brave.Browser/cache/BraveSoftware/Brave-Browser"}}}},
    {"Microsoft Edge",
     BrowserFamily::Chromium,
     kChromiumCookies,
     {xdgInstall("microsoft-edge"),
      {{kHome, ".var/app/com.microsoft.Edge/config/microsoft-edge"},
       {kHome, ".var/app/com.microsoft.Edge/cache/microsoft-edge"}}}},
    {"Vivaldi",
     BrowserFamily::Chromium,
     kChromiumCookies,
     {xdgInstall("vivaldi"),
      {{kHome, ".var/app/com.vivaldi.Vivaldi/config/vivaldi"},
       {kHome, ".var/app/com.vivaldi.Vivaldi/cache/vivaldi"}}}},
    {"Opera",
     BrowserFamily::Chromium,
     kChromiumCookies,
     {xdgInstall("opera"),
      {{kHome, ".var/app/com.opera.Opera/config/opera"}, {kHome, ".var/app/com.opera.Opera/cache/opera"}}}},
};

} // namespace

std::span<const BrowserRow> KnownBrowsers() {
    return kBrowsers;
}

} // namespace tidorax
