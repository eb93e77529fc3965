// What a clean is asked to do: a list of targets, each a kind of folder to clean, where
// it lies and the rules that apply there. The engine cleans the targets in their order
// and reads nothing else; the callers make plans from the settings.
#pragma once

#include "core/browsers/BrowserTable.h"
#include "core/cleaning/FileWalk.h"

#include <optional>
#include <string>
#include <vector>

namespace tidorax {

// Whether a clean keeps the paths it found (for a window that shows them) or only
// counts them (the tray's commands and the silent run), in memory that does not grow
// with the number of files.
enum class Listing { Keep, CountOnly };

enum class TargetKind { WebCache, Cookies, Temp, UserFolder };

// The cookies the user keeps: the saved cookie files and the special sites, whose
// current files are all kept whatever they are called now.
struct CookieKeepList {
    FileList saved;
    FileList specialSites;
};

// The browser whose cache or cookie store a target is: nothing of it is touched while
// the browser runs.
struct BrowserOwner {
    const BrowserRow* browser = nullptr;
    std::string profile;  // the profile's name, for the user
    std::string lockLink; // the link the browser holds while it runs
};

// A browser's cookie store, cleaned of every cookie whose host is not kept; the
// target's folder is the store's file.
struct CookieStoreTarget {
    FileList keptSites; // the special cookie sites
};

struct CleaningTarget {
    TargetKind kind;
    std::string folder; // as the settings name it; "" when none is set
    // Only the running user's own entries go (the shared Temp folder).
    bool onlyOwnedByUser = false;
    // Every folder stays, emptied of its files (the web cache).
    bool keepFolders = false;
    // Cookie files: only files not kept go, and never a ".dat" file.
    std::optional<CookieKeepList> keep{};
    // A browser's cache folder or cookie store.
    std::optional<BrowserOwner> browser = std::nullopt;
    // A browser's cookie store instead of a folder.
    std::optional<CookieStoreTarget> cookieStore = std::nullopt;
};

struct CleaningPlan {
    // The kinds the plan was made of, in order; a kind may have no target (no user
    // folder listed).
    std::vector<TargetKind> kinds;
    std::vector<CleaningTarget> targets;
    Listing listing = Listing::Keep;
};

} // namespace tidorax
