#include "core/browsers/ProfileLists.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <dirent.h>
#include <fstream>
#include <optional>

namespace tidorax {

namespace {

std::string trimmed(const std::string& text) {
    const std::size_t start = text.find_first_not_of(" \t\r");
    if (start == std::string::npos) {
        return {};
    }
    return text.substr(start, text.find_last_not_of(" \t\r") - start + 1);
}

// A path below a folder that stays there: not empty, not absolute, no ".." part.
bool staysBelow(const std::string& relative) {
    if (relative.empty() || relative.front() == '/') {
        return false;
    }
    std::size_t start = 0;
    while (start <= relative.size()) {
        const std::size_t end = std::min(relative.find('/', start), relative.size());
        if (relative.compare(start, end - start, "..") == 0) {
            return false;
        }
        start = end + 1;
    }
    return true;
}

// One folder name, as a profile of a user data folder is named.
bool plainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

struct IniProfile {
    std::string name;
    std::string path;
    bool relative = true;
};

void addMozillaProfile(const std::string& folder, const IniProfile& entry,
                       std::vector<ListedProfile>& profiles) {
    if (entry.relative ? !staysBelow(entry.path) : entry.path.empty() || entry.path.front() != '/') {
        return;
    }
    std::string path = entry.path;
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    const std::string name = entry.name.empty() ? path.substr(path.rfind('/') + 1) : entry.name;
    if (entry.relative) {
        profiles.push_back({name, folder + "/" + path, path});
    } else {
        profiles.push_back({name, path, ""});
    }
}

} // namespace

std::vector<ListedProfile> ReadMozillaProfiles(const std::string& folder) {
    std::vector<ListedProfile> profiles;
    std::ifstream in(folder + "/profiles.ini");
    std::string line;
    std::optional<IniProfile> current; // inside a [ProfileN] section
    while (std::getline(in, line)) {
        line = trimmed(line);
        if (!line.empty() && line.front() == '[') {
            if (current) {
                addMozillaProfile(folder, *current, profiles);
            }
            current.reset();
            if (line.rfind("[Profile", 0) == 0) {
                current.emplace();
            }
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!current || equals == std::string::npos) {
            continue;
        }
        const std::string key = trimmed(line.substr(0, equals));
        const std::string value = trimmed(line.substr(equals + 1));
        if (key == "Path") {
            current->path = value;
        } else if (key == "Name") {
            current->name = value;
        } else if (key == "IsRelative") {
            current->relative = value != "0";
        }
    }
    if (current) {
        addMozillaProfile(folder, *current, profiles);
    }
    return profiles;
}

std::vector<ListedProfile> ReadChromiumProfiles(const std::string& folder) {
    std::vector<std::string> names;
    std::ifstream in(folder + "/Local State");
    if (in) {
        const nlohmann::json state = nlohmann::json::parse(in, nullptr, false);
        if (state.is_object() && state.contains("profile") && state["profile"].is_object() &&
            state["profile"].contains("info_cache") && state["profile"]["info_cache"].is_object()) {
            for (const auto& entry : state["profile"]["info_cache"].items()) {
                names.push_back(entry.key());
            }
        }
    }
    if (DIR* dir = ::opendir(folder.c_str())) {
        std::vector<std::string> found;
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name == "Default" || name.rfind("Profile ", 0) == 0) {
                found.push_back(name);
            }
        }
        ::closedir(dir);
        std::sort(found.begin(), found.end());
        names.insert(names.end(), found.begin(), found.end());
    }
    std::vector<ListedProfile> profiles;
    for (const std::string& name : names) {
        const bool listed =
            std::any_of(profiles.begin(), profiles.end(),
                        [&name](const ListedProfile& profile) { return profile.name == name; });
        if (plainName(name) && !listed) {
            profiles.push_back({name, folder + "/" + name, name});
        }
    }
    return profiles;
}

} // namespace tidorax
