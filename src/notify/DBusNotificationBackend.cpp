#include "notify/DBusNotificationBackend.h"

#include "model/AppConstants.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QRegularExpression>
#include <algorithm>

namespace {
// Long enough for a busy desktop, short enough that a hung service does not hold the queue for long.
constexpr int kCallTimeoutMs = 10000;

QDBusMessage methodCall(const QString& method)
{
    return QDBusMessage::createMethodCall(DBusNotificationBackend::kService, DBusNotificationBackend::kPath,
                                          DBusNotificationBackend::kInterface, method);
}

QString describe(const QDBusError& error)
{
    return error.name() + QStringLiteral(": ") + error.message();
}
} // namespace

DBusNotificationBackend::DBusNotificationBackend(QDBusConnection connection, QObject* parent)
    : NotificationBackend(parent), m_connection(std::move(connection))
{
    if (!m_connection.isConnected())
        return;
    // Signals are taken only from the service's current owner and only for ids posted here.
    m_connection.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                         SLOT(onActionInvoked(uint, QString)));
    m_connection.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                         SLOT(onNotificationClosed(uint, uint)));
    // A new service numbers its notifications afresh: what we knew of the old one's ids is void.
    auto* watcher =
        new QDBusServiceWatcher(kService, m_connection, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, [this] {
        m_posted.clear();
        m_idByIdentifier.clear();
        m_order.clear();
        m_capabilities.reset();
    });
}

void DBusNotificationBackend::post(const NotificationRequest& request, Completion completion)
{
    m_queue.push_back({request, std::move(completion)});
    sendNext();
}

void DBusNotificationBackend::sendNext()
{
    if (m_busy || m_queue.empty())
        return;
    if (!m_connection.isConnected()) {
        const QString error = QStringLiteral("no session bus: ") + describe(m_connection.lastError());
        while (!m_queue.empty()) {
            Pending pending = std::move(m_queue.front());
            m_queue.pop_front();
            if (pending.completion)
                pending.completion(error);
        }
        return;
    }
    m_busy = true;
    if (!m_capabilities) {
        // Servers that announce "body-markup" read the body as markup, so it must be escaped there.
        auto* watcher = new QDBusPendingCallWatcher(
            m_connection.asyncCall(methodCall(QStringLiteral("GetCapabilities")), kCallTimeoutMs), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
            call->deleteLater();
            const QDBusPendingReply<QStringList> reply = *call;
            // A failed call leaves them unknown (the next post asks again); a server without the
            // method simply has none to announce.
            if (reply.isValid())
                m_capabilities = reply.value();
            else if (reply.error().type() == QDBusError::UnknownMethod)
                m_capabilities = QStringList();
            m_busy = false;
            if (!m_capabilities) {
                const QString error = describe(reply.error());
                Pending pending = std::move(m_queue.front());
                m_queue.pop_front();
                if (pending.completion)
                    pending.completion(error);
            }
            sendNext();
        });
        return;
    }
    Pending pending = std::move(m_queue.front());
    m_queue.pop_front();
    sendNotify(pending);
}

bool DBusNotificationBackend::readsMarkup() const
{
    return m_capabilities && m_capabilities->contains(QStringLiteral("body-markup"));
}

QString DBusNotificationBackend::bodyFor(const QString& text) const
{
    return readsMarkup() ? text.toHtmlEscaped() : text;
}

QString DBusNotificationBackend::summaryFor(const QString& title) const
{
    // The standard gives the summary no markup, yet some servers that read the body's render it in the
    // summary too: a title is sent as text, without anything that looks like a tag.
    static const QRegularExpression tag(QStringLiteral("</?[A-Za-z][^<>]*>"));
    QString text = QString(title).remove(tag).simplified();
    if (readsMarkup())
        text.replace(QLatin1Char('&'), QLatin1String("&amp;"))
            .replace(QLatin1Char('<'), QLatin1String("&lt;"))
            .replace(QLatin1Char('>'), QLatin1String("&gt;"));
    return text;
}

