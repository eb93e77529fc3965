#include "core/cleaning/MountTable.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace tidorax {

namespace {

std::string_view nextField(std::string_view line, std::size_t& pos) {
    while (pos < line.size() && line[pos] == ' ') {
        ++pos;
    }
    const std::size_t start = pos;
    while (pos < line.size() && line[pos] != ' ') {
        ++pos;
    }
    return line.substr(start, pos - start);
}

template <typename Number> bool parseNumber(std::string_view text, int base, Number& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

// Mount points are written with blank, tab, newline and backslash as "\" and three
// octal digits.
std::string unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned int code = 0;
        if (text[i] == '\\' && i + 3 < text.size() && parseNumber(text.substr(i + 1, 3), 8, code)) {
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
    std::string text;
    const int fd = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return Parse(text);
}

// A line reads "id parent major:minor root mountpoint options ...".
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
        const std::string_view id = nextField(line, pos);
        nextField(line, pos); // parent
        const std::string_view device = nextField(line, pos);
        nextField(line, pos); // root of the mount within its file system
        const std::string_view point = nextField(line, pos);
        const std::size_t colon = device.find(':');
        std::uint64_t mountId = 0;
        unsigned int major = 0;
        unsigned int minor = 0;
        if (colon == std::string_view::npos || point.empty() || !parseNumber(id, 10, mountId) ||
            !parseNumber(device.substr(0, colon), 10, major) ||
            !parseNumber(device.substr(colon + 1), 10, minor)) {
            continue;
        }
        table.devices_[mountId] = makedev(major, minor);
        table.mountPoints_.insert(unescape(point));
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
