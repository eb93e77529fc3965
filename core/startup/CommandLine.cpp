#include "core/startup/CommandLine.h"

#include <vector>

namespace tidorax {

namespace {

bool isSeparator(char c) {
    return c == ' ' || c == '/' || c == '\t' || c == '"';
}

} // namespace

std::optional<std::string> GetLastArgument(const std::string& CommandLine, int MaxArgs) {
    if (MaxArgs < 0) {
        MaxArgs = 0;
    }
    std::vector<std::string> arguments(static_cast<std::size_t>(MaxArgs) + 1);
    int count = 0;
    bool inArgument = false;
    for (const char c : CommandLine) {
        if (isSeparator(c)) {
            inArgument = false;
            continue;
        }
        if (!inArgument) {
            if (count == MaxArgs) {
                break;
            }
            ++count;
            inArgument = true;
        }
        arguments[static_cast<std::size_t>(count)] += c;
    }
    if (count == 0) {
        return std::nullopt;
    }
    return arguments[static_cast<std::size_t>(count)];
}

std::string CommandLineText(int argc, const char* const* argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            text += ' ';
        }
        text += argv[i];
    }
    return text;
}

bool IsViriRererCommandLine(const std::string& CommandLine) {
    const auto last = GetLastArgument(CommandLine);
    return last && (*last == "A" || *last == "a");
}

} // namespace tidorax
