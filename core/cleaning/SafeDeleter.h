// Deletion that never leaves the folder it was given. Everything is done relative to
// open folder descriptors: a symbolic link is removed as a link and never followed
// (also when one is swapped in for a folder while the work goes on), a folder on
// another mount is never entered, files in use stay where they are, and the folder a
// clean starts from is never removed. "/", "" and relative folder names are refused.
#pragma once

#include "core/cleaning/InUseSnapshot.h"
#include "core/cleaning/MountTable.h"

#include <atomic>
#include <cstddef>
#include <functional>
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

    // The snapshot must outlive the deleter.
    SafeDeleter(const InUseSnapshot& inUse, Rules rules);

    // Empties Folder (spaces around it and trailing "/" ignored) of everything that may
    // go, removing each emptied subfolder, and removes Folder itself when it differs
    // from RootFolder (written the same way). A subfolder that cannot be emptied stays,
    // and so does every folder above it, but the other subfolders are still worked on.
    // Returns -1 when Folder is refused (empty, relative, "/", not a folder), 0 when
    // everything went, otherwise the error number of the last failure.
    int DeleteFolderTree(std::string Folder, const std::string& RootFolder);

    // Deletes every file below Folder, at any depth, or only those that selectFile
    // answers true for; all folders stay. Same results.
    int DeleteFilesBelow(const std::string& Folder, const FileSelection& selectFile = {});

    // What the last DeleteFolderTree or DeleteFilesBelow came across and deleted.
    Tally LastTally() const { return Tally{found_.load(), deleted_.load()}; }

    // Folder with trailing "/" removed, or "" when that is not an absolute folder name
    // other than "/". Blanks are part of the name.
    static std::string NormalizedFolderName(const std::string& Folder);
    // True when a clean may start in Folder: its name is accepted and it is a folder
    // other than the root of the file system.
    static bool IsCleanableFolder(const std::string& Folder);

private:
    struct FolderState;

    // Opens the folder a clean starts from; Path, when given, receives its resolved name.
    int openCleanRoot(const std::string& normalized, FolderState& root, std::string* path = nullptr) const;
    // Learns what a clean below root needs: the mounts, and whether listings can be trusted.
    void prepare(const FolderState& root, const std::string& path);
    // Opens the root of a clean named Folder and prepares for it: its normalized name,
    // or "" when the folder is refused.
    std::string openRoot(const std::string& Folder, FolderState& root, std::string& path);
    // How a clean walks: whether it removes emptied subfolders, and how deep it is and
    // whether its files are counted (not below a folder named with a leading ".").
    struct Level {
        bool removeSubfolders;
        int depth;
        bool counted;
    };
    struct ListedEntry;
    // What deleting a run of a folder's entries did.
    struct EntryPass;
    int emptyFolder(FolderState& folder, std::string& path, Level level);
    int cleanSubfolder(FolderState& parent, const char* name, ino_t inode, std::string& path, Level level);
    // Cleans the subfolders of folder, on more than one thread where the machine has the cores.
    int cleanSubfolders(FolderState& folder, const std::string& names,
                        const std::vector<ListedEntry>& subfolders, std::string& path, Level level);
    void deleteEntries(FolderState& folder, const std::string& path, const std::string& names,
                       ListedEntry* begin, ListedEntry* end, EntryPass& pass);
    bool selected(const std::string& path, const char* name) const;
    int enterSubfolder(FolderState& parent, const char* name, dev_t listedDevice, ino_t listedInode,
                       FolderState& child) const;
    int deleteNonFolder(FolderState& folder, const char* name, const struct stat& st);
    int deleteListedNonFolder(FolderState& folder, const char* name, unsigned char type, ino_t inode);
    int unlinkWithRetry(FolderState& folder, const char* name, int flags);

    const InUseSnapshot& inUse_;
    Rules rules_;
    uid_t user_;
    MountTable mounts_;
    bool listingMatchesStat_ = false;
    std::size_t rootPathLength_ = 0;
    const FileSelection* selectFile_ = nullptr; // during DeleteFilesBelow
    std::atomic<std::size_t> found_{0};
    std::atomic<std::size_t> deleted_{0};
    std::mutex writableMutex_; // making a folder writable, which workers may share
};

} // namespace tidorax
