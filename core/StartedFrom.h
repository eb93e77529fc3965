// Where a cleaning run was started: the tray menu or the options window. The count
// window's place and colour, whether the options window comes back after the count,
// and whether an empty list of user folders is told about depend on it.
#pragma once

namespace tidorax {

enum class StartedFrom { TrayMenu, OptionsWindow };

} // namespace tidorax
