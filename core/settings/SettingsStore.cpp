#include "core/settings/SettingsStore.h"

#include "platform/Platform.h"

#include <algorithm>
#include <vector>

namespace tidorax {

SettingsStore Settings;

namespace {

constexpr const char* kDefaultCompany = "Quillon Software";
constexpr const char* kDefaultAppName = "Tidora";

std::string trimBlanks(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

// "*" stands for the unnamed default value of a key.
const char* valueName(const std::string& key) {
    return key == "*" ? "" : key.c_str();
}

} // namespace

SettingsStore::SettingsStore() : company_(kDefaultCompany), appName_(kDefaultAppName) {}

void SettingsStore::setCompany(const std::string& NewVal) {
    company_ = trimBlanks(NewVal);
    if (company_.empty()) {
        company_ = kDefaultCompany;
    }
}

void SettingsStore::setAppName(const std::string& NewVal) {
    appName_ = trimBlanks(NewVal);
    if (appName_.empty()) {
        appName_ = platform().productName();
    }
}

std::string SettingsStore::SectionKeyPath(const std::string& Section) const {
    std::string path = "Software\\" + company_ + "\\" + appName_;
    if (!Section.empty()) {
        path += "\\" + Section;
    }
    return path;
}

std::string SettingsStore::GetSetting(const std::string& Section, const std::string& Key,
                                      const std::string& Default) {
    RegistryHive& reg = platform().registry();
    std::string result = Default;
    HKEY key = 0;
    if (reg.RegOpenKeyExA(HKEY_CURRENT_USER, SectionKeyPath(Section).c_str(), 0, KEY_ALL_ACCESS, &key) !=
        ERROR_SUCCESS) {
        return result;
    }
    const char* name = valueName(Key);
    DWORD type = 0;
    DWORD size = 0;
    if (reg.RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        reg.RegCloseKey(key);
        return result;
    }
    if (size > 0) {
        std::vector<BYTE> buffer(size);
        if (reg.RegQueryValueExA(key, name, nullptr, &type, buffer.data(), &size) == ERROR_SUCCESS &&
            size > 0) {
            // The data ends with its terminating zero byte, which is not part of the text.
            result.assign(reinterpret_cast<const char*>(buffer.data()), size - 1);
        }
    }
    reg.RegCloseKey(key);
    return result;
}

bool SettingsStore::SaveSetting(const std::string& Section, const std::string& Key,
                                const std::string& Setting) {
    RegistryHive& reg = platform().registry();
    HKEY key = 0;
    if (reg.RegCreateKeyExA(HKEY_CURRENT_USER, SectionKeyPath(Section).c_str(), 0, "",
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LONG written =
        reg.RegSetValueExA(key, valueName(Key), 0, REG_SZ, reinterpret_cast<const BYTE*>(Setting.c_str()),
                           static_cast<DWORD>(Setting.size() + 1));
    reg.RegCloseKey(key);
    return written == ERROR_SUCCESS;
}

bool SettingsStore::DeleteSetting(const std::string& Section, const std::string& Key) {
    RegistryHive& reg = platform().registry();
    HKEY key = 0;
    LONG removed = ERROR_FILE_NOT_FOUND;
    if (!Key.empty()) {
        if (reg.RegOpenKeyExA(HKEY_CURRENT_USER, SectionKeyPath(Section).c_str(), 0, KEY_ALL_ACCESS, &key) ==
            ERROR_SUCCESS) {
            removed = reg.RegDeleteValueA(key, valueName(Key));
            reg.RegCloseKey(key);
        }
    } else if (reg.RegOpenKeyExA(HKEY_CURRENT_USER, SectionKeyPath("").c_str(), 0, KEY_ALL_ACCESS, &key) ==
               ERROR_SUCCESS) {
        removed = reg.RegDeleteKeyA(key, Section.c_str());
        reg.RegCloseKey(key);
    }
    return removed == ERROR_SUCCESS;
}

std::optional<std::vector<SettingsStore::Row>> SettingsStore::GetAllSettings(const std::string& Section) {
    RegistryHive& reg = platform().registry();
    HKEY key = 0;
    if (reg.RegOpenKeyExA(HKEY_CURRENT_USER, SectionKeyPath(Section).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    DWORD longestName = 0;
    DWORD longestData = 0;
    if (reg.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName,
                             &longestData, nullptr, nullptr) != ERROR_SUCCESS) {
        reg.RegCloseKey(key);
        return std::nullopt;
    }
    std::vector<Row> rows;
    std::vector<char> name(longestName + 1);
    std::vector<BYTE> data(longestData + 1);
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataLength = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (reg.RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type, data.data(),
                              &dataLength) != ERROR_SUCCESS) {
            break;
        }
        if (type == REG_SZ) {
            // A text value without any data byte reads as the empty text.
            const DWORD textLength = dataLength > 0 ? dataLength - 1 : 0;
            rows.emplace_back(std::string(name.data(), nameLength),
                              std::string(reinterpret_cast<const char*>(data.data()), textLength));
        }
    }
    reg.RegCloseKey(key);
    if (rows.empty()) {
        return std::nullopt;
    }
    return rows;
}

bool IsFlagSet(const std::string& Key) {
    return Settings.GetSetting("CleanPath", Key, "0") == "Yes";
}

std::vector<std::string> ReadSettingsList(const std::string& Section, const std::string& Prefix) {
    std::vector<std::string> entries;
    for (int index = 0; index <= 1000; ++index) {
        std::string entry = Settings.GetSetting(Section, Prefix + std::to_string(index), "0");
        if (entry == "0" || entry.empty()) {
            break;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace tidorax
