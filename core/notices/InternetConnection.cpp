#include "core/notices/InternetConnection.h"

namespace tidorax {

std::string ConnectionText(Reachability state, bool usesProxy) {
    switch (state) {
    case Reachability::Disconnected:
        return kNotConnected;
    case Reachability::Unknown:
        return {};
    case Reachability::Local:
    case Reachability::Site:
    case Reachability::Online:
        break;
    }
    std::string text = "You have a network connection configured.\r\n";
    text += "The local system connects to the Internet via a LAN";
    text += usesProxy ? ", and uses a proxy server. " : ".";
    return text;
}

} // namespace tidorax
