#pragma once

#include "infra/HttpClient.h"
#include "model/AppConstants.h"
#include "update/Appcast.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

struct UpdateCheckResult
{
    enum class Outcome { UpToDate, UpdateAvailable, Failed };
    Outcome outcome = Outcome::Failed;
    AppcastItem latest; // the newest release listed (set unless Failed)
    QString error;      // a sentence for the user when Failed
};
Q_DECLARE_METATYPE(UpdateCheckResult)

// Looks for a newer release in an appcast. `start()` checks quietly a minute after start and then
// daily, telling only of a newer version (`updateFound`); `checkNow()` always answers
// (`checkFinished`). Downloads run on the HTTP client's worker thread; signals arrive on this
// object's thread.
class Updater : public QObject
{
    Q_OBJECT
public:
    static inline const QString kDefaultAppcastUrl = AppConstants::homepage + QStringLiteral("/appcast.xml");
    static constexpr int kFirstCheckDelayMs = 60 * 1000;
    static constexpr int kCheckIntervalMs = 24 * 60 * 60 * 1000;
    static constexpr qint64 kMaxAppcastBytes = qint64{2} * 1024 * 1024;

    // ZELVORA_APPCAST_URL when set, else the default address.

    explicit Updater(QString appcastUrl, QObject* parent = nullptr);

    void setCurrentVersion(const QString& version, const QString& build);
    void setSchedule(int firstCheckDelayMs, int intervalMs);
    // Asked before each scheduled check; a check it refuses makes no request. Checks the user asks
    // for (`checkNow()`) always run.
    void setAutomaticChecksAllowed(std::function<bool()> allowed)
    {
        m_automaticChecksAllowed = std::move(allowed);
    }

    void start();
    void checkNow();
    bool isChecking() const { return m_checking; }
    const QString& appcastUrl() const { return m_appcastUrl; }

    UpdateCheckResult evaluate(const QByteArray& xml) const;

Q_SIGNALS:
    void checkFinished(const UpdateCheckResult& result);
    void updateFound(const AppcastItem& latest);

private:
    void runCheck(bool userInitiated);
    void finishCheck(const HttpClient::Result& download);

    QString m_appcastUrl;
    QString m_currentVersion;
    QString m_currentBuild;
    int m_firstCheckDelayMs = kFirstCheckDelayMs;
    int m_intervalMs = kCheckIntervalMs;
    std::function<bool()> m_automaticChecksAllowed;
    QTimer m_timer;
    bool m_checking = false;
    bool m_userWaiting = false; // a checkNow() is waiting for the check in flight
    HttpClient m_http;          // last: cancels and waits for its download before the rest goes
};
