// What the deleter keeps of the folders it works in: an open folder with what the
// deleter knows about it, and a folder's entries as its listing gives them. Shared by
// the deleter's walk through the folders and its deletion of their entries.
#pragma once

#include "core/cleaning/SafeDeleter.h"

#include "core/cleaning/HandOff.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
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

// What deleting a run of a folder's entries did, and the descriptor it works through:
// the folder's own, or a copy of its own when the folder's may be closed meanwhile.
struct SafeDeleter::EntryPass {
    int fd = -1;
    int ownFd = -1;
    int failure = 0; // the last failure
    std::size_t found = 0;
    std::size_t deleted = 0;
    std::vector<ListedEntry> subfolders;

    EntryPass() = default;
    EntryPass(const EntryPass&) = delete;
    EntryPass& operator=(const EntryPass&) = delete;
    ~EntryPass() { closeOwnFd(); }
    // The copy goes as soon as the run is done: a deep walk would otherwise keep one
    // for each level it has gone down through.
    void closeOwnFd() {
        if (ownFd >= 0) {
            ::close(ownFd);
            fd = fd == ownFd ? -1 : fd;
            ownFd = -1;
        }
    }
};

// The runs of one folder's entries: what each did, and the tickets of those handed to
// other threads. It waits for them all before it goes, also when the walk ends in an
// exception, so that no run outlives the listing it works on.
struct SafeDeleter::EntryRuns {
    explicit EntryRuns(HandOff& handOff) : handOff(handOff) {}
    EntryRuns(const EntryRuns&) = delete;
    EntryRuns& operator=(const EntryRuns&) = delete;
    ~EntryRuns();

    // Hands job to another thread; false when none can take it.
    bool offer(std::function<void()> job);
    // Waits for every run handed off, adds the subfolders the runs found and have not
    // given yet, and returns the last failure in the order of the runs.
    int waitAndCollect(std::vector<ListedEntry>& subfolders);
    // What the runs came across and deleted, together.
    Tally tally() const {
        Tally sum;
        for (const EntryPass& pass : passes) {
            sum.found += pass.found;
            sum.deleted += pass.deleted;
        }
        return sum;
    }

    HandOff& handOff;
    std::deque<EntryPass> passes; // a deque: the runs keep their place as more are added
    std::vector<std::shared_ptr<HandOff::Ticket>> tickets;
};

// An open folder and what the deleter knows about it. The folder a clean starts from
// is borrowed from its SafeFolder; the subfolders' descriptors are the deleter's own.
struct SafeDeleter::FolderState : FolderDescription {
    int fd = -1;
    bool borrowed = false;
    bool madeWritable = false;
    mode_t modeBefore = 0; // the mode to give back when it was made writable
    bool removed = false;
    bool ownerBySystem = false; // see ownerDecidedBySystem; set before the folder is shared

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
