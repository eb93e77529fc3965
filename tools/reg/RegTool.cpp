#include "tools/reg/RegTool.h"

#include "core/settings/RegKey.h"
#include "platform/AsciiCase.h"
#include "tools/reg/RegCommand.h"
#include "tools/reg/RegText.h"

#include <fstream>
#include <istream>
#include <optional>
#include <ostream>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace tidorax {

namespace {

using Command = RegCommand;
using KeyName = RegCommand::Key;
using Value = RegKey::Value;
using namespace RegText;

// Everything a key lists by index, up to ERROR_NO_MORE_ITEMS.
template <typename Item, typename ReadAt> LONG readAll(ReadAt readAt, std::vector<Item>& items) {
    items.clear();
    Item item;
    for (DWORD index = 0;; ++index) {
        const LONG result = readAt(index, item);
        if (result == ERROR_NO_MORE_ITEMS) {
            return ERROR_SUCCESS;
        }
        if (result != ERROR_SUCCESS) {
            return result;
        }
        items.push_back(std::move(item));
    }
}

LONG readValues(const RegKey& key, std::vector<Value>& values) {
    return readAll([&key](DWORD index, Value& value) { return key.valueAt(index, value); }, values);
}

LONG readSubKeys(const RegKey& key, std::vector<std::string>& names) {
    return readAll([&key](DWORD index, std::string& name) { return key.subKeyAt(index, name); }, names);
}

// The values and the subkey names of a key.
LONG readKey(const RegKey& key, std::vector<Value>& values, std::vector<std::string>& subKeys) {
    if (const LONG result = readValues(key, values)) {
        return result;
    }
    return readSubKeys(key, subKeys);
}

class RegTool {
public:
    RegTool(std::ostream& out, std::ostream& err, std::istream& in)
        : hive_(platform().registry()), out_(out), err_(err), in_(in) {}

    int run(const std::vector<std::string>& args) {
        const auto command = RegCommand::parse(args);
        if (!command) {
            err_ << "ERROR: Invalid syntax.\n" << kUsage;
            return 1;
        }
        if (command->help) {
            out_ << kUsage;
            return 0;
        }
        const auto key = RegCommand::parseKey(command->positional[0]);
        if (!key) {
            err_ << "ERROR: Invalid key name.\n";
            return 1;
        }
        if (command->verb == "QUERY") {
            return query(*command, *key);
        }
        if (command->verb == "ADD") {
            return add(*command, *key);
        }
        if (command->verb == "DELETE") {
            return remove(*command, *key);
        }
        return exportKey(*command, *key);
    }

private:
    // Reports a failed registry call; always the exit code 1.
    int fail(LONG code) {
        switch (code) {
        case ERROR_FILE_NOT_FOUND:
            err_ << kNotFound;
            break;
        case ERROR_ACCESS_DENIED:
            err_ << "ERROR: Access is denied.\n";
            break;
        case ERROR_KEY_DELETED:
            err_ << "ERROR: The key was deleted while it was in use.\n";
            break;
        case ERROR_BADDB:
        case ERROR_CANTOPEN:
        case ERROR_CANTREAD:
            err_ << "ERROR: The registry hive file " << hive_.path()
                 << " cannot be read: it is damaged or not accessible (error " << code << ").\n";
            break;
        case ERROR_CANTWRITE:
            err_ << "ERROR: The registry hive file " << hive_.path() << " cannot be written (error " << code
                 << ").\n";
            break;
        default:
            err_ << "ERROR: The registry call failed with error " << code << ".\n";
        }
        return 1;
    }

    bool confirm(const std::string& question) {
        out_ << question << " " << std::flush;
        std::string answer;
        if (!std::getline(in_, answer)) {
            out_ << "\n";
            return false;
        }
        while (!answer.empty() && (answer.back() == '\r' || answer.back() == ' ' || answer.back() == '\t')) {
            answer.pop_back();
        }
        answer.erase(0, answer.find_first_not_of(" \t"));
        answer = upperAscii(answer);
        return answer == "Y" || answer == "YES";
    }

    int cancelled() {
        err_ << kCancelled;
        return 1;
    }

    static std::string shownName(const std::string& name) { return name.empty() ? "(Default)" : name; }

    int query(const Command& command, const KeyName& name) {
        RegKey key(hive_);
        if (const LONG result = key.open(name.root, name.path, KEY_READ)) {
            return fail(result);
        }
        if (command.valueName || command.defaultValue) {
            Value value;
            if (const LONG result = key.readValue(command.targetName(), value)) {
                return fail(result);
            }
            // Show the name as it was created, whatever case it was asked for in.
            std::vector<Value> values;
            if (readValues(key, values) == ERROR_SUCCESS) {
                for (const Value& candidate : values) {
                    if (equalsIgnoringAsciiCase(candidate.name, value.name)) {
                        value.name = candidate.name;
                        break;
                    }
                }
            }
            out_ << "\n" << name.full() << "\n" << displayLine(value) << "\n";
            return 0;
        }
        std::string text;
        if (const LONG result = listKey(name, key, command.recursive, text)) {
            return fail(result);
        }
        out_ << text;
        return 0;
    }

