#include "core/plans/CleaningPlans.h"

#include "core/browsers/BrowserProfile.h"
#include "core/cleaning/FileWalk.h"
#include "core/settings/SpecialFolders.h"
#include "platform/Platform.h"

#include <algorithm>
#include <optional>

namespace tidorax {

namespace {

BrowserOwner ownerOf(const BrowserProfile& profile) {
    return BrowserOwner{profile.browser, profile.name, profile.lockLink};
}

// The browser profiles, found on first use and then shared by every kind of one plan: a
// plan of both the web cache and cookies looks for them once.
class PlanProfiles {
public:
    const std::vector<BrowserProfile>& get() {
        if (!profiles_) {
            profiles_ = FindBrowserProfiles();
        }
        return *profiles_;
    }

private:
    std::optional<std::vector<BrowserProfile>> profiles_;
};

// The folder a "Cache" value under "User Shell Folders" names, when one is set (none
// when it names no full path); nothing when no value is set.
std::optional<std::vector<std::string>> chosenWebCacheFolders() {
    if (!SpecialFolderChosen(CSIDL_INTERNET_CACHE)) {
        return std::nullopt;
    }
    std::string chosen = SpecialFolderPath(CSIDL_INTERNET_CACHE);
    return chosen.empty() ? std::vector<std::string>{} : std::vector<std::string>{std::move(chosen)};
}

// One row per kind of cleaning: the flag that selects it and how its targets are made.
struct KindRow {
    TargetKind kind;
    CleaningFlag flag;
    void (*addTargets)(CleaningPlan& plan, PlanProfiles& profiles);
};

constexpr KindRow kKinds[] = {
    {TargetKind::WebCache, CleaningFlag::InternetFiles,
     [](CleaningPlan& plan, PlanProfiles& profiles) {
         // Every file goes; the folders stay, as the command that empties it on Windows
         // leaves them (and as the browsers expect to find them).
         if (auto chosen = chosenWebCacheFolders()) {
             for (std::string& folder : *chosen) {
                 plan.targets.push_back(CleaningTarget{
                     .kind = TargetKind::WebCache, .folder = std::move(folder), .keepFolders = true});
             }
             return;
         }
         // Each browser's caches, left alone while the browser runs.
         for (const BrowserProfile& profile : profiles.get()) {
             for (const std::string& cache : profile.caches) {
                 plan.targets.push_back(CleaningTarget{.kind = TargetKind::WebCache,
                                                       .folder = cache,
                                                       .keepFolders = true,
                                                       .browser = ownerOf(profile)});
             }
         }
     }},
    {TargetKind::Cookies, CleaningFlag::CookieFiles,
     [](CleaningPlan& plan, PlanProfiles& profiles) {
         const FileList sites = SpecialCookieSites();
         plan.targets.push_back(CleaningTarget{.kind = TargetKind::Cookies,
                                               .folder = SpecialFolderPath(CSIDL_COOKIES),
                                               .keepFolders = true,
                                               .keep = CookieKeepList{SavedCookies(), sites}});
         // Each browser's cookie store, with the same special sites kept.
         for (const BrowserProfile& profile : profiles.get()) {
             for (const std::string& store : profile.cookieStores) {
                 plan.targets.push_back(CleaningTarget{.kind = TargetKind::Cookies,
                                                       .folder = store,
                                                       .browser = ownerOf(profile),
                                                       .cookieStore = CookieStoreTarget{sites}});
             }
         }
     }},
    {TargetKind::Temp, CleaningFlag::TempFiles,
     [](CleaningPlan& plan, PlanProfiles&) {
         // The Temp folder is shared with other users: only the user's own entries go.
         plan.targets.push_back(
             CleaningTarget{.kind = TargetKind::Temp, .folder = TempFolderPath(), .onlyOwnedByUser = true});
     }},
    {TargetKind::UserFolder, CleaningFlag::UserFolder,
     [](CleaningPlan& plan, PlanProfiles&) {
         for (std::string& folder : UserFolders()) {
             plan.targets.push_back(
                 CleaningTarget{.kind = TargetKind::UserFolder, .folder = std::move(folder)});
         }
     }},
};

const KindRow& rowOf(TargetKind kind) {
    return *std::find_if(std::begin(kKinds), std::end(kKinds),
                         [kind](const KindRow& row) { return row.kind == kind; });
}

} // namespace

CleaningFlag FlagOf(TargetKind kind) {
    return rowOf(kind).flag;
}

std::vector<TargetKind> SelectedKinds(std::span<const TargetKind> order) {
    std::vector<TargetKind> kinds;
    for (const TargetKind kind : order) {
        if (IsFlagSet(FlagOf(kind))) {
            kinds.push_back(kind);
        }
    }
    return kinds;
}

CleaningPlan MakeCleaningPlan(std::span<const TargetKind> kinds, Listing listing) {
    CleaningPlan plan;
    plan.listing = listing;
    PlanProfiles profiles;
    for (const TargetKind kind : kinds) {
        plan.kinds.push_back(kind);
        rowOf(kind).addTargets(plan, profiles);
    }
    return plan;
}

void StoreCleaningResults(const CleaningReport& report) {
    for (const FolderReport& folder : report.folders) {
        if (folder.savedCookies) {
            StoreSavedCookies(*folder.savedCookies);
        }
    }
}

std::vector<std::string> WebCacheFolders() {
    if (auto chosen = chosenWebCacheFolders()) {
        return std::move(*chosen);
    }
    std::vector<std::string> folders;
    for (BrowserProfile& profile : FindBrowserProfiles()) {
        for (std::string& cache : profile.caches) {
            if (std::find(folders.begin(), folders.end(), cache) == folders.end()) {
                folders.push_back(std::move(cache));
            }
        }
    }
    return folders;
}

std::string TempFolderPath() {
    for (const char* name : {"Temp", "TEMP", "TMPDIR"}) {
        if (auto value = platform().environment(name)) {
            return *value;
        }
    }
    return "/tmp";
}

CookieFolderListing ListCookieFiles(const std::string& Folder) {
    return {ListFilesBelow(Folder), SavedCookies()};
}

} // namespace tidorax
