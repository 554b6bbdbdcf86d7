// Main-thread costs of this process's outside contacts: a notification for one new announcement
// (settings reads, filter, body cut), one telemetry body, and reading an appcast.
#include "model/Preferences.h"
#include "notify/NotificationManager.h"
#include "telemetry/TelemetryService.h"
#include "update/Appcast.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
class NullBackend : public NotificationBackend
{
public:
    void post(const NotificationRequest&, Completion completion) override { completion({}); }
    void queryAvailability(AvailabilityHandler handler) override { handler(true, {}); }
};

Announcement arabicAnnouncement()
{
    QString description = QStringLiteral("<p>");
    for (int i = 0; i < 400; ++i)
        description += QString::fromUtf8("\u0623\u064E\u0639\u0652\u0644\u064E\u0646\u064E ") +
                       (i % 10 == 0 ? QStringLiteral("&amp; ") : QString());
    description += QStringLiteral("</p>");
    return Announcement(QStringLiteral("ia_123456"), QStringLiteral("Saudi Aramco announces cash dividend"),
                        description, QStringLiteral("https://portal.example/a"), Instant(),
                        {QStringLiteral("2222")});
}
} // namespace

static void BM_SendNotificationWatchlistFilter(benchmark::State& state)
{
    QTemporaryDir dir;
    Preferences preferences(dir.filePath(QStringLiteral("settings.json")));
    preferences.setShowAllAnnouncements(false);
    QSet<QString> watchlist;
    for (int i = 0; i < 50; ++i)
        watchlist.insert(QString::number(1000 + i * 37));
    watchlist.insert(QStringLiteral("2222"));
    preferences.setWatchlistSymbols(watchlist);
    const SystemClock clock;
    NotificationManager manager(preferences, std::make_unique<NullBackend>(),
                                dir.filePath(QStringLiteral("ui.json")), clock);
    const Announcement announcement = arabicAnnouncement();
    for (auto _ : state)
        manager.sendNotification(announcement);
}
BENCHMARK(BM_SendNotificationWatchlistFilter)->Unit(benchmark::kMicrosecond);

static void BM_SendNotificationShowAll(benchmark::State& state)
{
    QTemporaryDir dir;
    Preferences preferences(dir.filePath(QStringLiteral("settings.json")));
    const SystemClock clock;
    NotificationManager manager(preferences, std::make_unique<NullBackend>(),
                                dir.filePath(QStringLiteral("ui.json")), clock);
    const Announcement announcement = arabicAnnouncement();
    for (auto _ : state)
        manager.sendNotification(announcement);
}
BENCHMARK(BM_SendNotificationShowAll)->Unit(benchmark::kMicrosecond);

static void BM_TelemetryBody(benchmark::State& state)
{
    QTemporaryDir dir;
    Preferences preferences(dir.filePath(QStringLiteral("settings.json")));
    TelemetryService service(preferences, QStringLiteral("http://127.0.0.1:9/v2/"), false);
    const TelemetryPayload payload{{QStringLiteral("title"), arabicAnnouncement().title()}};
    for (auto _ : state)
        benchmark::DoNotOptimize(service.body(QStringLiteral("announcementOpened"), payload));
}
BENCHMARK(BM_TelemetryBody)->Unit(benchmark::kMicrosecond);

static void BM_ParseAppcast100Items(benchmark::State& state)
{
    QByteArray xml =
        "<?xml version=\"1.0\"?><rss version=\"2.0\" xmlns:sparkle=\"urn:zelvora:appcast\"><channel>";
    for (int i = 0; i < 100; ++i)
        xml += "<item><title>Zelvora 1." + QByteArray::number(i) + "</title><sparkle:version>" +
               QByteArray::number(i) + "</sparkle:version><sparkle:shortVersionString>1." +
               QByteArray::number(i) +
               ".0</sparkle:shortVersionString><description><![CDATA[<ul><li>Fixes</li></ul>]]></description>"
               "<enclosure url=\"https://dl.example/z.tar.gz\" length=\"1\"/></item>";
    xml += "</channel></rss>";
    for (auto _ : state)
        benchmark::DoNotOptimize(Appcast::parse(xml));
}
BENCHMARK(BM_ParseAppcast100Items)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
