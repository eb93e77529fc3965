#include "core/cleaning/CookieSelection.h"

#include "core/cleaning/FileWalk.h"
#include "core/cleaning/SafeDeleter.h"
#include "core/cleaning/WorkingLists.h"
#include "core/settings/SettingsStore.h"

#include <unordered_map>
#include <unordered_set>

namespace tidorax {

std::string CookieSiteName(const std::string& Path) {
    std::string site = Path.size() > 4 ? Path.substr(0, Path.size() - 4) : std::string();
    if (const auto at = site.find('@'); at != std::string::npos) {
        site.erase(0, at + 1);
    }
    if (const auto bracket = site.find('['); bracket != std::string::npos) {
        site.erase(bracket);
    }
    return site;
}

// Each special site, one after the other, takes its saved entries out of the saved
// list and appends the site's current files to its end; a site named twice does so
// twice. The result is computed in one pass: the saved entries of no special site keep
// their order, and the current files of the special sites follow, site by site in the
// order of each site's last mention, each site's files in the order they were found.
void SelectCookiesToDelete(const std::string& Folder) {
    MainWindowLists& form1 = Form1Lists();
    form1.List1.clear();
    form1.List2.clear();

    const std::vector<std::string> saved = ReadSettingsList("SavedCookies", "Cookie");
    form1.List1 = saved;
    if (SafeDeleter::IsCleanableFolder(Folder)) {
        WalkInto(Folder, form1.List2);
    }
    form1.List5 = ReadSettingsList("SpecialCookies", "Cookie");

    if (!form1.List5.empty()) {
        std::unordered_map<std::string, std::size_t> lastMention;
        for (std::size_t j = 0; j < form1.List5.size(); ++j) {
            lastMention[form1.List5[j]] = j;
        }
        FileList updated;
        for (const std::string& entry : form1.List1) {
            if (lastMention.find(CookieSiteName(entry)) == lastMention.end()) {
                updated.push_back(entry);
            }
        }
        std::unordered_map<std::string, std::vector<std::size_t>> currentFilesOfSite;
        for (std::size_t i = 0; i < form1.List2.size(); ++i) {
            const std::string site = CookieSiteName(form1.List2[i]);
            if (lastMention.find(site) != lastMention.end()) {
                currentFilesOfSite[site].push_back(i);
            }
        }
        for (std::size_t j = 0; j < form1.List5.size(); ++j) {
            const std::string& site = form1.List5[j];
            if (lastMention[site] != j) {
                continue;
            }
            if (const auto files = currentFilesOfSite.find(site); files != currentFilesOfSite.end()) {
                for (const std::size_t i : files->second) {
                    updated.push_back(form1.List2[i]);
                }
            }
        }
        form1.List1 = std::move(updated);

        if (form1.List1 != saved) {
            Settings.DeleteSetting("SavedCookies");
            for (std::size_t k = 0; k < form1.List1.size(); ++k) {
                Settings.SaveSetting("SavedCookies", "Cookie" + std::to_string(k), form1.List1[k]);
            }
        }
    }

    const std::unordered_set<std::string> keep(form1.List1.begin(), form1.List1.end());
    std::erase_if(form1.List2, [&keep](const std::string& entry) { return keep.count(entry) != 0; });
}

} // namespace tidorax
