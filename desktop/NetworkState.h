// The system's network state as the About window asks for it, through Qt's network
// information backends (NetworkManager, else the GLib backend). Where no backend
// loads, the state is unknown, which counts as connected.
#pragma once

#include "core/notices/InternetConnection.h"

#include <QNetworkInformation>
#include <QUrl>

#include <string>

namespace tidorax {

// The core's reachability for Qt's.
Reachability ReachabilityFrom(QNetworkInformation::Reachability reachability);

class NetworkState {
public:
    // ConnectionText for the current state, mentioning a proxy when the system uses
    // one for the address.
    static std::string ConnectionText(const QUrl& address);

private:
    static Reachability currentReachability();
};

} // namespace tidorax
