#include "tools/reg/RegTool.h"

#include "platform/Platform.h"

#include <array>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <istream>
#include <optional>
#include <ostream>
#include <sys/stat.h>

namespace tidorax {

namespace {

constexpr const char* kSuccess = "The operation completed successfully.\n";
constexpr const char* kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.\n";
constexpr const char* kCancelled = "The operation was cancelled by the user.\n";

constexpr const char* kUsage =
    "Usage:\n"
    "  tidorax-reg query KEY [/v NAME | /ve] [/s]\n"
    "  tidorax-reg add KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/hex] [/f]\n"
    "  tidorax-reg delete KEY [/v NAME | /ve | /va] [/f]\n"
    "  tidorax-reg export KEY [FILE] [/y]\n"
    "\n"
    "  KEY   ROOT\\SubKey\\..., ROOT one of HKCU, HKLM, HKU, HKCR, HKCC, HKDD\n"
    "        or their long forms (HKEY_CURRENT_USER, ...)\n"
    "  /v    the value NAME; /ve the unnamed (Default) value; /va every value\n"
    "  /s    also every subkey, all the way down\n"
    "  /t    REG_SZ (the default), REG_EXPAND_SZ, REG_DWORD, REG_BINARY or REG_NONE\n"
    "  /d    the data: text; for REG_DWORD a number (decimal, or 0x and hex digits);\n"
    "        for REG_BINARY and REG_NONE hex digits\n"
    "  /hex  /d gives the exact data bytes in hex digits, whatever the type\n"
    "  /f    no question before overwriting or deleting\n"
    "  /y    no question before overwriting FILE\n"
    "  Without FILE, export writes to standard output.\n";

struct RootName {
    const char* shortName;
    const char* longName;
    HKEY handle;
};

constexpr std::array<RootName, 6> kRootNames{{
    {"HKCU", "HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKLM", "HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKU", "HKEY_USERS", HKEY_USERS},
    {"HKCR", "HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {"HKCC", "HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
    {"HKDD", "HKEY_DYN_DATA", HKEY_DYN_DATA},
}};

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

std::string upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

// A key named on the command line: its root and the path below it.
struct KeyName {
    HKEY root = 0;
    std::string rootName;
    std::string path;

    std::string full() const { return path.empty() ? rootName : rootName + "\\" + path; }
    KeyName child(const std::string& name) const {
        return KeyName{root, rootName, path.empty() ? name : path + "\\" + name};
    }
};

std::optional<KeyName> parseKeyName(const std::string& text) {
    const auto slash = text.find('\\');
    const std::string root = upper(text.substr(0, slash));
    std::string path = slash == std::string::npos ? std::string() : text.substr(slash + 1);
    while (!path.empty() && path.back() == '\\') {
        path.pop_back();
    }
    if (path.find("\\\\") != std::string::npos || (!path.empty() && path.front() == '\\')) {
        return std::nullopt;
    }
    for (const RootName& name : kRootNames) {
        if (root == name.shortName || root == name.longName) {
            return KeyName{name.handle, name.longName, path};
        }
    }
    return std::nullopt;
}

std::string typeName(DWORD type) {
    switch (type) {
    case REG_NONE:
        return "REG_NONE";
    case REG_SZ:
        return "REG_SZ";
    case REG_EXPAND_SZ:
        return "REG_EXPAND_SZ";
    case REG_BINARY:
        return "REG_BINARY";
    case REG_DWORD:
        return "REG_DWORD";
    case 5:
        return "REG_DWORD_BIG_ENDIAN";
    case 6:
        return "REG_LINK";
    case 7:
        return "REG_MULTI_SZ";
    case 11:
        return "REG_QWORD";
    default:
        return "REG_UNKNOWN(" + std::to_string(type) + ")";
    }
}

std::string hexBytes(const std::string& data, const char* separator, bool upperCase) {
    std::string out;
    char byte[3];
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::snprintf(byte, sizeof byte, upperCase ? "%02X" : "%02x", static_cast<unsigned char>(data[i]));
        if (i > 0) {
            out += separator;
        }
        out += byte;
    }
    return out;
}

// The text of a string value: its bytes up to the first zero.
std::string textOf(const std::string& data) {
    return data.substr(0, data.find('\0'));
}

std::optional<DWORD> dwordOf(const std::string& data) {
    if (data.size() != 4) {
        return std::nullopt;
    }
    DWORD value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(data[static_cast<std::size_t>(i)]);
    }
    return value;
}

struct Value {
    std::string name;
    DWORD type = REG_NONE;
    std::string data;
};

std::string displayData(const Value& value) {
    if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) {
        return textOf(value.data);
    }
    if (value.type == REG_DWORD) {
        if (const auto number = dwordOf(value.data)) {
            char text[16];
            std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(*number));
            return text;
        }
    }
    return hexBytes(value.data, "", true);
}

