#include "core/cleaning/CookieSelection.h"

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
CookieSelection SelectCookiesToDelete(const FileList& saved, const FileList& specials, FileList found) {
    CookieSelection selection{saved, std::move(found), false};
    FileList& kept = selection.saved;
    FileList& files = selection.toDelete;

    if (!specials.empty()) {
        std::unordered_map<std::string, std::size_t> lastMention;
        for (std::size_t j = 0; j < specials.size(); ++j) {
            lastMention[specials[j]] = j;
        }
        FileList updated;
        for (const std::string& entry : kept) {
            if (lastMention.find(CookieSiteName(entry)) == lastMention.end()) {
                updated.push_back(entry);
            }
        }
        std::unordered_map<std::string, std::vector<std::size_t>> currentFilesOfSite;
        for (std::size_t i = 0; i < files.size(); ++i) {
            const std::string site = CookieSiteName(files[i]);
            if (lastMention.find(site) != lastMention.end()) {
                currentFilesOfSite[site].push_back(i);
            }
        }
        for (std::size_t j = 0; j < specials.size(); ++j) {
            const std::string& site = specials[j];
            if (lastMention[site] != j) {
                continue;
            }
            if (const auto current = currentFilesOfSite.find(site); current != currentFilesOfSite.end()) {
                for (const std::size_t i : current->second) {
                    updated.push_back(files[i]);
                }
            }
        }
        kept = std::move(updated);
        selection.savedChanged = kept != saved;
    }

    const std::unordered_set<std::string> keep(kept.begin(), kept.end());
    std::erase_if(files, [&keep](const std::string& entry) { return keep.count(entry) != 0; });
    return selection;
}

} // namespace tidorax
