// What a cleaning operation did, folder by folder. Each operation returns one; a
// caller that runs several adds them up and decides what to show.
#pragma once

#include "core/cleaning/FolderReport.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tidorax {

struct CleaningReport {
    std::vector<FolderReport> folders; // in the order they were cleaned
    // Why nothing was cleaned at all (a sentence for the user); empty when the clean ran.
    std::string failure;

    // The files of all folders, from their counts (a report made with listed paths only
    // answers from the lists); the cookies of a browser's store are no files.
    std::size_t filesBefore() const;
    std::size_t filesAfter() const;
    // Why nothing was cleaned, then why each refused folder was not cleaned, in order.
    std::vector<std::string> refusals() const;
    // A sentence for each folder whose clean was cut short because the program ran out
    // of descriptors or memory (what was left lies below the place named), in order.
    std::vector<std::string> cutShort() const;
    // The folders of one kind of cleaning.
    CleaningReport only(TargetKind kind) const;
    // Adds the folders of other after this report's own.
    void append(CleaningReport&& other);
};

} // namespace tidorax