void DBusNotificationBackend::sendNotify(const Pending& pending)
{
    const NotificationRequest& request = pending.request;
    QDBusMessage message = methodCall(QStringLiteral("Notify"));
    QVariantMap hints{{QStringLiteral("desktop-entry"), AppConstants::desktopEntry},
                      {QStringLiteral("sound-name"), kDefaultSound}};
    if (request.urgent)
        hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(2))); // critical: no time-out
    // Only a notification that opens something when clicked offers "Open".
    QStringList actions =
        request.data.isEmpty() ? QStringList() : QStringList{QStringLiteral("default"), tr("Open")};
    if (!request.symbols.isEmpty())
        actions << kMuteAction << tr("Mute This Company Today");
    message << AppConstants::appName << m_idByIdentifier.value(request.identifier, 0u) << QString()
            << summaryFor(request.title) << bodyFor(request.body) << actions << hints
            << (request.urgent ? 0 : -1);
    auto* watcher = new QDBusPendingCallWatcher(m_connection.asyncCall(message, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, pending](QDBusPendingCallWatcher* call) { finishNotify(call, pending); });
}

void DBusNotificationBackend::finishNotify(QDBusPendingCallWatcher* watcher, const Pending& pending)
{
    watcher->deleteLater();
    const QDBusPendingReply<uint> reply = *watcher;
    QString error;
    if (reply.isError()) {
        error = describe(reply.error());
        // The service may have gone; ask for its capabilities again when it comes back.
        m_capabilities.reset();
    } else {
        const uint id = reply.value();
        const QString& identifier = pending.request.identifier;
        if (const auto previous = m_idByIdentifier.constFind(identifier);
            previous != m_idByIdentifier.cend() && previous.value() != id)
            forget(previous.value());
        if (m_posted.contains(id))
            m_order.erase(std::remove(m_order.begin(), m_order.end(), id), m_order.end());
        m_posted.insert(id, {identifier, pending.request.data, pending.request.symbols});
        m_idByIdentifier.insert(identifier, id);
        m_order.push_back(id);
        while (m_order.size() > static_cast<size_t>(kMaxTracked))
            forget(m_order.front());
    }
    m_busy = false;
    if (pending.completion)
        pending.completion(error);
    sendNext();
}

void DBusNotificationBackend::forget(uint id)
{
    const auto it = m_posted.constFind(id);
    if (it == m_posted.cend())
        return;
    if (m_idByIdentifier.value(it->identifier) == id)
        m_idByIdentifier.remove(it->identifier);
    m_posted.erase(it);
    m_order.erase(std::remove(m_order.begin(), m_order.end(), id), m_order.end());
}

void DBusNotificationBackend::onActionInvoked(uint id, const QString& actionKey)
{
    const auto it = m_posted.constFind(id);
    if (it == m_posted.cend())
        return; // another program's notification
    if (actionKey == QLatin1String("default"))
        Q_EMIT activated(it->data);
    else if (actionKey == kMuteAction && !it->symbols.isEmpty())
        Q_EMIT muteRequested(it->symbols);
    // Any other key is an action we did not offer.
}

void DBusNotificationBackend::onNotificationClosed(uint id, uint)
{
    forget(id);
}

void DBusNotificationBackend::queryAvailability(AvailabilityHandler handler)
{
    if (!m_connection.isConnected()) {
        handler(false, QStringLiteral("no session bus: ") + describe(m_connection.lastError()));
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(
        m_connection.asyncCall(methodCall(QStringLiteral("GetServerInformation")), kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [handler](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        const QDBusPendingReply<QString, QString, QString, QString> reply = *call;
        if (reply.isValid()) {
            handler(true, {});
            return;
        }
        // Nobody owning the name is a plain "no"; anything else is a failed question.
        const QDBusError error = reply.error();
        if (error.type() == QDBusError::ServiceUnknown ||
            error.name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
            handler(false, {});
        else
            handler(false, describe(error));
    });
}
