// The places a user browses from on the "Your Folder" tab.
#pragma once

#include <QStringList>

namespace tidorax {

// "/", the home folder and the mounted volumes a user would see.
QStringList DefaultPlaces();

} // namespace tidorax
