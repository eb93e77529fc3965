// The places a user browses from on the "Your Folder" tab.
#pragma once

#include <QStringList>

namespace tidorax {

class MountTable;

// "/", the home folder and the mounted volumes a user would see, from the text of the
// mount table alone: no mounted file system is asked anything, so a mount that does
// not answer (a lost network or FUSE server) cannot hold the window up.
QStringList DefaultPlaces();
QStringList PlacesOf(const MountTable& mounts, const QString& home);

} // namespace tidorax