std::string displayLine(const Value& value) {
    return "    " + (value.name.empty() ? std::string("(Default)") : value.name) + "    " +
           typeName(value.type) + "    " + displayData(value) + "\n";
}

// ---- .reg text ----------------------------------------------------------------

std::string regQuoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"') {
            out.push_back('\\');
        }
        out.push_back(c);
    }
    return out + "\"";
}

std::string exportLine(const Value& value) {
    std::string line = value.name.empty() ? std::string("@") : regQuoted(value.name);
    line += "=";
    const std::string text = textOf(value.data);
    const bool plainText = value.type == REG_SZ && value.data.size() == text.size() + 1 &&
                           text.find_first_of("\r\n") == std::string::npos;
    if (plainText) {
        line += regQuoted(text);
    } else if (value.type == REG_DWORD && dwordOf(value.data)) {
        char number[16];
        std::snprintf(number, sizeof number, "dword:%08x", static_cast<unsigned>(*dwordOf(value.data)));
        line += number;
    } else if (value.type == REG_BINARY) {
        line += "hex:" + hexBytes(value.data, ",", false);
    } else {
        char prefix[24];
        std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(value.type));
        line += prefix + hexBytes(value.data, ",", false);
    }
    return line + "\n";
}

// ---- Data given on the command line ---------------------------------------------