    LONG listKey(const KeyName& name, const RegKey& key, bool recursive, std::string& text) {
        std::vector<Value> values;
        std::vector<std::string> subKeys;
        if (const LONG result = readKey(key, values, subKeys)) {
            return result;
        }
        text += "\n" + name.full() + "\n";
        for (const Value& value : values) {
            text += displayLine(value);
        }
        if (!recursive) {
            if (!subKeys.empty()) {
                text += "\n";
            }
            for (const std::string& sub : subKeys) {
                text += name.child(sub).full() + "\n";
            }
            return ERROR_SUCCESS;
        }
        for (const std::string& sub : subKeys) {
            RegKey child(hive_);
            if (const LONG result = child.open(key.handle(), sub, KEY_READ)) {
                return result;
            }
            if (const LONG result = listKey(name.child(sub), child, true, text)) {
                return result;
            }
        }
        return ERROR_SUCCESS;
    }

    int add(const Command& command, const KeyName& name) {
        std::string error;
        const auto value = command.valueToAdd(error);
        if (!value) {
            err_ << error;
            return 1;
        }
        RegKey key(hive_);
        if (const LONG result = key.create(name.root, name.path, KEY_ALL_ACCESS)) {
            return fail(result);
        }
        const bool writesValue = command.valueName || command.defaultValue || command.type || command.data;
        if (writesValue) {
            Value existing;
            if (key.readValue(value->name, existing) == ERROR_SUCCESS && !command.force &&
                !confirm("Value " + shownName(value->name) + " exists, overwrite (Yes/No)?")) {
                return cancelled();
            }
            if (const LONG result = hive_.RegSetValueExA(key.handle(), value->name.c_str(), 0, value->type,
                                                         reinterpret_cast<const BYTE*>(value->data.data()),
                                                         static_cast<DWORD>(value->data.size()))) {
                return fail(result);
            }
        }
        out_ << kSuccess;
        return 0;
    }

    int remove(const Command& command, const KeyName& name) {
        RegKey key(hive_);
        if (const LONG result = key.open(name.root, name.path, KEY_ALL_ACCESS)) {
            return fail(result);
        }
        if (command.valueName || command.defaultValue) {
            const std::string valueName = command.targetName();
            Value value;
            if (const LONG result = key.readValue(valueName, value)) {
                return fail(result);
            }
            if (!command.force &&
                !confirm("Delete the registry value " + shownName(valueName) + " (Yes/No)?")) {
                return cancelled();
            }
            if (const LONG result = hive_.RegDeleteValueA(key.handle(), valueName.c_str())) {
                return fail(result);
            }
            out_ << kSuccess;
            return 0;
        }
        if (command.allValues) {
            if (!command.force &&
                !confirm("Delete all values under the registry key " + name.full() + " (Yes/No)?")) {
                return cancelled();
            }
            std::vector<Value> values;
            if (const LONG result = readValues(key, values)) {
                return fail(result);
            }
            for (const Value& value : values) {
                const LONG result = hive_.RegDeleteValueA(key.handle(), value.name.c_str());
                if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
                    return fail(result);
                }
            }
            out_ << kSuccess;
            return 0;
        }
        if (name.path.empty()) {
            err_ << "ERROR: A root key cannot be deleted.\n";
            return 1;
        }
        if (!command.force && !confirm("Delete the registry key " + name.full() + " (Yes/No)?")) {
            return cancelled();
        }
        if (const LONG result = deleteTree(name.root, name.path)) {
            return fail(result);
        }
        out_ << kSuccess;
        return 0;
    }

    // Removes a key with everything below it, deepest keys first.
    LONG deleteTree(HKEY parent, const std::string& path) {
        {
            RegKey key(hive_);
            if (const LONG result = key.open(parent, path, KEY_ALL_ACCESS)) {
                return result;
            }
            std::vector<std::string> subKeys;
            if (const LONG result = readSubKeys(key, subKeys)) {
                return result;
            }
            for (const std::string& sub : subKeys) {
                if (const LONG result = deleteTree(key.handle(), sub)) {
                    return result;
                }
            }
        }
        return hive_.RegDeleteKeyA(parent, path.c_str());
    }

    LONG exportTree(const KeyName& name, const RegKey& key, std::string& text) {
        std::vector<Value> values;
        std::vector<std::string> subKeys;
        if (const LONG result = readKey(key, values, subKeys)) {
            return result;
        }
        text += "[" + name.full() + "]\n";
        for (const Value& value : values) {
            text += exportLine(value);
        }
        text += "\n";
        for (const std::string& sub : subKeys) {
            RegKey child(hive_);
            if (const LONG result = child.open(key.handle(), sub, KEY_READ)) {
                return result;
            }
            if (const LONG result = exportTree(name.child(sub), child, text)) {
                return result;
            }
        }
        return ERROR_SUCCESS;
    }

    int exportKey(const Command& command, const KeyName& name) {
        RegKey key(hive_);
        if (const LONG result = key.open(name.root, name.path, KEY_READ)) {
            return fail(result);
        }
        std::string text = kExportHeader;
        if (const LONG result = exportTree(name, key, text)) {
            return fail(result);
        }
        if (command.positional.size() < 2) {
            out_ << text;
            return 0;
        }
        const std::string& file = command.positional[1];
        struct stat st {};
        if (::stat(file.c_str(), &st) == 0 && !command.overwriteFile &&
            !confirm("File " + file + " already exists. Overwrite (Yes/No)?")) {
            return cancelled();
        }
        std::ofstream stream(file, std::ios::binary | std::ios::trunc);
        stream << text;
        stream.flush();
        if (!stream) {
            err_ << "ERROR: Cannot write the file " << file << ".\n";
            return 1;
        }
        out_ << kSuccess;
        return 0;
    }

    RegistryHive& hive_;
    std::ostream& out_;
    std::ostream& err_;
    std::istream& in_;
};

} // namespace

int RunRegTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, std::istream& in) {
    RegTool tool(out, err, in);
    return tool.run(args);
}

} // namespace tidorax
