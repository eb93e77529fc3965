#include "core/cleaning/CleaningReport.h"

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <system_error>

namespace tidorax {

std::size_t CleaningReport::filesBefore() const {
    std::size_t files = 0;
    for (const FolderReport& folder : folders) {
        files += folder.countsFiles ? std::max(folder.beforeCount, folder.before.size()) : 0;
    }
    return files;
}

std::size_t CleaningReport::filesAfter() const {
    std::size_t files = 0;
    for (const FolderReport& folder : folders) {
        files += folder.countsFiles ? std::max(folder.afterCount, folder.after.size()) : 0;
    }
    return files;
}

std::vector<std::string> CleaningReport::refusals() const {
    std::vector<std::string> reasons;
    if (!failure.empty()) {
        reasons.push_back(failure);
    }
    for (const FolderReport& folder : folders) {
        if (!folder.refusal.empty()) {
            reasons.push_back(folder.refusal);
        }
    }
    return reasons;
}

std::vector<std::string> CleaningReport::cutShort() const {
    std::vector<std::string> sentences;
    for (const FolderReport& folder : folders) {
        const auto shortage =
            std::find_if(folder.failures.begin(), folder.failures.end(), [](const auto& failed) {
                return failed.error == EMFILE || failed.error == ENFILE || failed.error == ENOMEM;
            });
        if (shortage != folder.failures.end()) {
            sentences.push_back("the clean of " + folder.folder + " stopped short at " + shortage->path +
                                ": " + std::generic_category().message(shortage->error));
        }
    }
    return sentences;
}

CleaningReport CleaningReport::only(TargetKind kind) const {
    CleaningReport part;
    std::copy_if(folders.begin(), folders.end(), std::back_inserter(part.folders),
                 [kind](const FolderReport& folder) { return folder.kind == kind; });
    return part;
}

void CleaningReport::append(CleaningReport&& other) {
    if (failure.empty()) {
        failure = std::move(other.failure);
    }
    folders.insert(folders.end(), std::make_move_iterator(other.folders.begin()),
                   std::make_move_iterator(other.folders.end()));
}

} // namespace tidorax
