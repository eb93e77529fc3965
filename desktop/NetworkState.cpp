#include "desktop/NetworkState.h"

#include <QNetworkProxyFactory>

namespace tidorax {

Reachability ReachabilityFrom(QNetworkInformation::Reachability reachability) {
    switch (reachability) {
    case QNetworkInformation::Reachability::Disconnected:
        return Reachability::Disconnected;
    case QNetworkInformation::Reachability::Local:
        return Reachability::Local;
    case QNetworkInformation::Reachability::Site:
        return Reachability::Site;
    case QNetworkInformation::Reachability::Online:
        return Reachability::Online;
    case QNetworkInformation::Reachability::Unknown:
        break;
    }
    return Reachability::Unknown;
}

Reachability NetworkState::currentReachability() {
    // One backend loads per process, and it stays: the first load decides.
    static const bool loaded =
        QNetworkInformation::loadDefaultBackend() ||
        QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability);
    const QNetworkInformation* information = QNetworkInformation::instance();
    if (!loaded || information == nullptr) {
        return Reachability::Unknown;
    }
    return ReachabilityFrom(information->reachability());
}

std::string NetworkState::ConnectionText(const QUrl& address) {
    const QList<QNetworkProxy> proxies =
        QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(address));
    const bool usesProxy = !proxies.isEmpty() && proxies.first().type() != QNetworkProxy::NoProxy;
    return tidorax::ConnectionText(currentReachability(), usesProxy);
}

} // namespace tidorax
