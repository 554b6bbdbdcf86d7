#pragma once

#include "infra/HttpClient.h"

#include <QMap>
#include <QString>
#include <memory>
#include <optional>

class Preferences;

using TelemetryPayload = QMap<QString, QString>;

// Anonymous usage signals: one fire-and-forget JSON POST per signal, identified only by a hash of a
// random installation id and by a random id of this run. Nothing is sent while the environment says
// DO_NOT_TRACK (any value but "" and "0": `doNotTrack`) or while the settings say shareUsageStatistics =
// false. Call from the main thread; every call returns at once. At most kMaxInFlight signals are queued or
// being sent, and a signal beyond that is dropped, so a dead or silent server costs neither threads nor
// memory. Answers are never read.
class TelemetryService
{
public:
    static inline const QString kAppID = QStringLiteral("3B7E9A41-52C8-4D0F-9E6A-1F2C8D4B7A90");
    static inline const QString kDefaultEndpoint = QStringLiteral("https://nom.telemetrydeck.com/v2/");
    static constexpr int kTitleLength = 50; // grapheme clusters
    static constexpr int kMaxInFlight = 8;

    TelemetryService(Preferences& preferences, QString endpoint, bool doNotTrack);

    // The six signals:
    void appLaunched();                            // once per launch, at start-up
    void announcementsRefreshed(int count);        // a poll ended with a non-empty kept list of `count`
    void announcementOpened(const QString& title); // the menu opens an announcement, before its window
    void settingsOpened();                         // after the settings window is shown
    void languageChanged(const QString& language); // not sent by the application today
    void notificationSent(const QString& title);   // not sent by the application today

    // The common sender behind the six: one POST of [{appID, clientUser, sessionID, type, payload}].
    void send(const QString& type, const TelemetryPayload& payload = {});

    bool sharingAllowed() const; // the settings window's switch, read now

    const QString& sessionID() const { return m_sessionID; }
    QString userID();     // made and stored on first use
    QString hashedUser(); // lower-case hex SHA-256 of userID's UTF-8 bytes
    QByteArray body(const QString& type, const TelemetryPayload& payload);
    int inFlight() const { return m_inFlight; }
    int dropped() const { return m_dropped; }

private:
    Preferences& m_preferences;
    bool m_doNotTrack;
    QString m_endpoint;
    QString m_sessionID;
    std::optional<QString> m_userID;
    int m_inFlight = 0;
    int m_dropped = 0;
    HttpClient m_http; // last: abandons what is still in flight before the rest goes
};
