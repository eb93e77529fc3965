// Plans made from the settings: the one table that says, for each kind of cleaning,
// which flag selects it, where its folders lie and which rules apply there. A new kind
// is one row here (and its own target type in the engine).
#pragma once

#include "core/cleaning/CleaningPlan.h"
#include "core/cleaning/CleaningReport.h"
#include "core/settings/CleaningSettings.h"

#include <span>
#include <string>
#include <vector>

namespace tidorax {

// The order in which the tray menu and the silent run clean.
inline constexpr TargetKind kTrayOrder[] = {TargetKind::WebCache, TargetKind::Cookies, TargetKind::Temp,
                                            TargetKind::UserFolder};
// The order of the options window's "ViriRerer Now".
inline constexpr TargetKind kOptionsOrder[] = {TargetKind::WebCache, TargetKind::Temp, TargetKind::Cookies,
                                               TargetKind::UserFolder};

// The flag that selects a kind.
CleaningFlag FlagOf(TargetKind kind);
// The kinds of order whose flag is set.
std::vector<TargetKind> SelectedKinds(std::span<const TargetKind> order);

// A plan of the kinds, in their order, each with its folders (one target per user
// folder) and rules read from the settings now.
CleaningPlan MakeCleaningPlan(std::span<const TargetKind> kinds, Listing listing = Listing::Keep);

// Stores what the settings keep from a clean: the saved cookies it rewrote.
void StoreCleaningResults(const CleaningReport& report);

// The folders the web cache clean empties: the folder named by a "Cache" value under
// "User Shell Folders" when one is set (nothing when it names no full path); otherwise
// the cache folders of every browser profile found (Firefox's "cache2", Chromium's
// "Cache" and "Code Cache"), never $XDG_CACHE_HOME as a whole, whose other programs'
// caches stay. What the options window lists and counts as the web cache.
std::vector<std::string> WebCacheFolders();

// The Temp folder: the environment variable "Temp", else "TEMP", else "TMPDIR" (the
// first one that is set, even when empty), else "/tmp".
std::string TempFolderPath();

struct CookieFolderListing {
    FileList files; // every file below the folder
    FileList saved; // the saved cookies, as stored
};

// What the options window shows of the Cookies folder.
CookieFolderListing ListCookieFiles(const std::string& Folder);

} // namespace tidorax
