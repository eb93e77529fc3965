// The About window's picture, 150 x 180 pixels: the program's waste bin with its
// sparkle on a blue ground, above the program's name.
#pragma once

#include <QPixmap>

namespace tidorax {

QPixmap AboutPicture();

} // namespace tidorax
