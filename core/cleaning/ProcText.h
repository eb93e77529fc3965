// Reading the kernel's text files under /proc and /sys: the whole text of a file, its
// lines, blank-separated words and numbers.
#pragma once

#include <cerrno>
#include <charconv>
#include <cstddef>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <unistd.h>

namespace tidorax::proc {

// The whole text of a file below a folder (AT_FDCWD: an absolute name); empty when it
// cannot be read.
// The rest of the text of an open file.
inline std::string ReadRest(int fd) {
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        // A short read does not mean the end: the kernel gives these texts a page or
        // so at a time. Only a read that gives nothing does.
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

inline std::string ReadText(int folderFd, const char* name) {
    const int fd = ::openat(folderFd, name, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    std::string text = ReadRest(fd);
    ::close(fd);
    return text;
}

// The whole of text as a number in the given base.
template <typename Number> bool ParseNumber(std::string_view text, int base, Number& value) {
    if (text.empty()) {
        return false;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size();
}

// The next blank- or tab-separated word of line from position pos on.
inline std::string_view NextWord(std::string_view line, std::size_t& pos) {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) {
        ++pos;
    }
    const std::size_t start = pos;
    while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t') {
        ++pos;
    }
    return line.substr(start, pos - start);
}

// Calls lineFunction for every line of text.
template <typename LineFunction> void ForEachLine(std::string_view text, LineFunction lineFunction) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        lineFunction(text.substr(start, end - start));
        start = end + 1;
    }
}

} // namespace tidorax::proc
