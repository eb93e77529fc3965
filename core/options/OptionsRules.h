// Rules of the options window that need no window: the texts of its questions, the
// trailing "/" of a shown path, the saved-cookie and user-folder sections and how they
// are rewritten.
#pragma once

#include "core/settings/CleaningSettings.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tidorax {

// Appends "/" to Path unless it already ends with one; "" becomes "/".
void AddTrailingSlashInPlace(std::string& Path);

// A clean button's question: its first line, two line breaks, then
// "          Do You Want To Continue?".
std::string CleanQuestion(const std::string& firstLine);

// "ViriRerer Now"'s question: one line per kind (twenty blanks and its word, or
// twenty blanks alone when the kind is not selected).
std::string ViriRererQuestion(bool internet, bool temp, bool cookie, bool yourFolders);

// "Save Folder"'s confirmation, with the folder in upper case between quotes.
std::string SaveFolderQuestion(const std::string& folder);

// Writes "SavedCookies" and "SpecialCookies" anew from the saved list, both numbered
// Cookie0, Cookie1, ... (the site of each cookie, CookieSiteName, under "SpecialCookies");
// stops at an entry that is "0" or empty.
void RewriteSavedCookies(const std::vector<std::string>& saved);

enum class UserFolderSave { Stored, AlreadyListed, ListFull };

// Adds a folder to "UserFolder": stored as File0 when the list is empty, refused when
// the list holds it already (exact text) or holds 1001 folders; otherwise the list is
// rewritten whole with the folder last.
UserFolderSave AddUserFolder(const std::string& folder);

} // namespace tidorax
