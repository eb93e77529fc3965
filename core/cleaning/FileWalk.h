// Path helpers, the name matcher and the file walks that list a folder tree into
// the working lists. A walk never deletes anything and never clears its list.
#pragma once

#include "core/cleaning/WorkingLists.h"

#include <string>
#include <string_view>

namespace tidorax {

// The search variables, set by every caller just before a walk.
extern std::string SearchFolder;  // folder the walk starts in, ending with "/"
extern std::string SearchPattern; // pattern a file name must match ("*.*")
extern bool SearchSubFolders;     // whether the walk descends into subfolders

// Points the search variables at Folder as every caller of a walk does just before
// it: SearchFolder = AddBackslash(Folder), every name, subfolders included.
void SetSearch(const std::string& Folder);

// Path unchanged when it ends with "/", else Path + "/"; "" gives "/".
std::string AddBackslash(const std::string& Path);
// The characters of Text before its first NUL.
std::string TrimAtNull(std::string_view Text);
// True when FileName matches Pattern as the Windows shell matcher would: "*.*" and
// "*" match every name, "?" one character, ";" separates patterns, letters compare
// without regard to case.
bool MatchSpec(std::string_view FileName, std::string_view Pattern);

// Appends Folder + relative path of every file below Folder (which ends with "/")
// to a list: files of any kind and name, symbolic links as themselves (never
// followed), folders whose names begin with "." skipped.
void WalkInto(const std::string& Folder, FileList& target);

void ListFilesBefore(const std::string& Folder);   // into Form1Lists().List7
void ListFilesAfter(const std::string& Folder);    // into Form1Lists().List6
void ListInternetFiles(const std::string& Folder); // into Form2Lists().List1
void ListTempFiles(const std::string& Folder);     // into Form2Lists().List2

} // namespace tidorax
