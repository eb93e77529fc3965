// Helpers for the cleaning engine's tests: a record of every entry of a tree, sorted
// path lists, children that hold a file open or mapped, and work done in a forked child
// (as an unprivileged user, or inside its own mount namespace).
#pragma once

#include "core/cleaning/WorkingLists.h"

#include <functional>
#include <map>
#include <string>
#include <sys/types.h>

namespace tidorax::test {

using Tree = std::map<std::string, std::string>;

// Every entry below root (never following links), by relative path, with a short
// description: "d" folder, "l->target" link, "f:contents" file, "s" socket, "p" FIFO.
Tree treeEntries(const std::string& root);

FileList sorted(FileList list);
// Each name joined to folder with one "/", sorted: what a walk of folder lists.
FileList below(const std::string& folder, FileList names);

// A child process that holds a file open (or only mapped, its descriptor closed) until
// the object goes away.
class ChildHoldingFile {
public:
    enum class Hold { Open, MappedOnly };
    ChildHoldingFile(const std::string& path, Hold hold);
    ~ChildHoldingFile();
    ChildHoldingFile(const ChildHoldingFile&) = delete;
    ChildHoldingFile& operator=(const ChildHoldingFile&) = delete;
    bool holding() const { return holding_; }

private:
    pid_t pid_ = -1;
    bool holding_ = false;
};

inline constexpr uid_t kNobody = 65534;
// What a child's work returns when the system refused what the test needs.
inline constexpr int kChildSkipped = 77;

struct ChildOutcome {
    int code = -1; // the work's result, 126 when the child could not drop its rights, -1 when it died
    FileList list; // what the work put into its list
};

// Runs work in a forked child, as uid and gid 65534 when asNobody; the work returns
// 0..125 and may fill a list that comes back to the test.
ChildOutcome runInChild(const std::function<int(FileList&)>& work, bool asNobody = false);

// For a child: enters a private mount namespace and mounts a tmpfs at tmpfsAt and
// bindSource at bindAt. False when the kernel refuses any step.
bool mountTmpfsAndBind(const std::string& tmpfsAt, const std::string& bindSource, const std::string& bindAt);

// Makes root and everything below it owned by uid:gid.
void chownTree(const std::string& root, uid_t uid, gid_t gid);

// Names folder as the Cookies folder in the hive; false when that fails.
bool setCookiesFolder(const std::string& folder);

// Creates a Unix socket file at path; false when that is not possible.
bool makeSocketFile(const std::string& path);

} // namespace tidorax::test
