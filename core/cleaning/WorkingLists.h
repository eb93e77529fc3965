// The lists a cleaning run works with. The hidden main window holds the engine's
// working lists; the options window shows what the engine leaves in its tabs.
#pragma once

#include <string>
#include <vector>

namespace tidorax {

// A list of full paths. Holds any number of entries; counts are 64-bit.
using FileList = std::vector<std::string>;

struct MainWindowLists {
    FileList List1; // saved cookies during a cookie cleaning
    FileList List2; // cookie files found, then those to be deleted
    FileList List5; // special cookie site names during a cookie cleaning
    FileList List6; // files still present after a cleaning run
    FileList List7; // files found before a cleaning run
};

// What the options window's cleaning tabs show; filled by the engine for "Form2".
struct OptionsWindowLists {
    FileList List1;      // Internet tab: files left in the Temporary Internet Files folder
    std::string Label1;  // Internet tab count line
    FileList List2;      // Temp tab: files left in the Temp folder
    std::string Label5;  // Temp tab count line
    std::string Label6;  // Temp tab "in use" line
    FileList List3;      // Cookies tab: every file in the Cookies folder
    FileList List4;      // Cookies tab: the saved cookies, as stored
    std::string Label12; // Cookies tab count line
    std::string Label14; // Cookies tab saved-cookies line
};

MainWindowLists& Form1Lists();
OptionsWindowLists& Form2Lists();

} // namespace tidorax
