// The mounts this process sees, read from the text of /proc/self/mountinfo without
// touching any mounted file system: which device each mount id stands for, and where
// the mount points lie. A clean uses it to pass by the mount points below a folder
// without opening them, and the in-use snapshot to name a file held through a mount.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tidorax {

class MountTable {
public:
    // One mount as the table names it: where it lies and its file system type.
    struct Mount {
        std::string point;
        std::string type;
    };

    // The mounts of this process (/proc/self/mountinfo); empty when it cannot be read.
    static MountTable Read();
    // The mounts named by the text of one mountinfo file.
    static MountTable Parse(std::string_view mountinfoText);

    // The device of a mount id; nullopt for a mount this table does not hold.
    std::optional<dev_t> DeviceOf(std::uint64_t mountId) const;
    // True when Path (absolute, no trailing "/") is a mount point.
    bool IsMountPoint(const std::string& Path) const;
    bool Empty() const { return devices_.empty(); }
    // Every mount in the order of the text (a point mounted over shows once per mount).
    const std::vector<Mount>& Mounts() const { return mounts_; }
    // Adds the mounts of other that this table does not hold yet.
    void Merge(const MountTable& other);

private:
    std::unordered_map<std::uint64_t, dev_t> devices_;
    std::unordered_set<std::string> mountPoints_;
    std::vector<Mount> mounts_;
};

} // namespace tidorax
