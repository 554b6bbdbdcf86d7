#include "platform/NetworkWatcher.h"

#include "infra/LogCategories.h"

#include <QNetworkInformation>

NetworkWatcher::NetworkWatcher(QObject* parent) : QObject(parent) {}

bool NetworkWatcher::watchSystem()
{
    if (!QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        return false;
    QNetworkInformation* information = QNetworkInformation::instance();
    // Only no network at all, or a local one without a way out, counts as offline: a doubtful
    // answer ("site", "unknown") must not silence real errors.
    const auto follow = [this](QNetworkInformation::Reachability reachability) {
        if (reachability == QNetworkInformation::Reachability::Unknown)
            return;
        setOnline(reachability != QNetworkInformation::Reachability::Disconnected &&
                  reachability != QNetworkInformation::Reachability::Local);
    };
    connect(information, &QNetworkInformation::reachabilityChanged, this, follow);
    follow(information->reachability());
    return true;
}

void NetworkWatcher::setOnline(bool online)
{
    if (online == m_online)
        return;
    m_online = online;
    if (online) {
        qCInfo(lcNetwork, "Back online");
        Q_EMIT cameBack();
    } else {
        qCInfo(lcNetwork, "Offline: feed errors are not logged until it is back");
        Q_EMIT wentOffline();
    }
}
