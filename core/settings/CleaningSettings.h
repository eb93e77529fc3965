// The program's own settings, by name: the cleaning flags of "CleanPath", the first-run
// mark, the saved and special cookies and the user folders. This is the one place that
// knows their sections and keys and that a flag is set only when its text is "Yes";
// every other part of the program asks here.
#pragma once

#include <string>
#include <vector>

namespace tidorax {

// A check box of the options window, stored as a flag of "CleanPath".
enum class CleaningFlag { InternetFiles, TempFiles, AutoFunction, CookieFiles, UserFolder, Shutdown };

// The flags in the order of the options window's boxes.
inline constexpr CleaningFlag kAllCleaningFlags[] = {CleaningFlag::InternetFiles, CleaningFlag::TempFiles,
                                                     CleaningFlag::AutoFunction,  CleaningFlag::CookieFiles,
                                                     CleaningFlag::UserFolder,    CleaningFlag::Shutdown};

// The value name of a flag under "CleanPath" ("InternetFiles", "AutoFunction", ...).
const char* FlagName(CleaningFlag flag);

// True only when the flag's text is exactly "Yes".
bool IsFlagSet(CleaningFlag flag);
// Stores the flag ("Yes") or removes it; true when the store now holds what was asked.
bool StoreFlag(CleaningFlag flag, bool set);
// True when at least one kind of cleaning is selected (web cache, cookies, Temp or user
// folders). Reads every one of their flags.
bool AnyCleaningFlagSet();

// Until the first-run notices have run once, the tray shows them at its start.
bool IsFirstRun();
void RecordFirstRunDone();

// Numbered lists of the settings hold at most the names 0 to 1000.
inline constexpr std::size_t kMaxListEntries = 1001;

// Each list is read whole in one transaction of the store (a consistent snapshot, also
// while another process rewrites it): up to its first entry that is missing, "0" or
// empty, at most 1001 entries.
std::vector<std::string> SavedCookies();
std::vector<std::string> SpecialCookieSites();
std::vector<std::string> UserFolders();

// Each rewrite replaces the whole list in one transaction, so that no reader ever sees
// it half written; it stops at an entry that is "0" or empty. True when all was written.
// The saved cookies alone, as a clean leaves them.
bool StoreSavedCookies(const std::vector<std::string>& saved);
// The saved cookies with the site of each as a special cookie, as the options window
// keeps them.
bool StoreSavedCookiesAndSites(const std::vector<std::string>& saved, const std::vector<std::string>& sites);
bool StoreUserFolders(const std::vector<std::string>& folders);

// Removes "CleanPath" and the program's key (when it is left empty).
void RemoveCleaningFlags();
// Removes every setting of the program: its four sections, the log-on value, the
// program's key and the company key (the last only when it holds nothing else).
// Failures are skipped.
void RemoveAllSettings();

} // namespace tidorax
