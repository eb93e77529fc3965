#include "core/options/SystemFolderCheck.h"

#include "core/cleaning/FolderGuard.h"
#include "core/cleaning/SafeFolder.h"
#include "core/options/OptionsRules.h"
#include "core/settings/SpecialFolders.h"
#include "platform/AsciiCase.h"

#include <algorithm>
#include <optional>

namespace tidorax {

namespace {

std::vector<int> specialFolderNumbers() {
    std::vector<int> numbers;
    for (int csidl = 0; csidl <= 48; ++csidl) {
        if (csidl < 12 || csidl > 15) {
            numbers.push_back(csidl);
        }
    }
    return numbers;
}

} // namespace

std::vector<std::string> SystemFolderList() {
    std::vector<std::string> refused{"/"};
    for (const int csidl : specialFolderNumbers()) {
        refused.push_back(upperAscii(SpecialFolderPath(csidl)));
    }
    return refused;
}

bool IsSystemFolder(const std::string& folder) {
    const std::string candidate = upperAscii(folder);
    const std::vector<std::string> refused = SystemFolderList();
    if (std::find(refused.begin(), refused.end(), candidate) != refused.end()) {
        return true;
    }
    std::vector<ProtectedFolder> guarded = ProtectedFolders();
    for (const int csidl : specialFolderNumbers()) {
        const std::string path = SpecialFolderPath(csidl);
        if (!path.empty()) {
            guarded.push_back({path, "a special folder"});
        }
    }
    if (CleaningRefusal(folder, guarded)) {
        return true;
    }
    // The folder itself, by what it is: the same folder mounted elsewhere is refused too.
    if (!SafeFolder::Open(folder, ProtectedIdentities(guarded)).refusal().empty()) {
        return true;
    }
    // Resolved, the names still compare with case ignored.
    const std::optional<std::string> resolved = ResolveFolder(folder);
    for (const ProtectedFolder& protectedFolder : guarded) {
        const std::optional<std::string> path = ResolveFolder(protectedFolder.path);
        if (resolved && path && upperAscii(*resolved) == upperAscii(*path)) {
            return true;
        }
    }
    return false;
}

} // namespace tidorax
