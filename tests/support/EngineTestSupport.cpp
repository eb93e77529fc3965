#include "tests/support/EngineTestSupport.h"

#include "core/settings/RegistryAccess.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <sys/mman.h>
#include <unistd.h>

namespace tidorax::test {

namespace fs = std::filesystem;

SafeFolder openFolder(const std::string& folder) {
    static const ProtectedIdentities rootOnly(std::vector<ProtectedFolder>{{"/", "the root"}});
    return SafeFolder::Open(folder, rootOnly);
}

int deleteTree(const std::string& folder, SafeDeleter::Rules rules) {
    const InUseSnapshot inUse = InUseSnapshot::Take();
    return SafeDeleter(inUse, rules).DeleteBelow(openFolder(folder));
}

Tree treeEntries(const std::string& root) {
    static const std::map<fs::file_type, std::string> kinds = {
        {fs::file_type::directory, "d"}, {fs::file_type::socket, "s"}, {fs::file_type::fifo, "p"}};
    Tree entries;
    const std::size_t prefix = root.size() + (root.ends_with('/') ? 0 : 1);
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const std::string path = it->path().string();
        std::string& entry = entries[path.substr(prefix)];
        std::error_code entryError; // a failure here must not end the walk
        const fs::file_type type = it->symlink_status(entryError).type();
        if (type == fs::file_type::symlink) {
            entry = "l->" + fs::read_symlink(path, entryError).string();
        } else if (const auto kind = kinds.find(type); kind != kinds.end()) {
            entry = kind->second;
        } else {
            entry = "f:" + readFile(path);
        }
    }
    return entries;
}

FileList sorted(FileList list) {
    std::sort(list.begin(), list.end());
    return list;
}

FileList below(const std::string& folder, FileList names) {
    for (std::string& name : names) {
        name = folder + (folder.ends_with('/') ? "" : "/") + name;
    }
    return sorted(std::move(names));
}

HeldFile::HeldFile(const std::string& path, Hold hold) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (fd_ >= 0 && hold == Hold::MappedOnly) {
        map_ = ::mmap(nullptr, 1, PROT_READ, MAP_SHARED, fd_, 0);
        ::close(fd_);
        fd_ = -1;
    }
}

HeldFile::~HeldFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    if (map_ != MAP_FAILED) {
        ::munmap(map_, 1);
    }
}

bool setShellFolder(const std::string& name, const std::string& folder) {
    return RegistryAccess::SetRegValue(
               "HKCU", "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", name,
               "S", folder) == 0;
}

bool setCookiesFolder(const std::string& folder) {
    return setShellFolder("Cookies", folder);
}

} // namespace tidorax::test
