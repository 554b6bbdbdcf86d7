#include "telemetry/TelemetryService.h"

#include "infra/SettingsStore.h"
#include "model/AppConstants.h"
#include "model/Preferences.h"
#include "model/UnicodeText.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <QUuid>

namespace {
QString newUuid()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

TelemetryPayload titlePayload(const QString& title)
{
    return {{QStringLiteral("title"), UnicodeText::leftGraphemes(title, TelemetryService::kTitleLength)}};
}

HttpClient::Options postOptions()
{
    HttpClient::Options options;
    options.maxBodyBytes = qint64{64} * 1024; // the answer is not read
    options.acceptEncoding.clear();           // no header beyond the body's type
    return options;
}
} // namespace

TelemetryService::TelemetryService(Preferences& preferences, QString endpoint, bool doNotTrack)
    : m_preferences(preferences), m_doNotTrack(doNotTrack), m_endpoint(std::move(endpoint)),
      m_sessionID(newUuid()), m_http(postOptions())
{
}

bool TelemetryService::sharingAllowed() const
{
    // Read at every signal, so switching it off in the settings window stops the next one.
    return m_preferences.shareUsageStatistics();
}

void TelemetryService::appLaunched()
{
    send(QStringLiteral("appLaunched"));
}

void TelemetryService::announcementsRefreshed(int count)
{
    send(QStringLiteral("announcementsRefreshed"), {{QStringLiteral("count"), QString::number(count)}});
}

void TelemetryService::announcementOpened(const QString& title)
{
    send(QStringLiteral("announcementOpened"), titlePayload(title));
}

void TelemetryService::settingsOpened()
{
    send(QStringLiteral("settingsOpened"));
}

void TelemetryService::languageChanged(const QString& language)
{
    send(QStringLiteral("languageChanged"), {{QStringLiteral("language"), language}});
}

void TelemetryService::notificationSent(const QString& title)
{
    send(QStringLiteral("notificationSent"), titlePayload(title));
}

QString TelemetryService::userID()
{
    if (m_userID)
        return *m_userID;
    if (const QString stored = m_preferences.telemetryUserID(); !stored.isEmpty()) {
        m_userID = stored;
    } else {
        m_userID = newUuid();
        m_preferences.setTelemetryUserID(*m_userID);
    }
    return *m_userID;
}

QString TelemetryService::hashedUser()
{
    return QString::fromLatin1(
        QCryptographicHash::hash(userID().toUtf8(), QCryptographicHash::Sha256).toHex());
}

QByteArray TelemetryService::body(const QString& type, const TelemetryPayload& payload)
{
    QJsonObject payloadObject;
    for (auto it = payload.cbegin(); it != payload.cend(); ++it)
        payloadObject.insert(it.key(), it.value());
    const QJsonObject signal{{QStringLiteral("appID"), kAppID},
                             {QStringLiteral("clientUser"), hashedUser()},
                             {QStringLiteral("sessionID"), m_sessionID},
                             {QStringLiteral("type"), type},
                             {QStringLiteral("payload"), payloadObject}};
    return QJsonDocument(QJsonArray{signal}).toJson(QJsonDocument::Compact);
}

void TelemetryService::send(const QString& type, const TelemetryPayload& payload)
{
    if (m_doNotTrack || !sharingAllowed())
        return;
    const QUrl url(m_endpoint, QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http")))
        return; // failures are silent by design
    if (m_inFlight >= kMaxInFlight) {
        ++m_dropped;
        return;
    }
    ++m_inFlight;
    m_http.start(
        {url.toEncoded(), {QByteArrayLiteral("Content-Type: application/json")}, true, body(type, payload)},
        [this](const HttpClient::Result&) { --m_inFlight; });
}
