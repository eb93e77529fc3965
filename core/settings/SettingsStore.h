// The settings store: every persistent setting is a text value under
// HKEY_CURRENT_USER\Software\<Company>\<AppName>\<Section>. It keeps no cache: every
// read goes to the registry and every write is made at once.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tidorax {

class SettingsStore {
public:
    // One (name, text) row of GetAllSettings.
    using Row = std::pair<std::string, std::string>;

    SettingsStore();

    const std::string& Company() const { return company_; }
    const std::string& AppName() const { return appName_; }

    // Removes one value (Key not empty; "*" is the unnamed value) or the whole
    // section (Key empty). True only when something was removed.
    bool DeleteSetting(const std::string& Section, const std::string& Key = "");
    // Every REG_SZ value of the section in the registry's order; nullopt when the
    // section does not exist or holds no text value.
    std::optional<std::vector<Row>> GetAllSettings(const std::string& Section);
    // The stored text, or Default when the section, the value or its data is missing.
    std::string GetSetting(const std::string& Section, const std::string& Key,
                           const std::string& Default = "");
    // Writes Setting as REG_SZ with its terminating zero byte; true when written.
    bool SaveSetting(const std::string& Section, const std::string& Key, const std::string& Setting);
    // The values Prefix0, Prefix1, ... of Section as GetSetting reads them, through one
    // open key: up to the first that is missing, "0" or empty, at most 1001.
    std::vector<std::string> GetSettingsList(const std::string& Section, const std::string& Prefix);
    // Writes Entries as Prefix0, Prefix1, ... as SaveSetting does, through one open key.
    bool SaveSettingsList(const std::string& Section, const std::string& Prefix,
                          const std::vector<std::string>& Entries);

private:
    std::string SectionKeyPath(const std::string& Section) const;

    std::string company_;
    std::string appName_;
};

// The one settings object of the program, created before anything else runs.
extern SettingsStore Settings;

// Reads a numbered list (Prefix + "0", Prefix + "1", ...) of a section: it ends at the
// first value that is missing, "0" or empty, and never looks past index 1000. Read in
// one transaction of the store: a consistent snapshot, also while another process
// rewrites the list.
std::vector<std::string> ReadSettingsList(const std::string& Section, const std::string& Prefix);
// Replaces the whole section by the numbered list Entries (Prefix + "0", ...), all in
// one durable write; true when every entry was written and the write committed.
bool WriteSettingsList(const std::string& Section, const std::string& Prefix,
                       const std::vector<std::string>& Entries);

// Makes the settings writes of its lifetime one durable write (one transaction of the
// store), so that rewriting a section costs one write to disk and is never left half
// done; each write still succeeds or fails alone.
class SettingsWriteGroup {
public:
    SettingsWriteGroup();
    ~SettingsWriteGroup();
    SettingsWriteGroup(const SettingsWriteGroup&) = delete;
    SettingsWriteGroup& operator=(const SettingsWriteGroup&) = delete;
    // Commits the group now: false when the store could not commit it (true when the
    // store could not begin one, each write then having been durable on its own).
    bool end();

private:
    bool begun_;
};

} // namespace tidorax
