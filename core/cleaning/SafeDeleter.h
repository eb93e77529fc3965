// Deletion that never leaves the folder it was given. Everything is done relative to
// open folder descriptors: a symbolic link is removed as a link and never followed
// (also when one is swapped in for a folder while the work goes on), a folder on
// another mount is never entered, files in use stay where they are, and the folder a
// clean starts from is never removed. "/", "" and relative folder names are refused.
#pragma once

#include "core/cleaning/FolderReport.h"
#include "core/cleaning/HandOff.h"
#include "core/cleaning/InUseSnapshot.h"
#include "core/cleaning/MountWatch.h"
#include "core/cleaning/SafeFolder.h"
#include "core/cleaning/Workers.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

namespace tidorax {

class SafeDeleter {
public:
    struct Rules {
        // Delete only entries owned by the running user (the shared Temp folder): other
        // users' files, links and folders are left alone and their folders not entered.
        bool onlyOwnedByUser = false;
    };
    // Which files to delete, by their path below the folder ("sub/name").
    using FileSelection = std::function<bool(std::string_view relativePath)>;

    // The files (entries other than folders) a clean came across, counted as a listing
    // of the folder counts them (nothing below a folder whose name begins with "."),
    // and how many of them it deleted.
    struct Tally {
        std::size_t found = 0;
        std::size_t deleted = 0;
    };

    // The snapshot (and the mounts and the workers, when given: a clean of several
    // folders shares one watch and one budget) must outlive the deleter.
    SafeDeleter(const InUseSnapshot& inUse, Rules rules, MountWatch* mounts = nullptr,
                WorkerBudget* workers = nullptr);

    // Empties the open folder of everything that may go, removing each emptied
    // subfolder (or, with keepFolders, only the files, every folder staying). A
    // subfolder that cannot be emptied stays, and so does every folder above it, but
    // the other subfolders are still worked on. The folder itself always stays.
    // Returns -1 when the folder is not open, 0 when everything went, otherwise the
    // error number of the last failure.
    int DeleteBelow(const SafeFolder& folder, bool keepFolders = false);

    // Deletes the files below the open folder, at any depth, that selectFile answers
    // true for (it may be asked from several threads at once); all folders stay. Same
    // results.
    int DeleteFilesBelow(const SafeFolder& folder, const FileSelection& selectFile);

    // What the last clean came across and deleted.
    Tally LastTally() const { return Tally{found_.load(), deleted_.load()}; }
    // What the last clean could not delete, in the order met (the first
    // kMaxFailuresKept), and how many entries failed in all.
    std::vector<DeletionFailure> Failures() const;
    std::size_t FailureCount() const { return failureCount_.load(); }

private:
    struct FolderState;

    // Runs a clean from the open folder: the mounts, whether listings can be trusted,
    // and the tally and failures started afresh.
    int clean(const SafeFolder& folder, bool removeSubfolders);
    // Notes that path/name (name may be empty) stayed for error; returns error.
    int fail(const std::string& path, const char* name, int error);
    // How a clean walks: whether it removes emptied subfolders, and how deep it is and
    // whether its files are counted (not below a folder named with a leading ".").
    struct Level {
        bool removeSubfolders;
        int depth;
        bool counted;
        bool sharedParent; // the folder above is worked on by more than one thread
    };
    struct ListedEntry;
    // What deleting a run of a folder's entries did.
    struct EntryPass;
    struct EntryRuns;
    int emptyFolder(FolderState& folder, std::string& path, Level level);
    int cleanSubfolder(FolderState& parent, const char* name, ino_t inode, std::string& path, Level level);
    // Cleans the subfolders of folder, on more than one thread where the machine has the cores.
    int cleanSubfolders(FolderState& folder, const std::string& names,
                        const std::vector<ListedEntry>& subfolders, std::string& path, Level level);
    // Deletes the entries from begin to end, here or on other threads (see EntryRuns).
    void offerEntries(FolderState& folder, const std::string& path, const std::string& names,
                      ListedEntry* begin, ListedEntry* end, Level level, EntryRuns& runs);
    void deleteEntries(FolderState& folder, const std::string& path, const std::string& names,
                       ListedEntry* begin, ListedEntry* end, EntryPass& pass);
    bool selected(const std::string& path, const char* name) const;
    // True when the system itself refuses to delete other users' files in the folder (a
    // sticky folder of another user, on a file system that keeps the rule): there an
    // unlink that is refused answers the owner rule, and no stat is needed.
    bool ownerDecidedBySystem(const FolderState& folder) const;
    int enterSubfolder(FolderState& parent, const char* name, dev_t listedDevice, ino_t listedInode,
                       FolderState& child) const;
    // fd is the folder's, or a copy of it.
    int deleteNonFolder(FolderState& folder, int fd, const char* name, const struct stat& st);
    int deleteListedNonFolder(FolderState& folder, int fd, const char* name, unsigned char type, ino_t inode);
    int unlinkWithRetry(FolderState& folder, int fd, const char* name, int flags);
    int reopenParent(const FolderState& child, FolderState& parent) const;

    const InUseSnapshot& inUse_;
    Rules rules_;
    uid_t user_;
    bool overridesStickyFolders_; // see ownerDecidedBySystem
    MountWatch* mounts_;
    std::unique_ptr<MountWatch> ownMounts_; // when none was given
    bool listingMatchesStat_ = false;
    int heldLevels_ = 0; // see heldLevels
    std::size_t rootPathLength_ = 0;
    const FileSelection* selectFile_ = nullptr; // during DeleteFilesBelow
    std::atomic<std::size_t> found_{0};
    std::atomic<std::size_t> deleted_{0};
    WorkerBudget* workers_;
    std::unique_ptr<WorkerBudget> ownWorkers_; // when none was given
    HandOff* handOff_ = nullptr;               // during a clean
    std::mutex writableMutex_;                 // making a folder writable, which workers may share
    mutable std::mutex failuresMutex_;
    std::vector<DeletionFailure> failures_;
    std::atomic<std::size_t> failureCount_{0};
};

} // namespace tidorax
