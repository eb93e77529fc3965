#include "core/cleaning/SafeDeleter.h"

#include "core/cleaning/SafeDeleterState.h"

#include "core/cleaning/FolderEntries.h"
#include "core/cleaning/FolderGuard.h"
#include "core/cleaning/Workers.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/capability.h>
#include <linux/magic.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace tidorax {

namespace {

// Below this depth a folder's descriptor is closed while its subfolders are worked on,
// and opened again from the subfolder (its "..") when they are done, so that a walk of
// any depth holds at most this many descriptors open...
constexpr int kMostHeldLevels = 128;
// ...or fewer, where the process may open fewer descriptors than every worker's walk,
// the copies that runs handed off work through (at most 64 queued) and the rest of the
// program need together.
constexpr rlim_t kDescriptorsKeptAside = 96;

int heldLevels() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        return kMostHeldLevels;
    }
    const rlim_t room = std::min<rlim_t>(limit.rlim_cur, 1u << 20);
    const rlim_t perWorker =
        room > kDescriptorsKeptAside ? (room - kDescriptorsKeptAside) / WorkerCount(SIZE_MAX) : 0;
    return static_cast<int>(std::clamp<rlim_t>(perWorker, 2, kMostHeldLevels + 1) - 1);
}

// Folder entries are read in blocks of this size, into one buffer for all levels: each
// folder is read to its end before its subfolders are worked on.
constexpr std::size_t kReadBufferSize = 64 * 1024;

// File systems whose folder listings give each entry's type and the same inode number
// that stat gives; elsewhere (overlays, network and FUSE file systems) every entry is
// looked at with a stat before anything is decided.
bool listingMatchesStat(int fd) {
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0) {
        return false;
    }
    switch (static_cast<unsigned long>(fs.f_type)) {
    case TMPFS_MAGIC:
    case EXT4_SUPER_MAGIC: // also ext2 and ext3
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
        return true;
    default:
        return false;
    }
}

// True when the system lets this process delete other users' files in a folder whose
// sticky bit says otherwise: as root, or with the capability to act as any file's owner.
bool overridesStickyFolders() {
    if (::geteuid() == 0) {
        return true;
    }
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
    return ::syscall(SYS_capget, &header, data) != 0 || (data[0].effective & (1u << CAP_FOWNER)) != 0;
}

// A folder's files are handed to other threads in runs of at most this many entries,
// and not at all when fewer than kFewestHandedOff.
constexpr std::size_t kEntriesPerRun = 4096;
constexpr std::size_t kFewestHandedOff = 8;

} // namespace

SafeDeleter::SafeDeleter(const InUseSnapshot& inUse, Rules rules, MountWatch* mounts, WorkerBudget* workers)
    : inUse_(inUse), rules_(std::move(rules)), user_(::geteuid()),
      overridesStickyFolders_(rules_.onlyOwnedByUser && overridesStickyFolders()), mounts_(mounts),
      workers_(workers) {}

int SafeDeleter::emptyFolder(FolderState& folder, std::string& path, Level level) {
    // Read the whole folder first, so that deleting does not disturb the reading. Where
    // the listing tells folders from the rest, the folders are kept apart: they are
    // looked at first, and the rest is deleted on whichever thread is free while this one
    // goes on into the subfolders. Elsewhere every entry is looked at before a subfolder
    // is known.
    thread_local std::vector<char> buffer(kReadBufferSize);
    std::string names;
    std::vector<ListedEntry> folders;
    std::vector<ListedEntry> entries;
    bool typed = listingMatchesStat_;
    const int readError = ForEachFolderEntry(folder.fd, buffer, [&](const dirent64& entry) {
        const ListedEntry listed{names.size(), static_cast<ino_t>(entry.d_ino), entry.d_type};
        (typed && entry.d_type == DT_DIR ? folders : entries).push_back(listed);
        typed = typed && entry.d_type != DT_UNKNOWN;
        names.append(entry.d_name).push_back('\0');
    });
    if (readError != 0 && entries.empty() && folders.empty()) {
        return fail(path, "", readError);
    }
    if (!typed) {
        entries.insert(entries.end(), folders.begin(), folders.end());
        folders.clear();
    }
    folder.ownerBySystem = ownerDecidedBySystem(folder);
    EntryRuns runs(*handOff_);
    EntryPass& folderPass = runs.passes.emplace_back();
    folderPass.fd = folder.fd;
    deleteEntries(folder, path, names, folders.data(), folders.data() + folders.size(), folderPass);
    // With no subfolder to go on into, this thread would only wait for the runs it hands
    // off: it keeps one run for itself (a whole folder of one run) and offers the others.
    ListedEntry* const offered =
        entries.data() + (typed && folders.empty() ? std::min(entries.size(), kEntriesPerRun) : 0);
    offerEntries(folder, path, names, offered, entries.data() + entries.size(), level, runs);
    deleteEntries(folder, path, names, entries.data(), offered, folderPass);
    std::vector<ListedEntry> subfolders = std::move(folderPass.subfolders);
    if (!typed) {
        runs.waitAndCollect(subfolders);
    }
    const int below = cleanSubfolders(folder, names, subfolders, path, level);
    // A listed file that has become a folder since is found only once its run is done.
    std::vector<ListedEntry> late;
    int failure = runs.waitAndCollect(late);
    const int lateBelow = late.empty() ? 0 : cleanSubfolders(folder, names, late, path, level);
    if (level.counted) {
        const Tally tally = runs.tally();
        found_ += tally.found;
        deleted_ += tally.deleted;
    }
    for (const int result : {below, lateBelow}) {
        failure = result != 0 ? result : failure;
    }
    return failure;
}

