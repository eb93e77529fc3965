// Runs a program of the project in a child process with an environment of the
// test's choosing and collects what it printed.
#pragma once

#include "tests/support/TempDir.h"

#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace tidorax::test {

struct ProcessResult {
    int exitCode = -1; // -1 when the child did not exit normally
    std::string out;
    std::string err;
};

// Runs argv[0] with the given arguments and exactly the given environment, with
// nothing on standard input.
inline ProcessResult runProcess(const std::vector<std::string>& argv,
                                const std::map<std::string, std::string>& env) {
    // What the child prints goes to files, read once it has ended.
    const TempDir dir;
    const std::string out = dir / "out", err = dir / "err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> envText;
    for (const auto& [name, value] : env) {
        envText.push_back(name + "=" + value);
    }
    std::vector<char*> args, envp;
    for (const auto& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    for (auto& e : envText) {
        envp.push_back(e.data());
    }
    args.push_back(nullptr);
    envp.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return {-1, "", "cannot start " + argv[0]};
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(out), readFile(err)};
}

// An environment whose HOME, XDG folders, TMPDIR and Temp all lie below root
// (created), with PATH kept and no display.
inline std::map<std::string, std::string> sandboxEnvironment(const std::string& root) {
    const char* path = std::getenv("PATH");
    std::map<std::string, std::string> env{{"PATH", path != nullptr ? path : "/usr/bin:/bin"}};
    for (const auto& [name, folder] : {std::pair{"HOME", "home"},
                                       {"XDG_CONFIG_HOME", "config"},
                                       {"XDG_CACHE_HOME", "cache"},
                                       {"XDG_DATA_HOME", "data"},
                                       {"XDG_RUNTIME_DIR", "runtime"},
                                       {"TMPDIR", "tmp"},
                                       {"Temp", "tmp"}}) {
        makeDirs(env[name] = root + "/" + folder);
    }
    for (const char* sanitizerOption : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"}) {
        if (const char* value = std::getenv(sanitizerOption)) {
            env[sanitizerOption] = value;
        }
    }
    return env;
}

} // namespace tidorax::test
