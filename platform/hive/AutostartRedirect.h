// Where the log-on value of the Run key is kept instead of the hive file.
#pragma once

#include <string>

namespace tidorax {

struct AutostartRedirect {
    // Folder that holds Tidora.desktop ($XDG_CONFIG_HOME/autostart).
    std::string folder;
    // Program started at log-on (the running program's folder joined with "tidorax").
    std::string exec;
};

} // namespace tidorax
