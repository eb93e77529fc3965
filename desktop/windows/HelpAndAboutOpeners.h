// Registers the windows of this folder that the tray asks for by name: the About
// window and the first run's help-loading notice.
#pragma once

namespace tidorax {

void RegisterHelpAndAboutWindows();

} // namespace tidorax
