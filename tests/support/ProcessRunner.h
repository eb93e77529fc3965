// Runs a program of the project in a child process with an environment of the
// test's choosing and collects what it printed.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace tidorax::test {

struct ProcessResult {
    int exitCode = -1; // -1 when the child did not exit normally
    std::string out;
    std::string err;
};

// Runs argv[0] with the given arguments and exactly the given environment, with
// nothing on standard input.
ProcessResult runProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env);

// An environment whose HOME, XDG folders, TMPDIR and Temp all lie below root
// (created), with PATH kept and no display.
std::map<std::string, std::string> sandboxEnvironment(const std::string& root);

} // namespace tidorax::test
