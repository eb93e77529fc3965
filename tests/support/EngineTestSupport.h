// Helpers for the cleaning engine's tests: a record of every entry of a tree, sorted
// path lists, a file held open or mapped, and the Cookies folder named in the hive.
#pragma once

#include "core/cleaning/FileWalk.h"
#include "core/cleaning/SafeDeleter.h"

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

// Names folder as the Cookies folder (or the special folder with that value name under
// "User Shell Folders") in the hive; false when that fails.
bool setCookiesFolder(const std::string& folder);
bool setShellFolder(const std::string& name, const std::string& folder);

} // namespace tidorax::test
