// Helpers for the cleaning engine's tests: a record of every entry of a tree, sorted
// path lists, a file held open or mapped, and work done in a forked child (as an
// unprivileged user, or inside its own mount namespace).
#pragma once

#include "core/cleaning/FileWalk.h"

#include <functional>
#include <map>
#include <string>
#include <sys/mman.h>
#include <sys/types.h>

namespace tidorax::test {

using Tree = std::map<std::string, std::string>;

// Every entry below root (never following links), by relative path, with a short
// description: "d" folder, "l->target" link, "f:contents" file, "s" socket, "p" FIFO.
Tree treeEntries(const std::string& root);

FileList sorted(FileList list);
// Each name joined to folder with one "/", sorted: what a walk of folder lists.
FileList below(const std::string& folder, FileList names);

// Holds a file open, or only mapped (its descriptor closed), until the object goes
// away. The in-use snapshot looks at every process, this one too.
class HeldFile {
public:
    enum class Hold { Open, MappedOnly };
    HeldFile(const std::string& path, Hold hold);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool holding() const { return fd_ >= 0 || map_ != MAP_FAILED; }

private:
    int fd_ = -1;
    void* map_ = MAP_FAILED;
};

inline constexpr uid_t kNobody = 65534;
// What a child's work returns when the system refused what the test needs.
inline constexpr int kChildSkipped = 77;

// Runs work in a forked child, as uid and gid 65534 when asNobody. Returns what the
// work returned (0..125), 126 when the child could not drop its rights, -1 when it died.
int runInChild(const std::function<int()>& work, bool asNobody = false);

// For a child: enters a private mount namespace and mounts a tmpfs at tmpfsAt and
// bindSource at bindAt. False when the kernel refuses any step.
bool mountTmpfsAndBind(const std::string& tmpfsAt, const std::string& bindSource, const std::string& bindAt);

// Makes root and everything below it owned by uid:gid.
void chownTree(const std::string& root, uid_t uid, gid_t gid);

// Names folder as the Cookies folder in the hive; false when that fails.
bool setCookiesFolder(const std::string& folder);

} // namespace tidorax::test
