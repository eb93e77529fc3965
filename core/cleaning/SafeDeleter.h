// Deletion that never leaves the folder it was given. Everything is done relative to
// open folder descriptors: a symbolic link is removed as a link and never followed
// (also when one is swapped in for a folder while the work goes on), a folder on
// another mount is never entered, files in use stay where they are, and the folder a
// clean starts from is never removed. "/", "" and relative folder names are refused.
#pragma once

#include "core/cleaning/InUseSnapshot.h"
#include "core/cleaning/MountTable.h"

#include <string>
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

    // The snapshot must outlive the deleter.
    SafeDeleter(const InUseSnapshot& inUse, Rules rules);

    // Empties Folder (spaces around it and trailing "/" ignored) of everything that may
    // go, removing each emptied subfolder, and removes Folder itself when it differs
    // from RootFolder (written the same way). A subfolder that cannot be emptied stays,
    // and so does every folder above it, but the other subfolders are still worked on.
    // Returns -1 when Folder is refused (empty, relative, "/", not a folder), 0 when
    // everything went, otherwise the error number of the last failure.
    int DeleteFolderTree(std::string Folder, const std::string& RootFolder);

    // Deletes every file below Folder, at any depth; all folders stay. Same results.
    int DeleteFilesBelow(const std::string& Folder);

    // Deletes one file, Path, which must lie below Folder (Path starts with Folder and
    // "/"); the folders on the way are opened one by one without following links.
    // Same results; -1 also when Path is not below Folder.
    int DeleteFileBelow(const std::string& Folder, const std::string& Path);

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
    void prepare(const FolderState& root);
    // Opens the root of a clean named Folder and prepares for it: its normalized name,
    // or "" when the folder is refused.
    std::string openRoot(const std::string& Folder, FolderState& root, std::string& path);
    int emptyFolder(FolderState& folder, std::string& path, bool removeSubfolders, int depth);
    int cleanSubfolder(FolderState& parent, const char* name, ino_t inode, std::string& path,
                       bool removeSubfolders, int depth);
    int enterSubfolder(FolderState& parent, const char* name, dev_t listedDevice, ino_t listedInode,
                       FolderState& child) const;
    int deleteNonFolder(FolderState& folder, const char* name, const struct stat& st);
    int deleteListedNonFolder(FolderState& folder, const char* name, unsigned char type, ino_t inode);
    int unlinkWithRetry(FolderState& folder, const char* name, int flags);

    const InUseSnapshot& inUse_;
    Rules rules_;
    uid_t user_;
    std::vector<char> readBuffer_;
    MountTable mounts_;
    bool listingMatchesStat_ = false;
};

} // namespace tidorax
