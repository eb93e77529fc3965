#include "core/cleaning/FolderGuard.h"

#include "core/browsers/BrowserProfile.h"
#include "core/settings/SpecialFolders.h"

#include <climits>
#include <deque>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tidorax {

namespace {

constexpr int kMaxLinks = 40; // as the kernel allows in one path

// The path's components, "." and empty ones dropped.
std::deque<std::string> components(const std::string& path) {
    std::deque<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        std::string part = path.substr(start, end - start);
        if (!part.empty() && part != ".") {
            parts.push_back(std::move(part));
        }
        start = end + 1;
    }
    return parts;
}

std::string parentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

std::string join(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// The kernel's protected-symlink rule: a link in a sticky, world-writable folder is
// followed only by its owner or when it belongs to the folder's owner.
bool plantedLink(const struct stat& link, const std::string& folder) {
    struct stat parent {};
    if (::stat(folder.c_str(), &parent) != 0) {
        return true;
    }
    const bool stickyShared = (parent.st_mode & S_ISVTX) != 0 && (parent.st_mode & S_IWOTH) != 0;
    return stickyShared && link.st_uid != ::geteuid() && link.st_uid != parent.st_uid;
}

} // namespace

std::vector<ProtectedFolder> ProtectedFolders() {
    std::vector<ProtectedFolder> folders{{"/", "the root of the file system"}};
    for (const auto& [path, what] : PersonalFolders()) {
        folders.push_back({path, what});
    }
    // A browser's profile holds its settings, history and passwords: never emptied.
    for (const BrowserProfile& profile : FindBrowserProfiles()) {
        folders.push_back({profile.folder, "a browser profile"});
    }
    for (const char* system : {"/bin", "/boot", "/dev", "/etc", "/home", "/lib", "/lib32", "/lib64", "/opt",
                               "/proc", "/root", "/run", "/sbin", "/srv", "/sys", "/usr", "/var"}) {
        folders.push_back({system, "a system folder"});
    }
    // Well-known folders below them that hold what the system runs on.
    for (const char* system : {"/etc/xdg",         "/etc/xdg/autostart",
                               "/usr/bin",         "/usr/include",
                               "/usr/lib",         "/usr/local",
                               "/usr/local/bin",   "/usr/local/lib",
                               "/usr/local/share", "/usr/sbin",
                               "/usr/share",       "/usr/share/applications",
                               "/usr/share/fonts", "/usr/src",
                               "/var/cache",       "/var/lib",
                               "/var/log",         "/var/mail",
                               "/var/spool",       "/boot/efi",
                               "/media",           "/mnt"}) {
        folders.push_back({system, "a system folder"});
    }
    return folders;
}

std::optional<std::string> ResolveFolder(const std::string& folder) {
    std::deque<std::string> pending = components(folder);
    std::string resolved = "/";
    bool exists = true; // once a component is missing, the rest is taken as written
    int links = 0;
    while (!pending.empty()) {
        const std::string part = pending.front();
        pending.pop_front();
        if (part == "..") {
            resolved = parentOf(resolved);
            continue;
        }
        const std::string next = join(resolved, part);
        struct stat entry {};
        const bool found = exists && ::lstat(next.c_str(), &entry) == 0;
        if (!found || !S_ISLNK(entry.st_mode)) {
            exists = found;
            resolved = next;
            continue;
        }
        if (++links > kMaxLinks || plantedLink(entry, resolved)) {
            return std::nullopt;
        }
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(next.c_str(), target.data(), target.size());
        if (length < 0) {
            return std::nullopt;
        }
        target.resize(static_cast<std::size_t>(length));
        std::deque<std::string> rest = components(target);
        rest.insert(rest.end(), pending.begin(), pending.end());
        pending = std::move(rest);
        if (!target.empty() && target.front() == '/') {
            resolved.erase(1); // back to the root
        }
    }
    return resolved;
}

bool FolderContains(const std::string& outer, const std::string& inner) {
    if (outer == "/" || outer == inner) {
        return true;
    }
    return inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 &&
           inner[outer.size()] == '/';
}

std::optional<std::string> CleaningRefusal(const std::string& folder,
                                           const std::vector<ProtectedFolder>& protectedFolders) {
    const std::string quoted = "The folder \"" + folder + "\" was not cleaned: ";
    if (folder.empty() || folder.front() != '/') {
        return quoted + "it is not a full path.";
    }
    const std::optional<std::string> resolved = ResolveFolder(folder);
    if (!resolved) {
        return quoted + "a link on its way cannot be followed safely (it loops, or another user put it in a "
                        "shared folder).";
    }
    // The folder itself first, then what it holds, so that the reason names the
    // nearest protected folder.
    std::vector<std::pair<std::string, const ProtectedFolder*>> guardedPaths;
    for (const ProtectedFolder& guarded : protectedFolders) {
        if (const std::optional<std::string> path = ResolveFolder(guarded.path)) {
            guardedPaths.emplace_back(*path, &guarded);
        }
    }
    for (const bool exact : {true, false}) {
        for (const auto& [path, guarded] : guardedPaths) {
            if (exact ? *resolved == path : FolderContains(*resolved, path)) {
                return quoted + "it is or holds " + guarded->what + " (" + guarded->path + ").";
            }
        }
    }
    return std::nullopt;
}

} // namespace tidorax
