// Times the silent run "tidorax A" against "rm -rf" on identical generated trees of
// several shapes, on tmpfs, alternating which goes first, and prints the median of the
// ratios of each round:
//   users/rm: R              1,001 listed user folders of 20 files each
//   clean/rm (tmpfs) 100k: R 100,000 files in 2,000 folders (the Temp clean)
//   1M: R                    1,000,000 files in 20,000 folders
//   skewed: R                100,000 files, 90 % of them below one top folder
//   deep 2000: R             a chain of 2,000 folders of 50 files each (files left: N)
//   fixed-ms over rm (10k): N  what the clean takes beyond rm on 10,000 files
//   ... as a user folder: R  the 100k, skewed and deep trees cleaned as one listed
//                            user folder (no owner rule, so no stat per entry)
// Each shape but 1M and the fixed cost also prints, in brackets, the ratio of a plain
// deleter on two threads (bench_plain_delete) on the same kind of tree in the same
// rounds: what a deleter that shares the work at every depth and makes the same stat
// per entry, with none of the program's other checks, takes.
// Usage: bench_shapes [rounds] [shape ...]; TIDORAX_PROGRAM names another build of
// tidorax to time instead of this one's.
#include "core/plans/CleaningPlans.h"
#include "core/settings/CleaningSettings.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

void makeFiles(int folderFd, int count) {
    for (int file = 0; file < count; ++file) {
        const int fd = ::openat(folderFd, ("file" + std::to_string(file) + ".tmp").c_str(),
                                O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0 || ::write(fd, "generated\n", 10) != 10) {
            std::perror("generating a file");
            std::exit(2);
        }
        ::close(fd);
    }
}

