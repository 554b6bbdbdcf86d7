#include "update/Updater.h"

#include "infra/LogCategories.h"
#include "model/AppConstants.h"
#include "platform/CurlGlobal.h"

#include <QPointer>
#include <QThread>
#include <curl/curl.h>

namespace {

struct Download
{
    QByteArray body;
    bool tooLarge = false;
    std::shared_ptr<std::atomic<bool>> cancel;
};

size_t collect(char* data, size_t size, size_t count, void* context)
{
    auto* download = static_cast<Download*>(context);
    const size_t bytes = size * count;
    if (download->body.size() + static_cast<qint64>(bytes) > Updater::kMaxAppcastBytes) {
        download->tooLarge = true;
        return 0; // stops the transfer
    }
    download->body.append(data, static_cast<qsizetype>(bytes));
    return bytes;
}

int progress(void* context, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<Download*>(context)->cancel->load() ? 1 : 0;
}

// Blocking GET on the worker thread; returns an error sentence or an empty text.
QString fetch(const QByteArray& url, Download& download)
{
    CURL* easy = CurlGlobal::initialise() ? curl_easy_init() : nullptr;
    if (!easy)
        return QStringLiteral("the network library could not be started");
    char message[CURL_ERROR_SIZE] = {};
    const QByteArray userAgent =
        (AppConstants::appName + QLatin1Char('/') + AppConstants::appVersion).toUtf8();
    curl_easy_setopt(easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, 15L);
    curl_easy_setopt(easy, CURLOPT_TIMEOUT, 60L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, userAgent.constData());
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, message);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &download);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, progress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &download);
    const CURLcode code = curl_easy_perform(easy);
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(easy);

    if (download.tooLarge)
        return QStringLiteral("the update information is larger than expected");
    if (code != CURLE_OK)
        return QString::fromUtf8(message[0] ? message : curl_easy_strerror(code));
    if (status >= 400)
        return QStringLiteral("the server answered HTTP %1").arg(status);
    return {};
}
} // namespace

QString Updater::appcastUrlFromEnvironment()
{
    const QString configured = qEnvironmentVariable("ZELVORA_APPCAST_URL");
    return configured.isEmpty() ? kDefaultAppcastUrl : configured;
}

Updater::Updater(QString appcastUrl, QObject* parent)
    : QObject(parent), m_appcastUrl(std::move(appcastUrl)), m_currentVersion(AppConstants::appVersion),
      m_currentBuild(AppConstants::buildNumber)
{
    qRegisterMetaType<UpdateCheckResult>();
    qRegisterMetaType<AppcastItem>();
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        runCheck(false);
        m_timer.start(m_intervalMs);
    });
}

Updater::~Updater()
{
    if (m_worker) {
        m_cancel->store(true);
        m_worker->wait();
        delete m_worker;
    }
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
    if (m_worker)
        return; // the check in flight answers this one too
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    const QByteArray url = m_appcastUrl.toUtf8();
    QPointer<Updater> self(this);
    auto cancel = m_cancel;
    m_worker = QThread::create([self, url, cancel] {
        Download download{{}, false, cancel};
        const QString error = fetch(url, download);
        if (cancel->load())
            return;
        QMetaObject::invokeMethod(
            self.data(),
            [self, body = download.body, error] {
                if (self)
                    self->finishCheck(body, error);
            },
            Qt::QueuedConnection);
    });
    m_worker->start();
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

void Updater::finishCheck(const QByteArray& body, const QString& downloadError)
{
    m_worker->wait();
    delete m_worker;
    m_worker = nullptr;

    UpdateCheckResult result;
    if (!downloadError.isEmpty())
        result.error = tr("The update information could not be downloaded: %1.").arg(downloadError);
    else
        result = evaluate(body);

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
