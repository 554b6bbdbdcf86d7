// The outbox end to end on a real archive file and real receivers on loopback: what a poll owes each
// output, and how deliveries fare when receivers fail, refuse, or a process dies mid-send.
#include "archive/PollRecorder.h"
#include "cli/StatusCommand.h"
#include "model/PollStatus.h"
#include "model/Preferences.h"
#include "outputs/DeliveryRoute.h"
#include "outputs/DeliveryRunner.h"
#include "outputs/OutputMessage.h"
#include "outputs/OutputSender.h"
#include "outputs/OutputStore.h"
#include "support/LoopbackHttpServer.h"
#include "support/ManualClock.h"
#include "support/StdoutCapture.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

const Instant kStart = Instant::fromUnixSeconds(1'796'565'600); // 2026-12-06 14:00 UTC

Announcement announcement(int n, const QString& title = {})
{
    return Announcement(u"se_%1"_s.arg(n),
                        title.isEmpty() ? u"أرامكو تعلن عن نتائج الربع %1"_s.arg(n) : title,
                        u"<p>نص الإعلان</p>"_s, u"https://www.saudiexchange.sa/n/%1"_s.arg(n),
                        kStart.addSeconds(60 + n), {u"2222"_s});
}

AnnouncementList announcements(int count)
{
    AnnouncementList list;
    for (int n = 0; n < count; ++n)
        list.append(announcement(n));
    return list;
}

// A receiver that answers with the statuses queued (then 200), recording every request.
class Receiver
{
public:
    void answer(int status, std::string retryAfter = {})
    {
        std::lock_guard lock(m_mutex);
        m_answers.emplace_back(status, std::move(retryAfter));
    }
    void slowly(int delayMs) { m_delayMs = delayMs; }
    QString url(const char* path) const { return QString::fromUtf8(m_server.url(path)); }
    QList<LoopbackHttpServer::Request> requests(const QByteArray& path) const
    {
        QList<LoopbackHttpServer::Request> all = m_server.requests();
        all.removeIf([&](const auto& request) { return request.path != path; });
        return all;
    }
    QStringList keys(const QByteArray& path) const
    {
        QStringList keys;
        for (const auto& request : requests(path))
            keys.append(QString::fromUtf8(request.header("Idempotency-Key")));
        return keys;
    }

private:
    std::mutex m_mutex;
    std::deque<std::pair<int, std::string>> m_answers;
    std::atomic<int> m_delayMs{0};
    LoopbackHttpServer m_server{[this](const httplib::Request&, httplib::Response& response) {
        std::this_thread::sleep_for(std::chrono::milliseconds(m_delayMs));
        std::lock_guard lock(m_mutex);
        if (m_answers.empty())
            return;
        response.status = m_answers.front().first;
        if (!m_answers.front().second.empty())
            response.set_header("Retry-After", m_answers.front().second);
        m_answers.pop_front();
    }};
};

} // namespace

