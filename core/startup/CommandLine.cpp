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

bool IsHelpRequest(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h" || argument == "-?" || argument == "/?") {
            return true;
        }
    }
    return false;
}

bool IsVersionRequest(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--version") {
            return true;
        }
    }
    return false;
}

std::string VersionText() {
    return "tidorax " TIDORAX_VERSION "\n";
}

std::string UsageText(const std::string& HelpPath) {
    return "Usage: tidorax [A | --help | --version]\n"
           "  tidorax     puts its icon in the system tray; the icon's menu cleans, cleans and\n"
           "              shuts down, opens the options, the help and the About window, and ends\n"
           "  tidorax A   cleans now what the settings select, with no window, and ends\n"
           "  tidorax --help      prints this usage;  tidorax --version  prints the version\n"
           "Settings: $XDG_CONFIG_HOME/tidorax/registry.sqlite3 (~/.config/tidorax/ when the\n"
           "  variable is unset); read and change them with tidorax-reg.\n"
           "Manual: " +
           (HelpPath.empty() ? std::string("not found") : HelpPath) + "\n";
}

} // namespace tidorax
