// A fresh folder under $TMPDIR for one test, removed with everything in it.
#pragma once

#include <string>

namespace tidorax::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + relative
    std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

private:
    std::string path_;
};

// Creates the file (and its parent folders) with the given contents.
void writeFile(const std::string& path, const std::string& contents = "x");
// Creates a folder and its parents.
void makeDirs(const std::string& path);
// The file's contents, or "" when it cannot be read.
std::string readFile(const std::string& path);
bool exists(const std::string& path);

} // namespace tidorax::test
