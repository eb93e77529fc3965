#include "tools/reg/RegCommand.h"

#include "platform/AsciiCase.h"
#include "platform/RegistryRoots.h"
#include "tools/reg/RegText.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <utility>

namespace tidorax {

namespace {

struct TypeName {
    const char* name;
    DWORD type;
};

// The types a value can be added with.
constexpr std::array<TypeName, 5> kAddTypes{{
    {"REG_SZ", REG_SZ},
    {"REG_EXPAND_SZ", REG_EXPAND_SZ},
    {"REG_DWORD", REG_DWORD},
    {"REG_BINARY", REG_BINARY},
    {"REG_NONE", REG_NONE},
}};

std::optional<DWORD> parseAddType(const std::string& text) {
    const std::string wanted = upperAscii(text);
    for (const TypeName& candidate : kAddTypes) {
        if (wanted == candidate.name) {
            return candidate.type;
        }
    }
    return std::nullopt;
}

// Pairs of hex digits, optionally separated by commas or blanks.
std::optional<std::string> parseHexBytes(const std::string& text) {
    std::string digits;
    for (const char c : text) {
        if (c == ',' || c == ' ') {
            continue;
        }
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
        digits.push_back(c);
    }
    if (digits.size() % 2 != 0) {
        return std::nullopt;
    }
    std::string bytes;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        bytes.push_back(static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

// A 32-bit number: decimal (negative numbers wrap as a signed DWORD does) or 0x hex.
std::optional<DWORD> parseDword(const std::string& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : (text[0] == '-' ? text.substr(1) : text);
    if (digits.empty() || digits.size() > 10) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : digits) {
        if (hex ? !std::isxdigit(static_cast<unsigned char>(c))
                : !std::isdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
        const int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
    }
    if (!hex && text[0] == '-') {
        if (value > 0x80000000ull) {
            return std::nullopt;
        }
        return static_cast<DWORD>(0x100000000ull - value);
    }
    if (value > 0xFFFFFFFFull) {
        return std::nullopt;
    }
    return static_cast<DWORD>(value);
}

// The options followed by a word, and those that only switch something on.
const std::array<std::pair<const char*, std::optional<std::string> RegCommand::*>, 3> kWordOptions{{
    {"/V", &RegCommand::valueName},
    {"/T", &RegCommand::type},
    {"/D", &RegCommand::data},
}};
const std::array<std::pair<const char*, bool RegCommand::*>, 7> kSwitches{{
    {"/VE", &RegCommand::defaultValue},
    {"/VA", &RegCommand::allValues},
    {"/S", &RegCommand::recursive},
    {"/F", &RegCommand::force},
    {"/HEX", &RegCommand::hexData},
    {"/Y", &RegCommand::overwriteFile},
    {"/?", &RegCommand::help},
}};

// The options each verb takes.
struct VerbOptions {
    const char* verb;
    const char* options;
};
constexpr std::array<VerbOptions, 4> kVerbOptions{{
    {"QUERY", "/V /VE /S /?"},
    {"ADD", "/V /VE /T /D /HEX /F /?"},
    {"DELETE", "/V /VE /VA /F /?"},
    {"EXPORT", "/Y /?"},
}};

bool verbTakes(const std::string& verb, const std::string& option) {
    for (const VerbOptions& entry : kVerbOptions) {
        if (verb == entry.verb) {
            return (" " + std::string(entry.options) + " ").find(" " + option + " ") != std::string::npos;
        }
    }
    return false;
}

// An argument as an option would be spelt: upper case, with "-" read as "/".
std::string optionSpelling(const std::string& arg) {
    std::string option = upperAscii(arg);
    if (option.size() > 1 && option[0] == '-') {
        option[0] = '/';
    }
    return option;
}

// A word that can only be meant as an option: "/" and a name, with no further "/"
// and no "." (a file name may start with "/" as well).
bool looksLikeOption(const std::string& option) {
    return option.size() > 1 && option[0] == '/' && option.find('/', 1) == std::string::npos &&
           option.find('.') == std::string::npos;
}

// Sets what option stands for, taking the word after it from args when it needs one;
// false when that word is missing.
bool applyOption(RegCommand& command, const std::string& option, const std::vector<std::string>& args,
                 std::size_t& index) {
    for (const auto& [name, word] : kWordOptions) {
        if (option == name) {
            if (index + 1 >= args.size()) {
                return false;
            }
            command.*word = args[++index];
        }
    }
    for (const auto& [name, flag] : kSwitches) {
        if (option == name) {
            command.*flag = true;
        }
    }
    return true;
}

// Reads the arguments after the verb into options and positional words; false for an
// option the verb does not take, one given twice or one without its word.
bool readArguments(RegCommand& command, const std::vector<std::string>& args) {
    std::vector<std::string> seen;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string option = optionSpelling(args[i]);
        if (option.empty() || option[0] != '/' || !verbTakes(command.verb, option)) {
            // Not an option of this verb: a key or file name.
            if (looksLikeOption(option)) {
                return false;
            }
            command.positional.push_back(args[i]);
            continue;
        }
        if (std::find(seen.begin(), seen.end(), option) != seen.end()) {
            return false;
        }
        seen.push_back(option);
        if (!applyOption(command, option, args, i)) {
            return false;
        }
    }
    return true;
}

// At most one of /v, /ve and /va, none of them with /s, and a key with nothing after
// it but, for EXPORT, a file.
bool hasTargetsItCanTake(const RegCommand& command) {
    const int targets =
        (command.valueName ? 1 : 0) + (command.defaultValue ? 1 : 0) + (command.allValues ? 1 : 0);
    const std::size_t maxPositional = command.verb == "EXPORT" ? 2 : 1;
    return targets <= 1 && !command.positional.empty() && command.positional.size() <= maxPositional &&
           !(command.recursive && targets > 0);
}

} // namespace

std::optional<RegCommand::Key> RegCommand::parseKey(const std::string& text) {
    const auto slash = text.find('\\');
    const std::string rootName = text.substr(0, slash);
    std::string path = slash == std::string::npos ? std::string() : text.substr(slash + 1);
    while (!path.empty() && path.back() == '\\') {
        path.pop_back();
    }
    if (path.find("\\\\") != std::string::npos || (!path.empty() && path.front() == '\\')) {
        return std::nullopt;
    }
    auto root = rootByShortName(rootName);
    if (!root) {
        root = rootByLongName(rootName);
    }
    if (!root) {
        return std::nullopt;
    }
    return Key{root->handle, root->longName, path};
}

std::optional<RegCommand> RegCommand::parse(const std::vector<std::string>& args) {
    if (args.empty()) {
        return std::nullopt;
    }
    RegCommand command;
    command.verb = upperAscii(args[0]);
    if (command.verb == "/?" || command.verb == "-?" || command.verb == "--HELP" || command.verb == "-H") {
        command.help = true;
        return command;
    }
    // Every verb takes /?: a verb that does not is unknown.
    if (!verbTakes(command.verb, "/?") || !readArguments(command, args)) {
        return std::nullopt;
    }
    if (command.help || hasTargetsItCanTake(command)) {
        return command;
    }
    return std::nullopt;
}

std::optional<RegKey::Value> RegCommand::valueToAdd(std::string& error) const {
    RegKey::Value value{targetName(), REG_SZ, {}};
    if (type) {
        const auto known = parseAddType(*type);
        if (!known) {
            error = "ERROR: Invalid type " + *type +
                    ". Use REG_SZ, REG_EXPAND_SZ, REG_DWORD, REG_BINARY or REG_NONE.\n";
            return std::nullopt;
        }
        value.type = *known;
    }
    const std::string given = data.value_or("");
    if (hexData || value.type == REG_BINARY || value.type == REG_NONE) {
        const auto bytes = parseHexBytes(given);
        if (!bytes) {
            error = "ERROR: Invalid data \"" + given + "\" for " + RegText::typeName(value.type) +
                    ": give the bytes as pairs of hex digits.\n";
            return std::nullopt;
        }
        value.data = *bytes;
    } else if (value.type == REG_DWORD) {
        const auto number = parseDword(given);
        if (!number) {
            error = "ERROR: Invalid data \"" + given +
                    "\" for REG_DWORD: give a 32-bit number, in decimal or as 0x and hex digits.\n";
            return std::nullopt;
        }
        for (int i = 0; i < 4; ++i) {
            value.data.push_back(static_cast<char>((*number >> (8 * i)) & 0xff));
        }
    } else {
        value.data = given + std::string(1, '\0');
    }
    return value;
}

} // namespace tidorax
