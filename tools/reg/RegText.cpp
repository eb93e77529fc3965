#include "tools/reg/RegText.h"

#include <cstdio>
#include <optional>

namespace tidorax::RegText {

const char* const kUsage = "Usage:\n"
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

namespace {

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

std::string displayData(const RegKey::Value& value) {
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

} // namespace

std::string displayLine(const RegKey::Value& value) {
    return "    " + (value.name.empty() ? std::string("(Default)") : value.name) + "    " +
           typeName(value.type) + "    " + displayData(value) + "\n";
}

std::string exportLine(const RegKey::Value& value) {
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

} // namespace tidorax::RegText
