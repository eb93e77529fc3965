// Runs a program of the project in a child process with an environment of the
// test's choosing and collects what it printed.
#pragma once

#include "tests/support/TempDir.h"

#include <QProcess>

#include <cstdlib>
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
inline ProcessResult runProcess(const std::vector<std::string>& argv,
                                const std::map<std::string, std::string>& env) {
    QProcessEnvironment environment;
    for (const auto& [name, value] : env) {
        environment.insert(QString::fromStdString(name), QString::fromStdString(value));
    }
    QStringList arguments;
    for (auto arg = argv.begin() + 1; arg != argv.end(); ++arg) {
        arguments << QString::fromStdString(*arg);
    }
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QString::fromStdString(argv[0]), arguments);
    if (!process.waitForFinished(-1)) {
        return {-1, "", "cannot start " + argv[0]};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
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
