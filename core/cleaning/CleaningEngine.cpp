#include "core/cleaning/CleaningEngine.h"

#include "core/browsers/BrowserLock.h"
#include "core/browsers/CookieStoreClean.h"
#include "core/cleaning/CookieSelection.h"
#include "core/cleaning/FileWalk.h"
#include "core/cleaning/FolderGuard.h"
#include "core/cleaning/InUseSnapshot.h"
#include "core/cleaning/SafeDeleter.h"
#include "core/cleaning/SafeFolder.h"
#include "core/cleaning/Workers.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <utility>

namespace tidorax {

namespace {

// What every target of one run shares.
class RunContext {
public:
    const ProtectedIdentities guard{ProtectedFolders()};
    MountWatch mounts;
    WorkerBudget workers;

    // Taken when the first folder is about to be cleaned, and used for all.
    const InUseSnapshot& inUse() {
        if (!inUse_) {
            inUse_ = InUseSnapshot::Take();
        }
        return *inUse_;
    }
    bool inUseTaken() const { return inUse_.has_value(); }
    // True the first time a refusal is given: a running browser is named once, not once
    // for each of its caches.
    bool firstTime(const std::string& refusal) { return given_.insert(refusal).second; }

private:
    std::optional<InUseSnapshot> inUse_;
    std::unordered_set<std::string> given_;
};

bool endsWithDat(std::string_view path) {
    return path.size() >= 4 && path.compare(path.size() - 4, 4, ".dat") == 0;
}

// Deletes the cookie files that the keep list does not keep, by their path below the
// folder, in one pass through it; never a ".dat" file.
void deleteCookies(const CleaningTarget& target, const SafeFolder& folder, const FileList& found,
                   SafeDeleter& deleter, FolderReport& report) {
    CookieSelection selection = SelectCookiesToDelete(target.keep->saved, target.keep->specialSites, found);
    const std::string& prefix = report.folder;
    std::unordered_set<std::string_view> toDelete;
    for (const std::string& path : selection.toDelete) {
        if (!endsWithDat(path) && path.compare(0, prefix.size(), prefix) == 0) {
            toDelete.insert(std::string_view(path).substr(prefix.size()));
        }
    }
    deleter.DeleteFilesBelow(
        folder, [&toDelete](std::string_view relative) { return toDelete.count(relative) != 0; });
    if (selection.savedChanged) {
        report.savedCookies = std::move(selection.saved);
    }
}

// How the user is told that a browser's cache or cookies were not cleaned.
std::string browserNotCleaned(const CleaningTarget& target) {
    const BrowserOwner& owner = *target.browser;
    const bool cookies = target.cookieStore.has_value();
    return std::string(cookies ? "The cookies of " : "The cache of ") + owner.browser->name + " (profile " +
           owner.profile + (cookies ? ") were not cleaned: " : ") was not cleaned: ");
}

// Deletes the cookies not kept from a browser's store.
FolderReport cleanCookieStore(const CleaningTarget& target) {
    FolderReport report;
    report.folder = target.folder;
    report.kind = target.kind;
    report.countsFiles = false;
    const CookieStoreResult result = CleanCookieStore(target.folder, target.browser->browser->cookies,
                                                      KeptSites(target.cookieStore->keptSites));
    switch (result.outcome) {
    case CookieStoreResult::Outcome::Cleaned:
        report.beforeCount = result.before;
        report.afterCount = result.before - result.deleted;
        break;
    case CookieStoreResult::Outcome::Busy:
        report.refusal = browserNotCleaned(target) + "the browser is running.";
        break;
    case CookieStoreResult::Outcome::Failed:
        report.refusal = browserNotCleaned(target) + "their store " + target.folder + " cannot be changed (" +
                         result.error + ").";
        break;
    }
    return report;
}

std::optional<FolderReport> cleanTarget(const CleaningTarget& target, Listing listing, RunContext& context) {
    if (target.browser && BrowserLockHeld(target.browser->lockLink, target.browser->browser->family)) {
        FolderReport report;
        report.folder = target.cookieStore ? target.folder : AddTrailingSlash(target.folder);
        report.kind = target.kind;
        report.refusal = browserNotCleaned(target) + "the browser is running.";
        return context.firstTime(report.refusal) ? std::optional(std::move(report)) : std::nullopt;
    }
    if (target.cookieStore) {
        return cleanCookieStore(target);
    }
    const SafeFolder folder = SafeFolder::Open(target.folder, context.guard);
    FolderReport report;
    report.folder = AddTrailingSlash(target.folder);
    report.kind = target.kind;
    if (!folder.refusal().empty()) {
        report.refusal = folder.refusal();
        return report;
    }
    if (!folder.isOpen()) {
        return std::nullopt; // no folder set, or none there: nothing to clean
    }
    if (!context.inUse().Complete()) {
        return std::nullopt; // the run stops: see RunCleaningPlan
    }
    // The cookie clean chooses by path, so it always lists first.
    FileList before;
    if (listing == Listing::Keep || target.keep) {
        before = ListFilesBelow(folder, target.folder);
    }
    SafeDeleter deleter(context.inUse(), SafeDeleter::Rules{.onlyOwnedByUser = target.onlyOwnedByUser},
                        &context.mounts, &context.workers);
    if (target.keep) {
        deleteCookies(target, folder, before, deleter, report);
    } else {
        deleter.DeleteBelow(folder, target.keepFolders);
    }
    report.failures = deleter.Failures();
    report.failureCount = deleter.FailureCount();
    if (listing == Listing::Keep) {
        // Listed also when nothing went, so that what stayed is not counted as cleaned.
        report.before = std::move(before);
        report.beforeCount = report.before.size();
        report.after = ListFilesBelow(folder, target.folder);
        report.afterCount = report.after.size();
    } else {
        // The numbers come from the deletion itself: the files it came across, and
        // those of them that stayed.
        const SafeDeleter::Tally tally = deleter.LastTally();
        report.beforeCount = tally.found;
        report.afterCount = tally.found - std::min(tally.deleted, tally.found);
    }
    return report;
}

// The end of the group of targets that starts at begin: a run of user folders none of
// which, as named, lies in another, which are cleaned side by side; any other target
// alone.
std::size_t endOfGroup(const std::vector<CleaningTarget>& targets, std::size_t begin) {
    std::size_t end = begin + 1;
    while (end < targets.size() && targets[begin].kind == TargetKind::UserFolder &&
           targets[end].kind == TargetKind::UserFolder) {
        ++end;
    }
    std::vector<std::string> names;
    for (std::size_t i = begin; i < end; ++i) {
        names.push_back(AddTrailingSlash(targets[i].folder));
    }
    std::sort(names.begin(), names.end());
    for (std::size_t i = 1; i < names.size(); ++i) {
        if (names[i].starts_with(names[i - 1])) {
            return begin + 1; // one holds another: one after the other, as listed
        }
    }
    return end;
}

// Cleans the targets of a group on as many threads as the budget grants, each report in
// its target's place.
void cleanSideBySide(const std::vector<CleaningTarget>& targets, std::size_t begin, Listing listing,
                     RunContext& context, std::vector<std::optional<FolderReport>>& folders) {
    std::atomic<std::size_t> next{0};
    const unsigned helpers = context.workers.take(folders.size() - 1);
    RunOnWorkers(1 + helpers, [&](unsigned) {
        for (std::size_t i = next++; i < folders.size(); i = next++) {
            folders[i] = cleanTarget(targets[begin + i], listing, context);
        }
        // Out of targets: the place goes to whoever can use it (the thread that started
        // them waits for the others, and takes one back after).
        context.workers.release();
    });
    context.workers.rejoin();
}

} // namespace

void PrepareCleaningRun() {
    ReserveDescriptors();
    InUseSnapshot::StartLockTableWait();
}

CleaningReport RunCleaningPlan(const CleaningPlan& plan) {
    ReserveDescriptors();
    CleaningReport report;
    RunContext context;
    const std::vector<CleaningTarget>& targets = plan.targets;
    for (std::size_t begin = 0; begin < targets.size();) {
        const std::size_t end = endOfGroup(targets, begin);
        std::vector<std::optional<FolderReport>> folders(end - begin);
        if (end - begin > 1) {
            context.inUse(); // taken once, before the threads share it
            cleanSideBySide(targets, begin, plan.listing, context, folders);
        } else {
            folders[0] = cleanTarget(targets[begin], plan.listing, context);
        }
        if (context.inUseTaken() && !context.inUse().Complete()) {
            // Files in use would be deleted unseen: nothing is cleaned.
            report.folders.clear();
            report.failure = "Nothing was cleaned: the files that programs hold open cannot be known, "
                             "because the process list (/proc) cannot be read.";
            return report;
        }
        for (std::optional<FolderReport>& folder : folders) {
            if (folder) {
                report.folders.push_back(std::move(*folder));
            }
        }
        begin = end;
    }
    return report;
}

} // namespace tidorax
