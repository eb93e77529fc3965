// What the clean of one target did: every file below its folder before the clean and
// after it (or only their numbers), why it was refused, and the files it could not
// delete. The after list is also the folder's fresh listing.
#pragma once

#include "core/cleaning/CleaningPlan.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tidorax {

// A file, link or folder that stayed, and the system's error number for it.
struct DeletionFailure {
    std::string path;
    int error = 0;
};

struct FolderReport {
    std::string folder; // ends with "/"; a cookie store's file for a store
    FileList before;    // empty when only counted
    FileList after;
    // Why the folder was neither listed nor cleaned (a sentence for the user); empty
    // when it was cleaned.
    std::string refusal;
    // How many files were below the folder before and after (cookies in a store);
    // set in both listings.
    std::size_t beforeCount = 0;
    std::size_t afterCount = 0;
    // The counts are of files (false for a browser's cookie store, whose counts are
    // cookies: not added to the files a clean removed).
    bool countsFiles = true;
    TargetKind kind = TargetKind::UserFolder;
    // What could not be deleted, in the order met (at most kMaxFailuresKept of them),
    // and how many entries failed in all.
    std::vector<DeletionFailure> failures;
    std::size_t failureCount = 0;
    // A cookie clean: the saved cookies as they are to be stored from now on (each
    // special site's entries replaced by its current files); nullopt when unchanged.
    std::optional<FileList> savedCookies;
};

inline constexpr std::size_t kMaxFailuresKept = 1000;

} // namespace tidorax
