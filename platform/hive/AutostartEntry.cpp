#include "platform/hive/AutostartEntry.h"

#include "platform/hive/FileAccess.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tidorax {

namespace {

constexpr const char* kDesktopFileName = "Tidora.desktop";
constexpr const char* kRunValueKey = "X-Tidorax-Run-Value";

LONG mapErrno(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_CANTWRITE;
    }
}

// Escapes a text for a string value of a desktop entry.
std::string escapeDesktopString(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case ' ':
            // Blanks at either end would be lost to the reader's trimming.
            out += (i == 0 || i + 1 == text.size()) ? "\\s" : " ";
            break;
        default:
            out.push_back(c);
        }
    }
    return out;
}

std::string unescapeDesktopString(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out.push_back(text[i]);
            continue;
        }
        const char next = text[++i];
        switch (next) {
        case 's':
            out.push_back(' ');
            break;
        case 'n':
            out.push_back('\n');
            break;
        case 't':
            out.push_back('\t');
            break;
        case 'r':
            out.push_back('\r');
            break;
        case '\\':
            out.push_back('\\');
            break;
        default:
            out.push_back('\\');
            out.push_back(next);
        }
    }
    return out;
}

// One argument of an Exec line, quoted when it holds a blank or a reserved
// character, with "%" doubled so that it is not taken for a field code.
std::string quoteExecArgument(const std::string& argument) {
    static const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    const bool quote = argument.empty() || argument.find_first_of(reserved) != std::string::npos;
    std::string out;
    if (quote) {
        out.push_back('"');
    }
    for (const char c : argument) {
        if (c == '%') {
            out += "%%";
        } else if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) {
            out.push_back('\\');
            out.push_back(c);
        } else {
            out.push_back(c);
        }
    }
    if (quote) {
        out.push_back('"');
    }
    return out;
}

// The program of an Exec line (already unescaped as a string): its first argument.
std::string execProgram(const std::string& exec) {
    std::size_t i = exec.find_first_not_of(" \t");
    std::string program;
    if (i == std::string::npos) {
        return program;
    }
    if (exec[i] == '"') {
        for (++i; i < exec.size() && exec[i] != '"'; ++i) {
            if (exec[i] == '\\' && i + 1 < exec.size()) {
                ++i;
            }
            program.push_back(exec[i]);
        }
    } else {
        for (; i < exec.size() && exec[i] != ' ' && exec[i] != '\t'; ++i) {
            program.push_back(exec[i]);
        }
    }
    std::string unpercent;
    for (std::size_t k = 0; k < program.size(); ++k) {
        unpercent.push_back(program[k]);
        if (program[k] == '%' && k + 1 < program.size() && program[k + 1] == '%') {
            ++k;
        }
    }
    return unpercent;
}

// The keys of the [Desktop Entry] group (values unescaped).
std::map<std::string, std::string> parseDesktopEntry(const std::string& contents) {
    std::map<std::string, std::string> keys;
    bool inMainGroup = false;
    std::size_t start = 0;
    while (start <= contents.size()) {
        std::size_t end = contents.find('\n', start);
        if (end == std::string::npos) {
            end = contents.size();
        }
        std::string line = contents.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') {
            continue;
        }
        if (line[first] == '[') {
            inMainGroup = line.substr(first) == "[Desktop Entry]";
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inMainGroup || equals == std::string::npos) {
            continue;
        }
        std::string key = line.substr(first, equals - first);
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) {
            key.pop_back();
        }
        std::string value = line.substr(equals + 1);
        const std::size_t valueStart = value.find_first_not_of(" \t");
        value = valueStart == std::string::npos ? std::string() : value.substr(valueStart);
        keys.emplace(key, unescapeDesktopString(value));
    }
    return keys;
}

} // namespace

AutostartEntry::AutostartEntry(AutostartRedirect redirect) : redirect_(std::move(redirect)) {}

std::string AutostartEntry::path() const {
    return redirect_.folder + "/" + kDesktopFileName;
}

LONG AutostartEntry::read(std::string& data) const {
    std::string contents;
    int error = 0;
    if (!readWholeFile(path(), contents, error)) {
        return error == ENOENT || error == ENOTDIR ? ERROR_FILE_NOT_FOUND : ERROR_CANTREAD;
    }
    const auto keys = parseDesktopEntry(contents);
    if (const auto it = keys.find(kRunValueKey); it != keys.end()) {
        data = it->second;
    } else if (const auto exec = keys.find("Exec");
               exec != keys.end() && !execProgram(exec->second).empty()) {
        data = execProgram(exec->second);
    } else {
        return ERROR_FILE_NOT_FOUND;
    }
    data.push_back('\0');
    return ERROR_SUCCESS;
}

LONG AutostartEntry::write(const std::string& text) const {
    const std::string contents = "[Desktop Entry]\nType=Application\nName=Tidorax\nExec=" +
                                 escapeDesktopString(quoteExecArgument(redirect_.exec)) +
                                 // A removed program is not started: the session checks TryExec first.
                                 "\nTryExec=" + escapeDesktopString(redirect_.exec) +
                                 "\nTerminal=false\nX-GNOME-Autostart-enabled=true\n" + kRunValueKey + "=" +
                                 escapeDesktopString(text) + "\n";
    if (redirect_.folder.empty()) {
        return ERROR_CANTWRITE;
    }
    if (!makeParentFolders(path())) {
        return mapErrno(errno);
    }
    std::string temp = redirect_.folder + "/.Tidora.desktop.XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        return mapErrno(errno);
    }
    const bool written = writeAll(fd, contents) && ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
    const int writeError = errno;
    if (::close(fd) != 0 || !written) {
        ::unlink(temp.c_str());
        return mapErrno(written ? errno : writeError);
    }
    if (::rename(temp.c_str(), path().c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temp.c_str());
        return mapErrno(renameError);
    }
    const int folderFd = ::open(redirect_.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return ERROR_SUCCESS;
}

LONG AutostartEntry::remove() const {
    if (::unlink(path().c_str()) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? ERROR_FILE_NOT_FOUND : mapErrno(errno);
    }
    return ERROR_SUCCESS;
}

} // namespace tidorax
