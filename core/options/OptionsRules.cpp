#include "core/options/OptionsRules.h"

#include "core/cleaning/CookieSelection.h"
#include "core/settings/CleaningSettings.h"
#include "platform/AsciiCase.h"

#include <algorithm>

namespace tidorax {

namespace {

const char* const kLineBreak = "\r\n";
const std::string kContinue = "          Do You Want To Continue?";

std::string repeated(const char* text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) {
        result += text;
    }
    return result;
}

} // namespace

void AddTrailingSlashInPlace(std::string& Path) {
    if (Path.empty() || Path.back() != '/') {
        Path += '/';
    }
}

std::string CleanQuestion(const std::string& firstLine) {
    return firstLine + repeated(kLineBreak, 2) + kContinue;
}

std::string ViriRererQuestion(bool internet, bool temp, bool cookie, bool yourFolders) {
    const std::string blanks(20, ' ');
    std::string text = "You Are About To Clean The Following Folders " + repeated(kLineBreak, 2);
    const std::pair<bool, const char*> kinds[] = {
        {internet, "Internet"}, {temp, "Temp"}, {cookie, "Cookie"}, {yourFolders, "Your Folders"}};
    for (const auto& [selected, word] : kinds) {
        text += blanks + (selected ? word : "") + repeated(kLineBreak, 2);
    }
    return text + kContinue;
}

std::string SaveFolderQuestion(const std::string& folder) {
    return "You Have Selected" + repeated(kLineBreak, 3) + "\"" + upperAscii(folder) + "\"" +
           repeated(kLineBreak, 3) + "Is This The Folder You Wanted?";
}

void RewriteSavedCookies(const std::vector<std::string>& saved) {
    std::vector<std::string> sites;
    for (const std::string& full : saved) {
        if (full.empty() || full == "0") {
            break;
        }
        sites.push_back(CookieSiteName(full));
    }
    StoreSavedCookiesAndSites(saved, sites);
}

UserFolderSave AddUserFolder(const std::string& folder) {
    std::vector<std::string> folders = UserFolders();
    if (std::find(folders.begin(), folders.end(), folder) != folders.end()) {
        return UserFolderSave::AlreadyListed;
    }
    if (folders.size() >= kMaxListEntries) {
        return UserFolderSave::ListFull;
    }
    folders.push_back(folder);
    StoreUserFolders(folders);
    return UserFolderSave::Stored;
}

} // namespace tidorax
