#include "model/Preferences.h"
#include "support/LoopbackHttpServer.h"
#include "telemetry/TelemetryService.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <future>

using namespace Qt::StringLiterals;

namespace {
const QString kArabic50 = QString::fromUtf8("\u0643\u064F").repeated(50); // 50 letters, each with a damma

int threadCount()
{
    return QDir(u"/proc/self/task"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
}
} // namespace

class TestTelemetryService : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Preferences> m_store;

private Q_SLOTS:
    void init()
    {
        const QString path = m_dir.filePath(u"settings.json"_s);
        QFile::remove(path);
        m_store = std::make_unique<Preferences>(path);
    }

    void bodies()
    {
        const struct
        {
            std::function<void(TelemetryService&)> send;
            const char* type;
            QByteArray payload;
        } rows[] = {
            {&TelemetryService::appLaunched, "appLaunched", "{}"},
            {[](TelemetryService& s) { s.announcementsRefreshed(42); }, "announcementsRefreshed",
             "{\"count\":\"42\"}"},
            // 51 graphemes cut to 50.
            {[](TelemetryService& s) { s.announcementOpened(kArabic50 + QString::fromUtf8("\u0644\u064F")); },
             "announcementOpened", "{\"title\":\"" + kArabic50.toUtf8() + "\"}"},
        };
        for (const auto& row : rows) {
            LoopbackHttpServer server;
            TelemetryService service(*m_store, QString::fromLatin1(server.url("/v2/")), false);
            row.send(service);
            QTRY_COMPARE_WITH_TIMEOUT(server.count(), 1, 30000);
            const LoopbackHttpServer::Request request = server.requests().first();
            QCOMPARE(request.method + ' ' + request.path + ' ' + request.contentType,
                     QByteArray("POST /v2/ application/json"));
            QCOMPARE(request.body, "[{\"appID\":\"3B7E9A41-52C8-4D0F-9E6A-1F2C8D4B7A90\",\"clientUser\":\"" +
                                       service.hashedUser().toLatin1() + "\",\"payload\":" + row.payload +
                                       ",\"sessionID\":\"" + service.sessionID().toLatin1() +
                                       "\",\"type\":\"" + row.type + "\"}]");
        }
    }

    void oneInstallationManyRuns()
    {
        LoopbackHttpServer server;
        const QString endpoint = QString::fromLatin1(server.url("/v2/"));
        TelemetryService first(*m_store, endpoint, false);
        first.appLaunched();
        first.settingsOpened();
        Preferences sameFile(m_store->filePath());
        TelemetryService second(sameFile, endpoint, false);
        second.appLaunched();
        QTRY_COMPARE_WITH_TIMEOUT(server.count(), 3, 30000);

        const QString stored = m_store->telemetryUserID();
        QVERIFY(!stored.isEmpty());
        const QString hash = QString::fromLatin1(
            QCryptographicHash::hash(stored.toUtf8(), QCryptographicHash::Sha256).toHex());

        QSet<QString> users, sessions;
        for (const auto& request : server.requests()) {
            const QJsonObject signal = QJsonDocument::fromJson(request.body).array().first().toObject();
            users.insert(signal.value(u"clientUser"_s).toString());
            sessions.insert(signal.value(u"sessionID"_s).toString());
        }
        QCOMPARE(users, QSet<QString>{hash});
        QCOMPARE(sessions, (QSet<QString>{first.sessionID(), second.sessionID()}));
        QVERIFY(first.sessionID() != second.sessionID());
    }

    void doNotTrackOrTheSwitchOffSendsNothing()
    {
        LoopbackHttpServer server;
        TelemetryService tracked(*m_store, QString::fromLatin1(server.url("/v2/")), true);
        TelemetryService service(*m_store, QString::fromLatin1(server.url("/v2/")), false);
        for (const bool environment : {true, false}) {
            if (!environment)
                m_store->setShareUsageStatistics(false); // the settings window's switch, off
            TelemetryService& sender = environment ? tracked : service;
            sender.appLaunched();
            sender.announcementsRefreshed(3);
            sender.announcementOpened(u"Arabian Energy Co. announces a dividend"_s);
            QCOMPARE(sender.inFlight(), 0);
            QVERIFY(m_store->telemetryUserID().isEmpty()); // not even an id is made
        }
        m_store->setShareUsageStatistics(true);
        service.settingsOpened();
        QTRY_COMPARE_WITH_TIMEOUT(server.count(), 1, 30000);
        QVERIFY(server.requests().first().body.contains("settingsOpened"));
    }

    void silentServerNeitherBlocksNorGrowsThreads()
    {
        std::promise<void> answer;
        const std::shared_future<void> answered = answer.get_future().share();
        LoopbackHttpServer server(
            [answered](const httplib::Request&, httplib::Response&) { answered.wait(); });
        TelemetryService service(*m_store, QString::fromLatin1(server.url("/v2/")), false);
        service.appLaunched();                               // starts the sender thread
        QTRY_COMPARE_WITH_TIMEOUT(server.count(), 1, 30000); // held by the server from now on
        const int threadsBefore = threadCount();
        for (int i = 1; i < 200; ++i)
            service.announcementsRefreshed(i);
        QCOMPARE(threadCount(), threadsBefore);
        QCOMPARE(service.inFlight(), TelemetryService::kMaxInFlight);
        QCOMPARE(service.dropped(), 200 - TelemetryService::kMaxInFlight);

        // When the server answers at last, the requests end and make room again.
        answer.set_value();
        QTRY_COMPARE_WITH_TIMEOUT(service.inFlight(), 0, 90000);
        QCOMPARE(threadCount(), threadsBefore);
    }
};

QTEST_GUILESS_MAIN(TestTelemetryService)
#include "tst_telemetryservice.moc"
