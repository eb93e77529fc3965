// Helpers for the cleaning engine's tests: a record of every entry of a tree, sorted
// path lists, a file held open or mapped, the Cookies folder named in the hive, and
// work done in a child process.
#pragma once

#include "core/cleaning/FileWalk.h"
#include "core/cleaning/SafeDeleter.h"

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

// Opens folder as a clean does, with only the root of the file system protected.
SafeFolder openFolder(const std::string& folder);
// Empties folder through a SafeDeleter with its own snapshot of the files in use: its
// result, -1 when the folder could not be opened.
int deleteTree(const std::string& folder, SafeDeleter::Rules rules = {});

// Names folder as the Cookies folder in the hive; false when that fails.
bool setCookiesFolder(const std::string& folder);

constexpr uid_t kNobody = 65534;
// What a child returns when the system refused what the test needs (mounting needs root).
constexpr int kChildSkipped = 77;
enum class Child { AsIs, AsNobody, PrivateMounts };
// Forks a child that runs work: as uid and gid 65534 (exit 126 when it cannot drop its
// rights), or in a private mount namespace (kChildSkipped when the kernel refuses one).
pid_t startChild(const std::function<int()>& work, Child how = Child::AsIs);
// What the child's work returned (0..125), -1 when it died.
int waitChild(pid_t pid);
inline int runInChild(const std::function<int()>& work, Child how = Child::AsIs) {
    return waitChild(startChild(work, how));
}

} // namespace tidorax::test
