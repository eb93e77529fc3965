// One tidorax-reg command line: the verb, its key (and file) and its options, and the
// reading of the key names, types and data it gives.
#pragma once

#include "core/settings/RegKey.h"

#include <optional>
#include <string>
#include <vector>

namespace tidorax {

struct RegCommand {
    // A key named on the command line: its root and the path below it.
    struct Key {
        HKEY root = 0;
        std::string rootName; // the long form, HKEY_CURRENT_USER, ...
        std::string path;

        std::string full() const { return path.empty() ? rootName : rootName + "\\" + path; }
        Key child(const std::string& name) const {
            return Key{root, rootName, path.empty() ? name : path + "\\" + name};
        }
    };

    // Parses the whole command line (without the program name); nullopt for anything
    // the verb does not take. A command with help set needs nothing more.
    static std::optional<RegCommand> parse(const std::vector<std::string>& args);
    // ROOT\SubKey\..., ROOT short or long and in any case; nullopt for anything else.
    static std::optional<Key> parseKey(const std::string& text);

    // The value asked for: the /v name, or "" for the unnamed one.
    std::string targetName() const { return valueName.value_or(""); }
    // What add writes: the target name, the /t type (REG_SZ by default) and the bytes /d
    // gives for it (text with its zero byte, a little-endian number, or /hex digits).
    // nullopt, with the message in error, when the type or the data is invalid.
    std::optional<RegKey::Value> valueToAdd(std::string& error) const;

    std::string verb; // upper case: QUERY, ADD, DELETE or EXPORT
    std::vector<std::string> positional;
    std::optional<std::string> valueName;
    bool defaultValue = false;
    bool allValues = false;
    bool recursive = false;
    bool force = false;
    bool hexData = false;
    bool overwriteFile = false;
    bool help = false;
    std::optional<std::string> type;
    std::optional<std::string> data;
};

} // namespace tidorax
