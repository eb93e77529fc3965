// What the deleter keeps of the folders it works in: an open folder with what the
// deleter knows about it, and a folder's entries as its listing gives them. Shared by
// the deleter's walk through the folders and its deletion of their entries.
#pragma once

#include "core/cleaning/SafeDeleter.h"

#include <cstddef>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tidorax {

// One entry of a folder as its listing gives it; the name lies in a shared text.
struct SafeDeleter::ListedEntry {
    std::size_t nameOffset;
    ino_t inode;
    unsigned char type;
};

// What deleting a run of a folder's entries did.
struct SafeDeleter::EntryPass {
    int failure = 0; // the last failure
    std::size_t found = 0;
    std::size_t deleted = 0;
    std::vector<ListedEntry> subfolders;
};

// An open folder and what the deleter knows about it. The folder a clean starts from
// is borrowed from its SafeFolder; the subfolders' descriptors are the deleter's own.
struct SafeDeleter::FolderState : FolderDescription {
    int fd = -1;
    bool borrowed = false;
    bool madeWritable = false;
    mode_t modeBefore = 0; // the mode to give back when it was made writable
    bool removed = false;

    FolderState() = default;
    FolderState(const FolderState&) = delete;
    FolderState& operator=(const FolderState&) = delete;
    ~FolderState() {
        if (fd >= 0) {
            // A folder made writable to delete inside it, which stays, gets its mode back.
            if (madeWritable && !removed) {
                ::fchmod(fd, modeBefore & 07777);
            }
            if (!borrowed) {
                ::close(fd);
            }
        }
    }

    bool describe() { return DescribeFolder(fd, *this); }
};
} // namespace tidorax