class TestOutbox : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ManualClock> m_clock;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<PollRecorder> m_recorder;
    std::unique_ptr<Receiver> m_receiver;

    QString settingsFile() const { return m_dir->filePath(u"settings.json"_s); }

    void addOutput(const QString& name, OutputConfig::Kind kind, const QString& rule = {},
                   bool quietHours = false)
    {
        const QByteArray path = '/' + name.toUtf8();
        OutputStore(*m_preferences)
            .put({.name = name,
                  .kind = kind,
                  .url = m_receiver->url(path.constData()),
                  .rule = rule,
                  .quietHours = quietHours},
                 {});
    }

    // One poll that finds `fresh` (the first poll of the fixture made the baseline).
    void poll(const AnnouncementList& fresh)
    {
        QList<AnnouncementArchive::Record> records;
        for (const Announcement& each : fresh)
            records.append({each, u"tadawul"_s, u"ar"_s});
        const DeliveryRoute route(OutputStore(*m_preferences).outputs(), m_preferences->ruleSet(),
                                  m_preferences->groupNotificationsAbove());
        const auto outcome =
            m_recorder->record(records, {u"tadawul"_s}, m_clock->now(), u"ar"_s, {},
                               [&route](const AnnouncementList& news) { return route.entries(news); });
        QCOMPARE(outcome.fresh.size(), fresh.size());
    }

    DeliveryRunner runner(const QString& name = u"test"_s)
    {
        return DeliveryRunner(m_dir->path(), settingsFile(), name, *m_clock);
    }

    Outbox::Counts counts(const QString& output)
    {
        AnnouncementArchive archive(m_dir->path());
        [&] { QVERIFY(archive.open()); }();
        return Outbox(archive).counts().value(output);
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_clock = std::make_unique<ManualClock>(kStart);
        m_preferences = std::make_unique<Preferences>(settingsFile());
        m_recorder = std::make_unique<PollRecorder>(m_dir->path(), u"watch"_s,
                                                    [] { return PollRecorder::Previous{}; });
        m_receiver = std::make_unique<Receiver>();
        m_recorder->record({}, {u"tadawul"_s}, m_clock->now(), u"ar"_s); // the baseline
        m_clock->advance(180);
    }

    // What each answer makes of a delivery: when it is tried again, and whether it ever is.
    void eachAnswerDecidesTheDeliverysFate_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("retryAfter");
        QTest::addColumn<double>("retryIn"); // seconds; 0: never again
        QTest::addColumn<int>("failed");
        QTest::newRow("503: the first pause") << 503 << QByteArray() << 5.0 << 0;
        QTest::newRow("429: its Retry-After") << 429 << QByteArray("120") << 120.0 << 0;
        QTest::newRow("404: refused, never again") << 404 << QByteArray() << 0.0 << 1;
    }
    void eachAnswerDecidesTheDeliverysFate()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, retryAfter);
        QFETCH(double, retryIn);
        QFETCH(int, failed);
        addOutput(u"phone"_s, OutputConfig::Kind::Webhook);
        m_receiver->answer(status, retryAfter.toStdString());
        poll({announcement(1)});

        const DeliveryRunner::Report first = runner().run();
        QCOMPARE(first.delivered, 0);
        QCOMPARE(first.refusals.size(), failed);
        if (failed)
            QCOMPARE(first.refusals.first(), std::pair(u"phone"_s, u"HTTP %1"_s.arg(status)));
        QCOMPARE(counts(u"phone"_s).failed, failed);

        // Restarted just before the retry falls due: nothing is sent; at it, the delivery goes out.
        const double wait = retryIn > 0 ? retryIn : 2 * 86400;
        m_clock->advance(wait - 1);
        QCOMPARE(runner(u"after a restart"_s).run().delivered, 0);
        QCOMPARE(m_receiver->requests("/phone").size(), 1);
        m_clock->advance(1);
        QCOMPARE(runner(u"after a restart"_s).run().delivered, failed ? 0 : 1);
        m_clock->advance(86400);
        QCOMPARE(runner().run().delivered, 0); // delivered or refused: never sent again
        QCOMPARE(m_receiver->keys("/phone"), QStringList(failed ? 1 : 2, u"se_1"_s));
        QCOMPARE(counts(u"phone"_s).pending, 0);
    }

    void aRefusalIsReportedOnceInTheStatus()
    {
        addOutput(u"phone"_s, OutputConfig::Kind::Ntfy);
        m_receiver->answer(401);
        m_receiver->answer(401);
        poll({announcement(1)});
        poll({announcement(2)}); // a second refusal of the same kind says nothing new
        const DeliveryRunner::Report report = runner().run();
        QCOMPARE(report.refusals.size(), 1); // the output is left alone for the rest of the run
        PollStatus status;
        QVERIFY(status.setOutputRefusal(u"phone"_s, report.refusals.first().second));
        QVERIFY(!status.setOutputRefusal(u"phone"_s, runner().run().refusals.value(0).second));
        const QString statusFile = m_dir->filePath(PollStatus::kFileName);
        QVERIFY(status.save(statusFile));

        StdoutCapture out;
        StatusCommand(statusFile, settingsFile()).run({}, m_clock->now());
        QVERIFY2(out.text().contains(u"Output “phone” refused: HTTP 401\n"_s), qPrintable(out.text()));
        QVERIFY2(out.text().contains(u"Output phone: 0 pending, 2 failed\n"_s), qPrintable(out.text()));
        // Delivered again: the line goes.
        QVERIFY(status.setOutputRefusal(u"phone"_s, {}));
        QVERIFY(status.outputProblem().isEmpty());
    }

    // Rules route, bursts are grouped past the threshold except for webhooks, the desktop switch does
    // not matter, an output that keeps quiet hours waits for a pause to end; Arabic arrives intact.
    void whatEachOutputGets()
    {
        m_preferences->setNotificationsEnabled(false);
        m_preferences->setRules({Rule(u"divs"_s, {}, {u"dividend"_s}, {}, {})});
        addOutput(u"hook"_s, OutputConfig::Kind::Webhook);
        addOutput(u"phone"_s, OutputConfig::Kind::Ntfy);
        addOutput(u"divs"_s, OutputConfig::Kind::Ntfy, u"divs"_s);
        addOutput(u"night"_s, OutputConfig::Kind::Webhook, {}, true);
        m_preferences->setPausedUntil(m_clock->now().addSeconds(3600));
        AnnouncementList burst = announcements(8);
        burst[3] = announcement(3, u"Arabian Energy announces a cash dividend"_s);
        poll(burst);

        const DeliveryRunner::Report report = runner().run();
        QCOMPARE(report.delivered, 8 + 2 + 1);
        QCOMPARE(report.nextDue, m_clock->now().addSeconds(3600)); // the pause's end
        QCOMPARE(m_receiver->requests("/hook").size(), 8);
        const auto hooked = QJsonDocument::fromJson(m_receiver->requests("/hook").first().body).object();
        QCOMPARE(hooked[u"title"_s].toString(), burst.first().title());
        QCOMPARE(hooked[u"text"_s].toString(), u"نص الإعلان"_s);
        const auto phone = m_receiver->requests("/phone");
        QCOMPARE(phone.size(), 2); // the rule's match on its own, the other seven summed up
        QCOMPARE(QString::fromUtf8(phone.at(0).body), u"نص الإعلان\n\nhttps://www.saudiexchange.sa/n/3"_s);
        QVERIFY2(phone.at(1).body.contains(burst.last().title().toUtf8()), phone.at(1).body.constData());
        QCOMPARE(m_receiver->requests("/divs").size(), 1);
        QCOMPARE(m_receiver->requests("/night").size(), 0);

        m_clock->advance(3600);
        QCOMPARE(runner().run().delivered, 8);
        QCOMPARE(m_receiver->keys("/night"), m_receiver->keys("/hook"));
    }

    // Two runners (as two processes would) on the same outbox at once: every delivery goes out once.
    void twoRunnersNeverSendTheSameDelivery()
    {
        addOutput(u"hook"_s, OutputConfig::Kind::Webhook);
        poll(announcements(30));
        m_receiver->slowly(3);
        DeliveryRunner::Report reports[2];
        std::thread other([&] { reports[1] = runner(u"other"_s).run(); });
        reports[0] = runner(u"one"_s).run();
        other.join();
        QCOMPARE(reports[0].delivered + reports[1].delivered, 30);
        QVERIFY2(reports[0].delivered > 0 && reports[1].delivered > 0, "both runners took a share");
        const QStringList keys = m_receiver->keys("/hook");
        QCOMPARE(keys.size(), 30);
        QCOMPARE(QSet<QString>(keys.cbegin(), keys.cend()).size(), 30);
    }

    // A process that sent and died before marking: its claim holds the delivery until it lapses, then
    // another sends it once more, with the same key, and never again.
    void aProcessKilledMidSendLeavesOneDuplicateWithTheSameKey()
    {
        addOutput(u"hook"_s, OutputConfig::Kind::Webhook);
        poll({announcement(7)});
        {
            AnnouncementArchive archive(m_dir->path());
            QVERIFY(archive.open());
            const auto claimed = Outbox(archive).claim(u"killed"_s, m_clock->now(), {u"hook"_s}, {});
            QVERIFY(claimed);
            const auto config = OutputStore(*m_preferences).output(u"hook"_s);
            QVERIFY(OutputSender::make(*config, {}, *m_clock)
                        ->send(OutputMessage({OutputItem::of(*archive.find(u"se_7"_s), {}, {})}))
                        .isDelivered());
        } // killed here: never marked
        m_clock->advance(Outbox::kClaimSeconds - 1);
        QCOMPARE(runner().run().delivered, 0); // the claim still holds: no concurrent send
        m_clock->advance(1);
        QCOMPARE(runner().run().delivered, 1);
        m_clock->advance(86400);
        QCOMPARE(runner().run().delivered, 0);
        QCOMPARE(m_receiver->keys("/hook"), (QStringList{u"se_7"_s, u"se_7"_s}));
    }
};

QTEST_GUILESS_MAIN(TestOutbox)
#include "tst_outbox.moc"