std::optional<std::string> parseHex(const std::string& text) {
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

// ---- The command line ---------------------------------------------------------------

struct Command {
    std::string verb;
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

// Parses the words after the verb; nullopt for anything a verb does not take.
std::optional<Command> parseCommand(const std::vector<std::string>& args) {
    Command command;
    if (args.empty()) {
        return std::nullopt;
    }
    command.verb = upper(args[0]);
    if (command.verb == "/?" || command.verb == "-?") {
        command.help = true;
        return command;
    }
    const std::string verb = command.verb;
    const auto allows = [&verb](const std::string& option) {
        static const std::vector<std::pair<std::string, std::string>> allowed = {
            {"QUERY", "/V /VE /S /?"},
            {"ADD", "/V /VE /T /D /HEX /F /?"},
            {"DELETE", "/V /VE /VA /F /?"},
            {"EXPORT", "/Y /?"},
        };
        for (const auto& [name, options] : allowed) {
            if (name == verb) {
                return (" " + options + " ").find(" " + option + " ") != std::string::npos;
            }
        }
        return false;
    };
    if (!allows("/?")) {
        return std::nullopt;
    }
    std::vector<std::string> seen;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string option = upper(args[i]);
        if (option.size() > 1 && option[0] == '-') {
            option[0] = '/';
        }
        if (option.empty() || option[0] != '/' || !allows(option)) {
            // Not an option of this verb: a key or file name (a file may start with "/").
            if (option.size() > 1 && option[0] == '/' && option.find('/', 1) == std::string::npos &&
                option.find('.') == std::string::npos) {
                return std::nullopt;
            }
            command.positional.push_back(args[i]);
            continue;
        }
        for (const std::string& earlier : seen) {
            if (earlier == option) {
                return std::nullopt;
            }
        }
        seen.push_back(option);
        const bool takesWord = option == "/V" || option == "/T" || option == "/D";
        if (takesWord && i + 1 >= args.size()) {
            return std::nullopt;
        }
        if (option == "/V") {
            command.valueName = args[++i];
        } else if (option == "/T") {
            command.type = args[++i];
        } else if (option == "/D") {
            command.data = args[++i];
        } else if (option == "/VE") {
            command.defaultValue = true;
        } else if (option == "/VA") {
            command.allValues = true;
        } else if (option == "/S") {
            command.recursive = true;
        } else if (option == "/F") {
            command.force = true;
        } else if (option == "/HEX") {
            command.hexData = true;
        } else if (option == "/Y") {
            command.overwriteFile = true;
        } else if (option == "/?") {
            command.help = true;
        }
    }
    if (command.help) {
        return command;
    }
    const int targets =
        (command.valueName ? 1 : 0) + (command.defaultValue ? 1 : 0) + (command.allValues ? 1 : 0);
    const std::size_t maxPositional = verb == "EXPORT" ? 2 : 1;
    if (targets > 1 || command.positional.empty() || command.positional.size() > maxPositional ||
        (command.recursive && targets > 0)) {
        return std::nullopt;
    }
    return command;
}

// ---- Running one command ------------------------------------------------------------

class RegTool {
public:
    RegTool(std::ostream& out, std::ostream& err, std::istream& in)
        : hive_(platform().registry()), out_(out), err_(err), in_(in) {}

    int run(const std::vector<std::string>& args) {
        const auto command = parseCommand(args);
        if (!command) {
            err_ << "ERROR: Invalid syntax.\n" << kUsage;
            return 1;
        }
        if (command->help) {
            out_ << kUsage;
            return 0;
        }
        const auto key = parseKeyName(command->positional[0]);
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
        answer = upper(answer);
        return answer == "Y" || answer == "YES";
    }

    int cancelled() {
        err_ << kCancelled;
        return 1;
    }

    // An open key, closed when it goes out of scope.
    class OpenKey {
    public:
        explicit OpenKey(RegistryHive& hive) : hive_(hive) {}
        ~OpenKey() {
            if (handle != 0) {
                hive_.RegCloseKey(handle);
            }
        }
        OpenKey(const OpenKey&) = delete;
        OpenKey& operator=(const OpenKey&) = delete;
        HKEY handle = 0;

    private:
        RegistryHive& hive_;
    };

    LONG open(const KeyName& name, REGSAM access, OpenKey& key) {
        return hive_.RegOpenKeyExA(name.root, name.path.c_str(), 0, access, &key.handle);
    }

    LONG readValue(HKEY key, const std::string& name, Value& value) {
        DWORD size = 0;
        DWORD type = 0;
        for (;;) {
            LONG result = hive_.RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
            if (result != ERROR_SUCCESS) {
                return result;
            }
            std::string data(size, '\0');
            result = hive_.RegQueryValueExA(key, name.c_str(), nullptr, &type,
                                            reinterpret_cast<BYTE*>(data.data()), &size);
            if (result == ERROR_MORE_DATA) {
                continue; // It grew meanwhile.
            }
            if (result != ERROR_SUCCESS) {
                return result;
            }
            data.resize(size);
            value = Value{name, type, data};
            return ERROR_SUCCESS;
        }
    }

    LONG readValues(HKEY key, std::vector<Value>& values) {
        values.clear();
        std::string name(16384, '\0');
        std::string data(256, '\0');
        for (DWORD index = 0;;) {
            DWORD nameLength = static_cast<DWORD>(name.size());
            DWORD size = static_cast<DWORD>(data.size());
            DWORD type = 0;
            const LONG result = hive_.RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type,
                                                    reinterpret_cast<BYTE*>(data.data()), &size);
            if (result == ERROR_NO_MORE_ITEMS) {
                return ERROR_SUCCESS;
            }
            if (result == ERROR_MORE_DATA && size > data.size()) {
                data.resize(size);
                continue;
            }
            if (result != ERROR_SUCCESS) {
                return result;
            }
            values.push_back(Value{name.substr(0, nameLength), type, data.substr(0, size)});
            ++index;
        }
    }

    LONG readSubKeys(HKEY key, std::vector<std::string>& names) {
        names.clear();
        std::string name(1024, '\0');
        for (DWORD index = 0;; ++index) {
            DWORD length = static_cast<DWORD>(name.size());
            const LONG result =
                hive_.RegEnumKeyExA(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
            if (result == ERROR_NO_MORE_ITEMS) {
                return ERROR_SUCCESS;
            }
            if (result != ERROR_SUCCESS) {
                return result;
            }
            names.push_back(name.substr(0, length));
        }
    }

    static std::string targetName(const Command& command) {
        return command.valueName ? *command.valueName : std::string();
    }

    static std::string shownName(const std::string& name) { return name.empty() ? "(Default)" : name; }

    int query(const Command& command, const KeyName& name) {
        OpenKey key(hive_);
        if (const LONG result = open(name, KEY_READ, key)) {
            return fail(result);
        }
        if (command.valueName || command.defaultValue) {
            Value value;
            if (const LONG result = readValue(key.handle, targetName(command), value)) {
                return fail(result);
            }
            // Show the name as it was created, whatever case it was asked for in.
            std::vector<Value> values;
            if (readValues(key.handle, values) == ERROR_SUCCESS) {
                for (const Value& candidate : values) {
                    if (upper(candidate.name) == upper(value.name)) {
                        value.name = candidate.name;
                        break;
                    }
                }
            }
            out_ << "\n" << name.full() << "\n" << displayLine(value) << "\n";
            return 0;
        }
        std::string text;
        if (const LONG result = listKey(name, key.handle, command.recursive, text)) {
            return fail(result);
        }
        out_ << text;
        return 0;
    }

    // The values and the subkey names of a key.
    LONG readKey(HKEY key, std::vector<Value>& values, std::vector<std::string>& subKeys) {
        if (const LONG result = readValues(key, values)) {
            return result;
        }
        return readSubKeys(key, subKeys);
    }

    LONG listKey(const KeyName& name, HKEY key, bool recursive, std::string& text) {
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
            OpenKey child(hive_);
            if (const LONG result = hive_.RegOpenKeyExA(key, sub.c_str(), 0, KEY_READ, &child.handle)) {
                return result;
            }
            if (const LONG result = listKey(name.child(sub), child.handle, true, text)) {
                return result;
            }
        }
        return ERROR_SUCCESS;
    }

    int add(const Command& command, const KeyName& name) {
        DWORD type = REG_SZ;
        if (command.type) {
            const std::string wanted = upper(*command.type);
            bool known = false;
            for (const TypeName& candidate : kAddTypes) {
                if (wanted == candidate.name) {
                    type = candidate.type;
                    known = true;
                }
            }
            if (!known) {
                err_ << "ERROR: Invalid type " << *command.type
                     << ". Use REG_SZ, REG_EXPAND_SZ, REG_DWORD, REG_BINARY or REG_NONE.\n";
                return 1;
            }
        }
        const std::string given = command.data.value_or("");
        std::string bytes;
        if (command.hexData || type == REG_BINARY || type == REG_NONE) {
            const auto parsed = parseHex(given);
            if (!parsed) {
                err_ << "ERROR: Invalid data \"" << given << "\" for " << typeName(type)
                     << ": give the bytes as pairs of hex digits.\n";
                return 1;
            }
            bytes = *parsed;
        } else if (type == REG_DWORD) {
            const auto number = parseDword(given);
            if (!number) {
                err_ << "ERROR: Invalid data \"" << given
                     << "\" for REG_DWORD: give a 32-bit number, in decimal or as 0x and hex digits.\n";
                return 1;
            }
            for (int i = 0; i < 4; ++i) {
                bytes.push_back(static_cast<char>((*number >> (8 * i)) & 0xff));
            }
        } else {
            bytes = given + std::string(1, '\0');
        }

        OpenKey key(hive_);
        DWORD disposition = 0;
        if (const LONG result =
                hive_.RegCreateKeyExA(name.root, name.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      KEY_ALL_ACCESS, nullptr, &key.handle, &disposition)) {
            return fail(result);
        }
        const bool writesValue = command.valueName || command.defaultValue || command.type || command.data;
        if (writesValue) {
            const std::string valueName = targetName(command);
            DWORD size = 0;
            const bool exists =
                hive_.RegQueryValueExA(key.handle, valueName.c_str(), nullptr, nullptr, nullptr, &size) == 0;
            if (exists && !command.force &&
                !confirm("Value " + shownName(valueName) + " exists, overwrite (Yes/No)?")) {
                return cancelled();
            }
            if (const LONG result = hive_.RegSetValueExA(key.handle, valueName.c_str(), 0, type,
                                                         reinterpret_cast<const BYTE*>(bytes.data()),
                                                         static_cast<DWORD>(bytes.size()))) {
                return fail(result);
            }
        }
        out_ << kSuccess;
        return 0;
    }

    int remove(const Command& command, const KeyName& name) {
        OpenKey key(hive_);
        if (const LONG result = open(name, KEY_ALL_ACCESS, key)) {
            return fail(result);
        }
        if (command.valueName || command.defaultValue) {
            const std::string valueName = targetName(command);
            Value value;
            if (const LONG result = readValue(key.handle, valueName, value)) {
                return fail(result);
            }
            if (!command.force &&
                !confirm("Delete the registry value " + shownName(valueName) + " (Yes/No)?")) {
                return cancelled();
            }
            if (const LONG result = hive_.RegDeleteValueA(key.handle, valueName.c_str())) {
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
            if (const LONG result = readValues(key.handle, values)) {
                return fail(result);
            }
            for (const Value& value : values) {
                const LONG result = hive_.RegDeleteValueA(key.handle, value.name.c_str());
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
            OpenKey key(hive_);
            if (const LONG result =
                    hive_.RegOpenKeyExA(parent, path.c_str(), 0, KEY_ALL_ACCESS, &key.handle)) {
                return result;
            }
            std::vector<std::string> subKeys;
            if (const LONG result = readSubKeys(key.handle, subKeys)) {
                return result;
            }
            for (const std::string& sub : subKeys) {
                if (const LONG result = deleteTree(key.handle, sub)) {
                    return result;
                }
            }
        }
        return hive_.RegDeleteKeyA(parent, path.c_str());
    }

    LONG exportTree(const KeyName& name, HKEY key, std::string& text) {
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
            OpenKey child(hive_);
            if (const LONG result = hive_.RegOpenKeyExA(key, sub.c_str(), 0, KEY_READ, &child.handle)) {
                return result;
            }
            if (const LONG result = exportTree(name.child(sub), child.handle, text)) {
                return result;
            }
        }
        return ERROR_SUCCESS;
    }

    int exportKey(const Command& command, const KeyName& name) {
        OpenKey key(hive_);
        if (const LONG result = open(name, KEY_READ, key)) {
            return fail(result);
        }
        std::string text = "Windows Registry Editor Version 5.00\n\n";
        if (const LONG result = exportTree(name, key.handle, text)) {
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
