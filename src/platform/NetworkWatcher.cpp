#include "platform/NetworkWatcher.h"

#include "infra/LogCategories.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

#ifndef Q_OS_LINUX
#include <QNetworkInformation>
#endif

namespace {
const QString kService = QStringLiteral("org.freedesktop.NetworkManager");
const QString kPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kInterface = QStringLiteral("org.freedesktop.NetworkManager");
} // namespace

NetworkWatcher::NetworkWatcher(const QDBusConnection& systemBus, QObject* parent)
    : QObject(parent), m_bus(systemBus)
{
}

std::optional<bool> NetworkWatcher::onlineIn(uint networkManagerState)
{
    // Only no network at all, or a local one without a way out, counts as offline: a doubtful
    // answer must not silence real errors.
    constexpr uint kUnknown = 0, kConnectedSite = 60; // asleep, (dis)connecting, local: below
    if (networkManagerState == kUnknown)
        return std::nullopt;
    return networkManagerState >= kConnectedSite;
}

void NetworkWatcher::networkManagerStateChanged(uint state)
{
    if (const std::optional<bool> online = onlineIn(state))
        setOnline(*online);
}

bool NetworkWatcher::watchSystem()
{
#ifdef Q_OS_LINUX
    if (!m_bus.isConnected())
        return false;
    // QtDBus delivers bus signals to slots named by their signature only.
    if (!m_bus.connect(kService, kPath, kInterface, QStringLiteral("StateChanged"), this,
                       SLOT(networkManagerStateChanged(uint))))
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kInterface << QStringLiteral("State");
    auto* call = new QDBusPendingCallWatcher(m_bus.asyncCall(get), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
        const QDBusPendingReply<QDBusVariant> reply = *finished;
        if (reply.isValid()) // no NetworkManager: the network counts as there
            networkManagerStateChanged(reply.value().variant().toUInt());
        finished->deleteLater();
    });
    return true;
#else
    if (!QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        return false;
    QNetworkInformation* information = QNetworkInformation::instance();
    const auto follow = [this](QNetworkInformation::Reachability reachability) {
        if (reachability == QNetworkInformation::Reachability::Unknown)
            return;
        setOnline(reachability != QNetworkInformation::Reachability::Disconnected &&
                  reachability != QNetworkInformation::Reachability::Local);
    };
    connect(information, &QNetworkInformation::reachabilityChanged, this, follow);
    follow(information->reachability());
    return true;
#endif
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
