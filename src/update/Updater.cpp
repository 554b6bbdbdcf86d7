#include "update/Updater.h"

#include "infra/LogCategories.h"
#include "model/AppConstants.h"

namespace {

HttpClient::Options downloadOptions()
{
    HttpClient::Options options;
    options.maxBodyBytes = Updater::kMaxAppcastBytes;
    options.userAgent = (AppConstants::appName + QLatin1Char('/') + AppConstants::appVersion).toUtf8();
    return options;
}
} // namespace

Updater::Updater(QString appcastUrl, QObject* parent)
    : QObject(parent), m_appcastUrl(std::move(appcastUrl)), m_currentVersion(AppConstants::appVersion),
      m_currentBuild(AppConstants::buildNumber), m_http(downloadOptions())
{
    qRegisterMetaType<UpdateCheckResult>();
    qRegisterMetaType<AppcastItem>();
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (!m_automaticChecksAllowed || m_automaticChecksAllowed())
            runCheck(false);
        m_timer.start(m_intervalMs);
    });
}

void Updater::setCurrentVersion(const QString& version, const QString& build)
{
    m_currentVersion = version;
    m_currentBuild = build;
}

void Updater::setSchedule(int firstCheckDelayMs, int intervalMs)
{
    m_firstCheckDelayMs = firstCheckDelayMs;
    m_intervalMs = intervalMs;
}

void Updater::start()
{
    m_timer.start(m_firstCheckDelayMs);
}

void Updater::checkNow()
{
    runCheck(true);
}

void Updater::runCheck(bool userInitiated)
{
    if (userInitiated)
        m_userWaiting = true;
    if (m_checking)
        return; // the check in flight answers this one too
    m_checking = true;
    m_http.start({m_appcastUrl.toUtf8(), {}, false, {}},
                 [this](const HttpClient::Result& download) { finishCheck(download); });
}

UpdateCheckResult Updater::evaluate(const QByteArray& xml) const
{
    UpdateCheckResult result;
    QString error;
    const auto items = Appcast::parse(xml, &error);
    if (!items) {
        result.error = tr("The update information could not be read: %1.").arg(error);
        return result;
    }
    result.latest = *Appcast::newest(*items);
    result.outcome = Appcast::isNewer(result.latest, m_currentVersion, m_currentBuild)
                         ? UpdateCheckResult::Outcome::UpdateAvailable
                         : UpdateCheckResult::Outcome::UpToDate;
    return result;
}

void Updater::finishCheck(const HttpClient::Result& download)
{
    m_checking = false;
    UpdateCheckResult result;
    const auto* response = std::get_if<HttpClient::Response>(&download);
    QString downloadError;
    if (!response)
        downloadError = std::get<QString>(download);
    else if (response->status >= 400)
        downloadError = QStringLiteral("the server answered HTTP %1").arg(response->status);
    if (!downloadError.isEmpty())
        result.error = tr("The update information could not be downloaded: %1.").arg(downloadError);
    else
        result = evaluate(response->body);

    const bool userWaiting = std::exchange(m_userWaiting, false);
    if (result.outcome == UpdateCheckResult::Outcome::Failed)
        qCInfo(lcUpdater, "Update check failed: %s", qUtf8Printable(result.error));
    else if (result.outcome == UpdateCheckResult::Outcome::UpdateAvailable)
        qCInfo(lcUpdater, "Version %s is available", qUtf8Printable(result.latest.displayVersion()));
    if (userWaiting)
        Q_EMIT checkFinished(result);
    else if (result.outcome == UpdateCheckResult::Outcome::UpdateAvailable)
        Q_EMIT updateFound(result.latest);
}
