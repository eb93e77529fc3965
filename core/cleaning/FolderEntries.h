// A folder's entries read straight from an open descriptor (getdents64), each with its
// name, inode and type as the listing gives them.
#pragma once

#include <cerrno>
#include <dirent.h>
#include <sys/types.h>
#include <vector>

namespace tidorax {

// Calls onEntry(const dirent64&) for every entry of the open folder fd but "." and
// "..", reading through buffer. Returns 0 once the folder is read to its end, else the
// error of the read that failed (the entries before it were given).
template <typename OnEntry> int ForEachFolderEntry(int fd, std::vector<char>& buffer, OnEntry onEntry) {
    for (;;) {
        const ssize_t got = ::getdents64(fd, buffer.data(), buffer.size());
        if (got <= 0) {
            return got == 0 ? 0 : errno;
        }
        for (ssize_t pos = 0; pos < got;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer.data() + pos);
            pos += entry->d_reclen;
            const char* name = entry->d_name;
            if (name[0] != '.' || (name[1] != '\0' && (name[1] != '.' || name[2] != '\0'))) {
                onEntry(*entry);
            }
        }
    }
}

} // namespace tidorax
