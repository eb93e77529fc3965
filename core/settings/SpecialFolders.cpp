#include "core/settings/SpecialFolders.h"

#include "core/settings/RegKey.h"
#include "platform/Platform.h"

#include <fstream>

namespace tidorax {

namespace {

constexpr const char* kUserShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

bool isAbsolute(const std::string& path) {
    return !path.empty() && path.front() == '/';
}

std::string env(const std::string& name) {
    return platform().environment(name).value_or("");
}

std::string home() {
    return platform().homeFolder();
}

// An XDG base directory: the variable when it holds an absolute path, else $HOME + fallback.
std::string xdgBase(const char* variable, const char* fallback) {
    const std::string value = env(variable);
    if (isAbsolute(value)) {
        return value;
    }
    const std::string h = home();
    return isAbsolute(h) ? h + fallback : std::string();
}

std::string configHome() {
    return xdgBase("XDG_CONFIG_HOME", "/.config");
}
std::string dataHome() {
    return xdgBase("XDG_DATA_HOME", "/.local/share");
}
std::string cacheHome() {
    return xdgBase("XDG_CACHE_HOME", "/.cache");
}

// One of the XDG user directories (XDG_DESKTOP_DIR, ...) from user-dirs.dirs, else
// $HOME + fallback.
std::string xdgUserDir(const std::string& variable, const char* fallback) {
    const std::string h = home();
    const std::string config = configHome();
    if (!config.empty()) {
        std::ifstream in(config + "/user-dirs.dirs");
        std::string line;
        while (std::getline(in, line)) {
            const auto start = line.find_first_not_of(" \t");
            if (start == std::string::npos || line[start] == '#' ||
                line.compare(start, variable.size(), variable) != 0) {
                continue;
            }
            auto rest = line.substr(start + variable.size());
            const auto eq = rest.find('=');
            if (eq == std::string::npos || rest.find_first_not_of(" \t") != eq) {
                continue;
            }
            rest = rest.substr(eq + 1);
            if (rest.size() >= 2 && rest.front() == '"') {
                const auto close = rest.find('"', 1);
                rest = rest.substr(1, close == std::string::npos ? std::string::npos : close - 1);
            }
            std::string value;
            if (rest.rfind("${HOME}", 0) == 0) {
                value = h + rest.substr(7);
            } else if (rest.rfind("$HOME", 0) == 0) {
                value = h + rest.substr(5);
            } else {
                value = rest;
            }
            if (isAbsolute(value)) {
                return value;
            }
        }
    }
    return isAbsolute(h) ? h + fallback : std::string();
}

std::string withoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// A value under "User Shell Folders" that points the folder elsewhere; "" when none.
std::string userShellFolderOverride(const std::string& valueName) {
    if (valueName.empty()) {
        return {};
    }
    RegKey key;
    RegKey::Value value;
    std::string result;
    if (key.open(HKEY_CURRENT_USER, kUserShellFolders, KEY_QUERY_VALUE) == ERROR_SUCCESS &&
        key.readValue(valueName, value) == ERROR_SUCCESS &&
        (value.type == REG_SZ || value.type == REG_EXPAND_SZ)) {
        result = value.data.substr(0, value.data.find('\0'));
    }
    // "~" stands for the home folder.
    if (result == "~" || result.rfind("~/", 0) == 0) {
        result = home() + result.substr(1);
    }
    return result;
}

// Where each folder lies on a Linux desktop when no override is set.
std::string defaultFolder(std::int32_t csidl) {
    switch (csidl) {
    case 0:  // desktop
    case 16: // desktop directory
        return xdgUserDir("XDG_DESKTOP_DIR", "/Desktop");
    case 2:  // programs
    case 11: // start menu
        return isAbsolute(dataHome()) ? dataHome() + "/applications" : std::string();
    case 5: // personal (documents)
        return xdgUserDir("XDG_DOCUMENTS_DIR", "/Documents");
    case 7: // startup
        return isAbsolute(configHome()) ? configHome() + "/autostart" : std::string();
    case 10: // recycle bin
        return isAbsolute(dataHome()) ? dataHome() + "/Trash" : std::string();
    case 20: // fonts
        return isAbsolute(home()) ? home() + "/.local/share/fonts" : std::string();
    case 21: // templates
        return xdgUserDir("XDG_TEMPLATES_DIR", "/Templates");
    case 22: // common start menu
    case 23: // common programs
        return "/usr/share/applications";
    case 24: // common startup
        return "/etc/xdg/autostart";
    case 26: // application data
        return configHome();
    case 28: // local application data
        return dataHome();
    case 32: // Temporary Internet Files
        return cacheHome();
    case 33: // cookies: Linux browsers keep no folder of cookie files
        return {};
    case 35: // common application data
        return "/etc";
    case 36: // Windows
        return "/usr";
    case 37: // System
        return "/usr/bin";
    case 38: // Program Files
        return "/opt";
    case 39: // pictures
        return xdgUserDir("XDG_PICTURES_DIR", "/Pictures");
    case 40: // profile
        return home();
    case 41: // System x86
        return "/usr/lib";
    case 42: // Program Files x86
        return "/usr/local";
    case 43: // Program Files\Common Files
        return "/usr/share";
    default: // virtual folders and numbers with no counterpart here
        return {};
    }
}

} // namespace

std::string UserShellFolderValueName(std::int32_t Csidl) {
    switch (Csidl) {
    case 0:
    case 16:
        return "Desktop";
    case 2:
        return "Programs";
    case 5:
        return "Personal";
    case 6:
        return "Favorites";
    case 7:
        return "Startup";
    case 8:
        return "Recent";
    case 9:
        return "SendTo";
    case 11:
        return "Start Menu";
    case 19:
        return "NetHood";
    case 20:
        return "Fonts";
    case 21:
        return "Templates";
    case 26:
        return "AppData";
    case 27:
        return "PrintHood";
    case 28:
        return "Local AppData";
    case 32:
        return "Cache";
    case 33:
        return "Cookies";
    case 34:
        return "History";
    case 39:
        return "My Pictures";
    case 48:
        return "Administrative Tools";
    default:
        return {};
    }
}

std::string ConfigHomeFolder() {
    return configHome();
}

std::string CacheHomeFolder() {
    return cacheHome();
}

bool SpecialFolderChosen(std::int32_t Csidl) {
    return !userShellFolderOverride(UserShellFolderValueName(Csidl)).empty();
}

std::string SpecialFolderPath(std::int32_t Csidl) {
    std::string path = userShellFolderOverride(UserShellFolderValueName(Csidl));
    if (path.empty()) {
        path = defaultFolder(Csidl);
    }
    // Only an absolute path names a folder; anything else would be taken relative to
    // wherever the program happens to run.
    if (!isAbsolute(path)) {
        return {};
    }
    return withoutTrailingSlash(path);
}

std::vector<std::pair<std::string, std::string>> PersonalFolders() {
    std::vector<std::pair<std::string, std::string>> folders{
        {home(), "the home folder"},
        {xdgUserDir("XDG_DESKTOP_DIR", "/Desktop"), "the desktop folder"},
        {xdgUserDir("XDG_DOCUMENTS_DIR", "/Documents"), "the documents folder"},
        {xdgUserDir("XDG_DOWNLOAD_DIR", "/Downloads"), "the downloads folder"},
        {xdgUserDir("XDG_MUSIC_DIR", "/Music"), "the music folder"},
        {xdgUserDir("XDG_PICTURES_DIR", "/Pictures"), "the pictures folder"},
        {xdgUserDir("XDG_VIDEOS_DIR", "/Videos"), "the videos folder"},
        {xdgUserDir("XDG_TEMPLATES_DIR", "/Templates"), "the templates folder"},
        {xdgUserDir("XDG_PUBLICSHARE_DIR", "/Public"), "the public folder"},
        {configHome(), "the settings folder ($XDG_CONFIG_HOME)"},
        {dataHome(), "the data folder ($XDG_DATA_HOME)"},
    };
    if (const std::string config = configHome(); !config.empty()) {
        folders.emplace_back(config + "/autostart", "the start-up folder");
    }
    if (const std::string data = dataHome(); !data.empty()) {
        folders.emplace_back(data + "/fonts", "the fonts folder");
        folders.emplace_back(data + "/applications", "the menu folder");
    }
    std::erase_if(folders, [](const auto& folder) { return !isAbsolute(folder.first); });
    return folders;
}

} // namespace tidorax