void SafeDeleter::offerEntries(FolderState& folder, const std::string& path, const std::string& names,
                               ListedEntry* begin, ListedEntry* end, Level level, EntryRuns& runs) {
    // Below the levels whose descriptors are held, the folder's own may be closed while
    // its subfolders are worked on: runs handed off then work through a copy.
    const bool ownDescriptor = level.depth + 1 > heldLevels_ && !folder.borrowed;
    for (ListedEntry* run = begin; run < end;) {
        const std::size_t size = std::min<std::size_t>(end - run, kEntriesPerRun);
        ListedEntry* runEnd = run + size;
        EntryPass& pass = runs.passes.emplace_back();
        pass.fd =
            ownDescriptor && size >= kFewestHandedOff ? ::fcntl(folder.fd, F_DUPFD_CLOEXEC, 0) : folder.fd;
        pass.ownFd = pass.fd != folder.fd ? pass.fd : -1;
        // A few entries, or no thread to be had: deleted here and now.
        if (size < kFewestHandedOff || pass.fd < 0 ||
            !runs.offer([this, &folder, &names, &pass, run, runEnd, path] {
                deleteEntries(folder, path, names, run, runEnd, pass);
                pass.closeOwnFd();
            })) {
            pass.closeOwnFd();
            pass.fd = folder.fd;
            deleteEntries(folder, path, names, run, runEnd, pass);
        }
        run = runEnd;
    }
}

bool SafeDeleter::EntryRuns::offer(std::function<void()> job) {
    std::shared_ptr<HandOff::Ticket> ticket = handOff.offer(std::move(job));
    if (!ticket) {
        return false;
    }
    tickets.push_back(std::move(ticket));
    return true;
}

int SafeDeleter::EntryRuns::waitAndCollect(std::vector<ListedEntry>& subfolders) {
    std::exception_ptr thrown;
    for (const std::shared_ptr<HandOff::Ticket>& ticket : tickets) {
        try {
            handOff.wait(*ticket);
        } catch (...) {
            thrown = thrown ? thrown : std::current_exception();
        }
    }
    tickets.clear();
    if (thrown) {
        std::rethrow_exception(thrown);
    }
    int failure = 0;
    for (EntryPass& pass : passes) {
        failure = pass.failure != 0 ? pass.failure : failure;
        subfolders.insert(subfolders.end(), pass.subfolders.begin(), pass.subfolders.end());
        pass.subfolders.clear();
    }
    return failure;
}

SafeDeleter::EntryRuns::~EntryRuns() {
    for (const std::shared_ptr<HandOff::Ticket>& ticket : tickets) {
        try {
            handOff.wait(*ticket);
        } catch (...) { // the walk already ends in an exception of its own
        }
    }
}