int makeFolder(int parentFd, const std::string& name) {
    if (::mkdirat(parentFd, name.c_str(), 0700) != 0) {
        std::perror(name.c_str());
        std::exit(2);
    }
    return ::openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// folders folders of files files each, below tops top folders (the first taking share
// of the folders).
void makeSpread(const std::string& root, int tops, int folders, int files, double firstShare) {
    const int rootFd = makeFolder(AT_FDCWD, root);
    const int first = std::max(1, static_cast<int>(folders * firstShare));
    for (int top = 0; top < tops; ++top) {
        const int topFd = makeFolder(rootFd, "top" + std::to_string(top));
        const int below = top == 0 ? first : (folders - first) / std::max(1, tops - 1);
        for (int sub = 0; sub < below; ++sub) {
            const int subFd = makeFolder(topFd, "sub" + std::to_string(sub));
            makeFiles(subFd, files);
            ::close(subFd);
        }
        ::close(topFd);
    }
    ::close(rootFd);
}

void makeChain(const std::string& root, int depth, int files) {
    int fd = makeFolder(AT_FDCWD, root);
    for (int level = 0; level < depth; ++level) {
        makeFiles(fd, files);
        const int next = makeFolder(fd, "d");
        ::close(fd);
        fd = next;
    }
    ::close(fd);
}

double run(std::vector<std::string> argv, const std::vector<std::string>& extraEnv = {}) {
    std::vector<std::string> env(extraEnv);
    for (char** variable = environ; *variable != nullptr; ++variable) {
        env.emplace_back(*variable);
    }
    std::vector<char*> args, envp;
    for (std::string& arg : argv) {
        args.push_back(arg.data());
    }
    for (std::string& variable : env) {
        envp.push_back(variable.data());
    }
    args.push_back(nullptr);
    envp.push_back(nullptr);
    const auto start = Clock::now();
    pid_t pid = 0;
    if (::posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), envp.data()) != 0) {
        std::fprintf(stderr, "cannot start %s\n", args[0]);
        std::exit(2);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::size_t filesLeft(const std::string& root) {
    std::string command = "find '" + root + "' -type f | wc -l";
    FILE* out = ::popen(command.c_str(), "r");
    unsigned long count = 0;
    if (out == nullptr || std::fscanf(out, "%lu", &count) != 1) {
        count = 0;
    }
    if (out != nullptr) {
        ::pclose(out);
    }
    return count;
}

std::string program() {
    const char* other = std::getenv("TIDORAX_PROGRAM");
    return other != nullptr && *other != '\0' ? other : TIDORAX_BINARY;
}

struct Shape {
    const char* name;
    bool userFolders; // cleaned as listed user folders, else as the Temp folder
    std::function<std::vector<std::string>(const std::string& base)> make; // the folders to clean
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One round: the program cleans a fresh tree, rm removes an identical one, and so does
// the plain two-thread deleter. Each tree is made just before its tool runs, so that no
// tool meets another's tree in the kernel's caches: with both trees present, the first
// to run looks names up in a dentry cache twice as full, which made the order of the
// tools part of the ratio. The order turns with each round.
struct Round {
    double clean = 0; // seconds
    double remove = 0;
    double plain = 0;
    std::size_t left = 0;      // files the program left
    std::size_t plainLeft = 0; // files the plain deleter left (it stops short where it
                               // may not hold every folder open)
};

Round round(const Shape& shape, const std::string& base, int index, bool withPlain) {
    const std::string cleanBase = base + "/c" + std::to_string(index);
    const std::string removeBase = base + "/r" + std::to_string(index);
    const std::string plainBase = base + "/p" + std::to_string(index);
    Round result;
    const auto runClean = [&] {
        ::mkdir(cleanBase.c_str(), 0700);
        const std::vector<std::string> folders = shape.make(cleanBase);
        std::vector<std::string> environment;
        if (shape.userFolders) {
            tidorax::StoreUserFolders(folders);
            tidorax::StoreFlag(tidorax::CleaningFlag::UserFolder, true);
            tidorax::StoreFlag(tidorax::CleaningFlag::TempFiles, false);
        } else {
            environment.push_back("Temp=" + folders.front());
            tidorax::StoreFlag(tidorax::CleaningFlag::UserFolder, false);
            tidorax::StoreFlag(tidorax::CleaningFlag::TempFiles, true);
        }
        result.clean = run({program(), "A"}, environment);
        result.left = filesLeft(cleanBase);
        run({"rm", "-rf", cleanBase});
    };
    const auto runOther = [&](const std::string& folder, std::vector<std::string> command, double& seconds,
                              std::size_t* left = nullptr) {
        ::mkdir(folder.c_str(), 0700);
        const std::vector<std::string> made = shape.make(folder);
        command.insert(command.end(), made.begin(), made.end());
        seconds = run(command);
        if (left != nullptr) {
            *left = filesLeft(folder);
        }
        run({"rm", "-rf", folder});
    };
    const std::vector<std::string> plain = shape.userFolders
                                               ? std::vector<std::string>{TIDORAX_PLAIN_DELETE, "--no-stat"}
                                               : std::vector<std::string>{TIDORAX_PLAIN_DELETE};
    std::vector<std::function<void()>> tools = {runClean, [&] {
                                                    runOther(removeBase, {"rm", "-rf"}, result.remove);
                                                }};
    if (withPlain) {
        tools.emplace_back([&] { runOther(plainBase, plain, result.plain, &result.plainLeft); });
    }
    for (std::size_t i = 0; i < tools.size(); ++i) {
        tools[(i + index) % tools.size()]();
    }
    return result;
}

std::vector<Shape> shapes() {
    const auto spread = [](int tops, int folders, int files, double firstShare) {
        return [=](const std::string& base) {
            makeSpread(base + "/tree", tops, folders, files, firstShare);
            return std::vector<std::string>{base + "/tree"};
        };
    };
    const auto chain = [](int depth, int files) {
        return [=](const std::string& base) {
            makeChain(base + "/chain", depth, files);
            return std::vector<std::string>{base + "/chain"};
        };
    };
    return {
        {"users/rm", true,
         [](const std::string& base) {
             std::vector<std::string> folders;
             for (int i = 0; i < 1001; ++i) {
                 folders.push_back(base + "/u" + std::to_string(i));
                 const int fd = makeFolder(AT_FDCWD, folders.back());
                 makeFiles(fd, 20);
                 ::close(fd);
             }
             return folders;
         }},
        {"clean/rm (tmpfs) 100k", false, spread(40, 2000, 50, 0.025)},
        {"1M", false, spread(400, 20000, 50, 0.0025)},
        {"skewed", false, spread(40, 2000, 50, 0.9)},
        {"deep 2000", false, chain(2000, 50)},
        {"fixed-ms over rm (10k)", false, spread(10, 100, 100, 0.1)},
        // The same trees as one listed user folder, which has no owner rule: what the
        // owner rule's stat per entry costs in the Temp clean.
        {"100k as a user folder", true, spread(40, 2000, 50, 0.025)},
        {"skewed as a user folder", true, spread(40, 2000, 50, 0.9)},
        {"deep 2000 as a user folder", true, chain(2000, 50)},
    };
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    // Both tools run under the descriptor limit most desktops give a program (1,024),
    // not under whatever larger one this machine may have: a walk that needs more shows
    // as files left.
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur > 1024) {
        limit.rlim_cur = 1024;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
    std::vector<std::string> wanted(argv + std::min(argc, 2), argv + argc);
    const char* tmp = std::getenv("TMPDIR");
    std::string base = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/tidorax-shapes-XXXXXX";
    if (::mkdtemp(base.data()) == nullptr) {
        std::perror("mkdtemp");
        return 2;
    }
    for (const char* name :
         {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"}) {
        const std::string folder = base + "/" + name;
        ::mkdir(folder.c_str(), 0700);
        ::setenv(name, folder.c_str(), 1);
    }
    // tmpfs: a mount of its own as root, else /dev/shm.
    std::string trees = base + "/tmpfs";
    ::mkdir(trees.c_str(), 0700);
    const bool mounted =
        ::geteuid() == 0 && ::mount("tidorax-bench", trees.c_str(), "tmpfs", 0, "mode=0700") == 0;
    if (!mounted) {
        trees = "/dev/shm/tidorax-shapes-XXXXXX";
        if (::mkdtemp(trees.data()) == nullptr) {
            std::perror("mkdtemp in /dev/shm");
            return 2;
        }
    }
    for (const Shape& shape : shapes()) {
        if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), shape.name) == wanted.end()) {
            continue;
        }
        const std::string name = shape.name;
        const bool fixedCost = name.rfind("fixed-ms", 0) == 0;
        // The plain deleter holds every folder open: the 1M tree's 20,400 may be more
        // than it can.
        const bool withPlain = name != "1M" && !fixedCost;
        const int times = name == "1M" ? 1 : rounds;
        std::vector<double> ratios, extras, plains;
        std::size_t left = 0;
        std::size_t plainLeft = 0;
        for (int index = 0; index < times; ++index) {
            const Round result = round(shape, trees, index, withPlain);
            ratios.push_back(result.clean / result.remove);
            plains.push_back(result.plain / result.remove);
            extras.push_back((result.clean - result.remove) * 1000);
            left = result.left;
            plainLeft = std::max(plainLeft, result.plainLeft);
        }
        char plainText[80] = "";
        if (withPlain && plainLeft != 0) {
            std::snprintf(plainText, sizeof plainText, " (plain two-thread deleter: %zu files left)",
                          plainLeft);
        } else if (withPlain) {
            std::snprintf(plainText, sizeof plainText, " (plain two-thread deleter %s the owner stat: %.2f)",
                          shape.userFolders ? "without" : "with", median(plains));
        }
        if (fixedCost) {
            std::printf("%s: %.0f (clean/rm %.2f)\n", name.c_str(), median(extras), median(ratios));
        } else {
            const bool tellLeft = left != 0 || name.rfind("deep", 0) == 0;
            std::printf("%s: %.2f%s%s\n", name.c_str(), median(ratios),
                        tellLeft ? (" (files left: " + std::to_string(left) + ")").c_str() : "", plainText);
        }
        std::fflush(stdout);
    }
    if (mounted) {
        ::umount(trees.c_str());
    }
    run({"rm", "-rf", trees, base});
    return 0;
}
