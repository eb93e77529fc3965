#include "core/settings/SettingsStore.h"

#include "core/settings/RegKey.h"
#include "platform/Platform.h"

#include <utility>
#include <vector>

namespace tidorax {

SettingsStore Settings;

namespace {

constexpr const char* kDefaultCompany = "Quillon Software";
constexpr const char* kDefaultAppName = "Tidora";

// "*" stands for the unnamed default value of a key.
std::string valueName(const std::string& key) {
    return key == "*" ? std::string() : key;
}

} // namespace

SettingsStore::SettingsStore() : company_(kDefaultCompany), appName_(kDefaultAppName) {}

std::string SettingsStore::SectionKeyPath(const std::string& Section) const {
    std::string path = "Software\\" + company_ + "\\" + appName_;
    if (!Section.empty()) {
        path += "\\" + Section;
    }
    return path;
}

std::string SettingsStore::GetSetting(const std::string& Section, const std::string& Key,
                                      const std::string& Default) {
    RegKey key;
    RegKey::Value value;
    if (key.open(HKEY_CURRENT_USER, SectionKeyPath(Section), KEY_ALL_ACCESS) != ERROR_SUCCESS ||
        key.readValue(valueName(Key), value) != ERROR_SUCCESS || value.data.empty()) {
        return Default;
    }
    return RegKey::Text(std::move(value.data));
}

bool SettingsStore::SaveSetting(const std::string& Section, const std::string& Key,
                                const std::string& Setting) {
    RegKey key;
    if (key.create(HKEY_CURRENT_USER, SectionKeyPath(Section), KEY_ALL_ACCESS) != ERROR_SUCCESS) {
        return false;
    }
    return key.hive().RegSetValueExA(key.handle(), valueName(Key).c_str(), 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(Setting.c_str()),
                                     static_cast<DWORD>(Setting.size() + 1)) == ERROR_SUCCESS;
}

bool SettingsStore::DeleteSetting(const std::string& Section, const std::string& Key) {
    RegKey key;
    if (!Key.empty()) {
        return key.open(HKEY_CURRENT_USER, SectionKeyPath(Section), KEY_ALL_ACCESS) == ERROR_SUCCESS &&
               key.hive().RegDeleteValueA(key.handle(), valueName(Key).c_str()) == ERROR_SUCCESS;
    }
    return key.open(HKEY_CURRENT_USER, SectionKeyPath(""), KEY_ALL_ACCESS) == ERROR_SUCCESS &&
           key.hive().RegDeleteKeyA(key.handle(), Section.c_str()) == ERROR_SUCCESS;
}

std::optional<std::vector<SettingsStore::Row>> SettingsStore::GetAllSettings(const std::string& Section) {
    RegKey key;
    if (key.open(HKEY_CURRENT_USER, SectionKeyPath(Section), KEY_READ) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::vector<Row> rows;
    RegKey::Value value;
    for (DWORD index = 0; key.valueAt(index, value) == ERROR_SUCCESS; ++index) {
        if (value.type == REG_SZ) {
            // A text value without any data byte reads as the empty text.
            rows.emplace_back(std::move(value.name), RegKey::Text(std::move(value.data)));
        }
    }
    if (rows.empty()) {
        return std::nullopt;
    }
    return rows;
}

std::vector<std::string> SettingsStore::GetSettingsList(const std::string& Section,
                                                        const std::string& Prefix) {
    std::vector<std::string> entries;
    RegKey key;
    if (key.open(HKEY_CURRENT_USER, SectionKeyPath(Section), KEY_ALL_ACCESS) != ERROR_SUCCESS) {
        return entries;
    }
    RegKey::Value value;
    for (int index = 0; index <= 1000; ++index) {
        if (key.readValue(valueName(Prefix + std::to_string(index)), value) != ERROR_SUCCESS ||
            value.data.empty()) {
            break;
        }
        std::string entry = RegKey::Text(std::move(value.data));
        if (entry == "0" || entry.empty()) {
            break;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool SettingsStore::SaveSettingsList(const std::string& Section, const std::string& Prefix,
                                     const std::vector<std::string>& Entries) {
    if (Entries.empty()) {
        return true;
    }
    RegKey key;
    if (key.create(HKEY_CURRENT_USER, SectionKeyPath(Section), KEY_ALL_ACCESS) != ERROR_SUCCESS) {
        return false;
    }
    bool written = true;
    for (std::size_t k = 0; k < Entries.size(); ++k) {
        written = key.hive().RegSetValueExA(key.handle(), valueName(Prefix + std::to_string(k)).c_str(), 0,
                                            REG_SZ, reinterpret_cast<const BYTE*>(Entries[k].c_str()),
                                            static_cast<DWORD>(Entries[k].size() + 1)) == ERROR_SUCCESS &&
                  written;
    }
    return written;
}

std::vector<std::string> ReadSettingsList(const std::string& Section, const std::string& Prefix) {
    const SettingsWriteGroup snapshot; // one transaction: never a list half rewritten
    return Settings.GetSettingsList(Section, Prefix);
}

bool WriteSettingsList(const std::string& Section, const std::string& Prefix,
                       const std::vector<std::string>& Entries) {
    // Without a group (a store that cannot be written) each write fails on its own.
    SettingsWriteGroup group;
    Settings.DeleteSetting(Section); // false also when there was nothing to remove
    const bool written = Settings.SaveSettingsList(Section, Prefix, Entries);
    return group.end() && written;
}

SettingsWriteGroup::SettingsWriteGroup() : begun_(platform().registry().BeginWriteGroup() == ERROR_SUCCESS) {}

SettingsWriteGroup::~SettingsWriteGroup() {
    end();
}

bool SettingsWriteGroup::end() {
    if (!begun_) {
        return true;
    }
    begun_ = false;
    return platform().registry().EndWriteGroup() == ERROR_SUCCESS;
}

} // namespace tidorax
