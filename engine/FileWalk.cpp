#include "engine/FileWalk.h"

namespace tidorax {

std::string SearchFolder;
std::string SearchPattern = "*.*";
bool SearchSubFolders = true;

std::string AddBackslash(const std::string& Path) { return Path; }
std::string TrimAtNull(std::string_view Text) { return std::string(Text); }
bool MatchSpec(std::string_view, std::string_view) { return false; }
void WalkInto(const std::string&, FileList&) {}
void ListFilesBefore(const std::string& Folder) { WalkInto(Folder, Form1Lists().List7); }
void ListFilesAfter(const std::string& Folder) { WalkInto(Folder, Form1Lists().List6); }
void ListInternetFiles(const std::string& Folder) { WalkInto(Folder, Form2Lists().List1); }
void ListTempFiles(const std::string& Folder) { WalkInto(Folder, Form2Lists().List2); }

} // namespace tidorax
