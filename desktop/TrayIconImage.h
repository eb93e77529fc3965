// The program's own 32x32 icon, carried in the program's resources.
#pragma once

#include <QIcon>

namespace tidorax {

QIcon TrayIconImage();

} // namespace tidorax
