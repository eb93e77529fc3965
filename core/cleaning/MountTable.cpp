#include "core/cleaning/MountTable.h"

#include "core/cleaning/ProcText.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace tidorax {

namespace {

// Mount points are written with blank, tab, newline and backslash as "\" and three
// octal digits.
std::string unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned int code = 0;
        if (text[i] == '\\' && i + 3 < text.size() && proc::ParseNumber(text.substr(i + 1, 3), 8, code)) {
            out.push_back(static_cast<char>(code));
            i += 3;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

} // namespace

MountTable MountTable::Read() {
    return Parse(proc::ReadText(AT_FDCWD, "/proc/self/mountinfo"));
}

// A line reads "id parent major:minor root mountpoint options [optional fields] - type
// source super-options".
MountTable MountTable::Parse(std::string_view mountinfoText) {
    MountTable table;
    std::size_t start = 0;
    while (start < mountinfoText.size()) {
        std::size_t end = mountinfoText.find('\n', start);
        if (end == std::string_view::npos) {
            end = mountinfoText.size();
        }
        const std::string_view line = mountinfoText.substr(start, end - start);
        start = end + 1;
        std::size_t pos = 0;
        const std::string_view id = proc::NextWord(line, pos);
        proc::NextWord(line, pos); // parent
        const std::string_view device = proc::NextWord(line, pos);
        proc::NextWord(line, pos); // root of the mount within its file system
        const std::string_view point = proc::NextWord(line, pos);
        const std::size_t colon = device.find(':');
        std::uint64_t mountId = 0;
        unsigned int major = 0;
        unsigned int minor = 0;
        if (colon == std::string_view::npos || point.empty() || !proc::ParseNumber(id, 10, mountId) ||
            !proc::ParseNumber(device.substr(0, colon), 10, major) ||
            !proc::ParseNumber(device.substr(colon + 1), 10, minor)) {
            continue;
        }
        table.devices_[mountId] = makedev(major, minor);
        table.mountPoints_.insert(unescape(point));
        // The file system type is the word after the lone "-" that ends the optional fields.
        std::string_view word = proc::NextWord(line, pos);
        while (!word.empty() && word != "-") {
            word = proc::NextWord(line, pos);
        }
        table.mounts_.push_back({unescape(point), std::string(proc::NextWord(line, pos))});
    }
    return table;
}

std::optional<dev_t> MountTable::DeviceOf(std::uint64_t mountId) const {
    const auto it = devices_.find(mountId);
    if (it == devices_.end()) {
        return std::nullopt;
    }
    return it->second;
}

void MountTable::Merge(const MountTable& other) {
    devices_.insert(other.devices_.begin(), other.devices_.end());
}

bool MountTable::IsMountPoint(const std::string& Path) const {
    return mountPoints_.count(Path) != 0;
}

} // namespace tidorax
