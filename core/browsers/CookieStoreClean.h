// Deletes, from one browser's cookie store (SQLite), every cookie whose host the user
// does not keep, in one transaction: the store is changed whole or not at all. The store
// is opened only if it is there (never created, never through a link), waits at most a
// moment for a lock, and is left alone when another program holds it.
#pragma once

#include "core/browsers/BrowserTable.h"
#include "core/browsers/KeptSites.h"

#include <cstddef>
#include <string>

namespace tidorax {

struct CookieStoreResult {
    enum class Outcome {
        Cleaned, // the cookies not kept were deleted
        Busy,    // another program (the browser) holds the store: nothing changed
        Failed,  // the store could not be read or changed: nothing changed
    };
    Outcome outcome = Outcome::Failed;
    std::size_t before = 0;  // cookies in the store before
    std::size_t deleted = 0; // cookies deleted
    std::string error;       // why it failed, from SQLite
};

inline constexpr int kCookieStoreBusyMilliseconds = 200;

CookieStoreResult CleanCookieStore(const std::string& store, const CookieStoreLayout& layout,
                                   const KeptSites& kept);

} // namespace tidorax