int SafeDeleter::cleanSubfolders(FolderState& folder, const std::string& names,
                                 const std::vector<ListedEntry>& subfolders, std::string& path, Level level) {
    // Every subfolder is worked on, whatever happened in the ones before it; the last
    // failure in their order is the one returned. The subfolders of the folder a clean
    // starts from are independent of each other: workers take them one by one.
    std::vector<int> results(subfolders.size(), 0);
    std::atomic<std::size_t> next{0};
    // A subfolder is taken by whichever thread is free: more threads join wherever there
    // are cores left, at any depth.
    const unsigned helpers = subfolders.size() > 1 ? workers_->take(subfolders.size() - 1) : 0;
    RunOnWorkers(1 + helpers, [&](unsigned) {
        std::string workPath = path;
        const std::size_t pathLength = workPath.size();
        for (std::size_t i = next++; i < subfolders.size(); i = next++) {
            const char* name = names.data() + subfolders[i].nameOffset;
            workPath.append("/").append(name);
            const Level below{level.removeSubfolders, level.depth + 1, level.counted && name[0] != '.',
                              helpers > 0};
            results[i] = cleanSubfolder(folder, name, subfolders[i].inode, workPath, below);
            workPath.resize(pathLength);
        }
        // Out of subfolders: the place goes to whoever can use it (the thread that
        // started them waits for the others, and takes one back after).
        workers_->release();
    });
    workers_->rejoin();
    int failure = 0;
    for (const int result : results) {
        if (result != 0) {
            failure = result;
        }
    }
    return failure;
}

int SafeDeleter::cleanSubfolder(FolderState& parent, const char* name, ino_t inode, std::string& path,
                                Level level) {
    if (mounts_->IsMountPoint(path)) {
        return fail(path, "", EXDEV); // another file system: passed by without being opened
    }
    FolderState child;
    int result = enterSubfolder(parent, name, parent.device, inode, child);
    if (result == ENOENT) {
        return 0;
    }
    if (result == 0 && rules_.onlyOwnedByUser && child.owner != user_) {
        result = EPERM;
    }
    if (result != 0) {
        return fail(path, "", result);
    }
    // What fails below was noted where it failed.
    const bool releaseParent = level.depth > heldLevels_ && !parent.borrowed && !level.sharedParent;
    if (releaseParent) {
        ::close(parent.fd);
        parent.fd = -1;
    }
    result = emptyFolder(child, path, level);
    if (releaseParent) {
        if (const int back = reopenParent(child, parent); back != 0) {
            return fail(path, "..", back);
        }
    }
    if (result == 0 && level.removeSubfolders) {
        if (inUse_.Contains(child.device, child.inode)) {
            return fail(path, "", EBUSY); // a working directory, a root or an open folder of a process
        }
        result = unlinkWithRetry(parent, parent.fd, name, AT_REMOVEDIR);
        child.removed = result == 0;
        if (result != 0) {
            fail(path, "", result);
        }
    }
    return result;
}

int SafeDeleter::fail(const std::string& path, const char* name, int error) {
    if (failureCount_++ < kMaxFailuresKept) {
        std::string full = path;
        if (name[0] != '\0') {
            full.append("/").append(name);
        }
        const std::lock_guard<std::mutex> lock(failuresMutex_);
        failures_.push_back(DeletionFailure{std::move(full), error});
    }
    return error;
}

std::vector<DeletionFailure> SafeDeleter::Failures() const {
    const std::lock_guard<std::mutex> lock(failuresMutex_);
    return failures_;
}

int SafeDeleter::clean(const SafeFolder& folder, bool removeSubfolders) {
    found_ = 0;
    deleted_ = 0;
    failureCount_ = 0;
    failures_.clear();
    if (!folder.isOpen()) {
        return -1;
    }
    FolderState root;
    static_cast<FolderDescription&>(root) = folder.description();
    root.fd = folder.fd();
    root.borrowed = true;
    if (!folder.Rewind()) {
        return fail(folder.path(), "", errno);
    }
    listingMatchesStat_ = listingMatchesStat(root.fd);
    heldLevels_ = heldLevels();
    if (mounts_ == nullptr) {
        ownMounts_ = std::make_unique<MountWatch>();
        mounts_ = ownMounts_.get();
    }
    rootPathLength_ = folder.path().size();
    std::string path = folder.path();
    if (workers_ == nullptr) {
        ownWorkers_ = std::make_unique<WorkerBudget>();
        workers_ = ownWorkers_.get();
    }
    HandOff handOff(*workers_);
    handOff_ = &handOff;
    const int result = emptyFolder(root, path, Level{removeSubfolders, 0, true, false});
    handOff_ = nullptr;
    return result;
}

int SafeDeleter::DeleteBelow(const SafeFolder& folder, bool keepFolders) {
    return clean(folder, !keepFolders);
}

int SafeDeleter::DeleteFilesBelow(const SafeFolder& folder, const FileSelection& selectFile) {
    selectFile_ = &selectFile;
    const int result = clean(folder, false);
    selectFile_ = nullptr;
    return result;
}

} // namespace tidorax
