// Helpers for the cleaning engine's tests: a record of every entry of a tree, children
// that hold a file open or mapped, and work done as an unprivileged user in a child.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <sys/types.h>

namespace tidorax::test {

// Every entry below root (never following links), by relative path, with a short
// description: "d" folder, "l->target" link, "f:contents" file, "s" socket, "p" FIFO.
std::map<std::string, std::string> treeEntries(const std::string& root);

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
    int release_ = -1;
    bool holding_ = false;
};

inline constexpr uid_t kNobody = 65534;

// Runs work in a forked child as uid and gid 65534 and returns its result (0..125), or
// -1 when the child could not drop its rights or died.
int runAsNobody(const std::function<int()>& work);

// Makes root and everything below it owned by uid:gid.
void chownTree(const std::string& root, uid_t uid, gid_t gid);

// Creates a Unix socket file at path; false when that is not possible.
bool makeSocketFile(const std::string& path);

} // namespace tidorax::test
