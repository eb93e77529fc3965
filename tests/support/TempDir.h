// A fresh folder under $TMPDIR for one test, removed with everything in it, and
// one-line file helpers.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tidorax::test {

class TempDir {
public:
    TempDir() {
        const char* base = std::getenv("TMPDIR");
        path_ = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/tidorax-test-XXXXXX";
        if (::mkdtemp(path_.data()) == nullptr) {
            throw std::runtime_error("cannot create a temporary folder under " + path_);
        }
    }
    ~TempDir() {
        namespace fs = std::filesystem;
        std::error_code ec;
        // Give back write and search rights a test may have taken away, then remove.
        for (auto it =
                 fs::recursive_directory_iterator(path_, fs::directory_options::skip_permission_denied, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            if (it->is_directory(ec) && !it->is_symlink(ec)) {
                ::chmod(it->path().c_str(), 0700);
            }
        }
        ::chmod(path_.c_str(), 0700);
        fs::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + relative
    std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

private:
    std::string path_;
};

// Creates a folder and its parents.
inline void makeDirs(const std::string& path) {
    std::filesystem::create_directories(path);
}

// Creates the file (and its parent folders) with the given contents.
inline void writeFile(const std::string& path, const std::string& contents = "x") {
    makeDirs(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << contents;
}

// Creates each of the files below folder as writeFile does.
inline void writeFiles(const std::string& folder, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        writeFile(folder + "/" + name);
    }
}

// The file's contents, or "" when it cannot be read.
inline std::string readFile(const std::string& path) {
    std::stringstream ss;
    ss << std::ifstream(path, std::ios::binary).rdbuf();
    return ss.str();
}

inline bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

} // namespace tidorax::test
