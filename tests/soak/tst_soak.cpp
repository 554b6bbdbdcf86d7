// A month of daily use, fast: the real fetcher, cache file, settings file and notification manager
// against the portal simulator, on a held clock, through weeks of publishing, restarts, language and
// interval changes, filters, portal faults and nights asleep. Every poll is checked.
//
// ZELVORA_SOAK_DAYS sets the number of simulated days (default 30; `make soak DAYS=N`).
#include "SoakPortal.h"
#include "fetch/AnnouncementCache.h"
#include "fetch/AnnouncementFetcher.h"
#include "model/Preferences.h"
#include "notify/NotificationManager.h"
#include "support/ManualClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <malloc.h>
#include <memory>

using portalsim::Fault;
using portalsim::Feed;

namespace {
constexpr double kHour = 3600.0;
constexpr double kDay = 86400.0;

// The desktop's side of notifications: records what would be shown.
class RecordingBackend : public NotificationBackend
{
public:
    explicit RecordingBackend(QStringList& posted) : m_posted(posted) {}
    void post(const NotificationRequest& request, Completion completion) override
    {
        m_posted.append(request.identifier);
        completion({});
    }
    void queryAvailability(AvailabilityHandler handler) override { handler(true, {}); }

private:
    QStringList& m_posted;
};

// One run of the program over the soak's files, wired as the tray program and `watch` wire it:
// every announcement a poll reports as new goes to the notification manager.
struct Program
{
    Preferences preferences;
    NotificationManager notifications;
    AnnouncementFetcher fetcher;

    Program(const QTemporaryDir& dir, const Clock& clock, const QString& origin, QStringList& posted)
        : preferences(dir.filePath(QStringLiteral("settings.json"))),
          notifications(preferences, std::make_unique<RecordingBackend>(posted),
                        dir.filePath(QStringLiteral("ui-state.json")), clock),
          fetcher(preferences, clock, {dir.filePath(QStringLiteral("Quvex")), origin, 30000})
    {
        QObject::connect(&fetcher, &AnnouncementFetcher::pollFinished, &notifications,
                         [this](const AnnouncementsUpdate& update) {
                             for (const Announcement& announcement : update.newAnnouncements)
                                 notifications.sendNotification(announcement);
                         });
    }
};

int soakDays()
{
    bool ok = false;
    const int days = qEnvironmentVariableIntValue("ZELVORA_SOAK_DAYS", &ok);
    return ok && days > 0 ? days : 30;
}

// Sunday 07:00 in Riyadh, in the era the simulated portal's ids belong to.
double firstMorning()
{
    double midnight = SoakPortal::riyadhMidnight(1780000000.0);
    while (SoakPortal::riyadhWeekday(midnight + kHour) != 0)
        midnight += kDay;
    return midnight + 7 * kHour;
}
} // namespace

class TestSoak : public QObject
{
    Q_OBJECT

    struct Figures
    {
        int polls = 0;
        int failedPolls = 0;
        int restarts = 0;
        int notified = 0;
        int notifiedTwice = 0;
        int missed = 0;
        int announcedAtStart = 0;
    };

    // The portal's answer as the test has set it up.
    struct PortalFaults
    {
        bool accessDenied = false; // both feeds: the firewall's 403 page
        bool issuerHtml = false;   // issuer feed: an HTML page with status 200
        bool marketDown = false;   // market news: 503
    };

    ManualClock m_clock{Instant::fromUnixSeconds(firstMorning())};
    QTemporaryDir m_dir;
    std::unique_ptr<portalsim::PortalSimulator> m_sim;
    std::unique_ptr<SoakPortal> m_portal;
    std::unique_ptr<Program> m_program;
    QStringList m_posted;
    QList<AnnouncementsUpdate> m_finished;
    PortalFaults m_faults;
    Figures m_figures;
    double m_interval = 600;
    bool m_runPolled = false;  // the running program has completed a poll
    double m_runStartedAt = 0; // what the portal showed up to then was there at start-up
    double m_lastPollAt = 0;   // the last completed poll of any run
    bool m_issuerMissedStart = false;
    bool m_marketMissedStart = false;
    AnnouncementList m_previousKept; // what the last completed poll kept (empty after a restart of polling)
    QList<qint64> m_heldByWeek;      // bytes the program held at each week's Sunday restart

    QString language() const { return m_program->preferences.language(); }

    void applyFaults()
    {
        m_sim->clearFaults();
        // Uncompressed answers: other tests cover the encodings, and this one polls a thousand times.
        Fault plain;
        plain.encoding = portalsim::Encoding::Identity;
        Fault denied;
        denied.status = 403;
        Fault html;
        html.body = Fault::Body::HtmlPage;
        Fault down;
        down.status = 503;
        for (const Feed feed : {Feed::IssuerEN, Feed::IssuerAR, Feed::MarketEN, Feed::MarketAR}) {
            const bool issuer = feed == Feed::IssuerEN || feed == Feed::IssuerAR;
            if (m_faults.accessDenied)
                m_sim->setFault(feed, 0, denied);
            else if (issuer && m_faults.issuerHtml)
                m_sim->setFault(feed, 0, html);
            else if (!issuer && m_faults.marketDown)
                m_sim->setFault(feed, 0, down);
            else
                m_sim->setFault(feed, 0, plain);
        }
    }

    void start()
    {
        m_program =
            std::make_unique<Program>(m_dir, m_clock, QString::fromStdString(m_sim->origin()), m_posted);
        m_runPolled = false;
        QObject::connect(&m_program->fetcher, &AnnouncementFetcher::pollFinished, this,
                         [this](const AnnouncementsUpdate& update) { m_finished.append(update); });
    }

    void restart(bool measure = false)
    {
        // What the program holds is what it gives back when it ends, once nothing else shares it:
        // no broadcast is left in the queue and the test keeps its copy of the kept list as bytes.
        QCoreApplication::sendPostedEvents();
        const QByteArray previousKept = AnnouncementCache::encode(std::exchange(m_previousKept, {}));
        const auto inUse = [] { return static_cast<qint64>(mallinfo2().uordblks); };
        const qint64 before = inUse();
        m_program.reset();
        if (measure)
            m_heldByWeek.append(before - inUse());
        m_previousKept = AnnouncementCache::decode(previousKept).value_or(AnnouncementList());
        ++m_figures.restarts;
        start();
    }

    // The program is ended while a poll waits for the portal's answer, then started again.
    void restartDuringPoll()
    {
        Fault hold;
        hold.hold = true;
        m_sim->setFault(language() == QLatin1String("ar") ? Feed::MarketAR : Feed::MarketEN, 1, hold);
        m_program->fetcher.poll();
        QVERIFY(QTest::qWaitFor([this] { return m_sim->heldCount() > 0; }, 30000));
        m_program.reset();
        m_sim->releaseHeld();
        applyFaults();
        ++m_figures.restarts;
        start();
    }

    void pollAt(double unixTime, bool wakingUp)
    {
        m_clock.set(Instant::fromUnixSeconds(unixTime));
        m_portal->publishUntil(unixTime);
        m_sim->clearRequests();
        if (wakingUp)
            m_program->fetcher.wakeUp();
        else
            m_program->fetcher.poll();
        waitForPoll();
    }

    void waitForPoll()
    {
        const int before = m_figures.polls;
        if (!QTest::qWaitFor([this] { return !m_finished.isEmpty() && !m_program->fetcher.isPolling(); },
                             30000))
            qFatal("poll did not end");
        for (const AnnouncementsUpdate& update : std::exchange(m_finished, {})) {
            checkPoll(update);
            if (QTest::currentTestFailed())
                return;
        }
        QVERIFY(m_figures.polls > before);
    }

    bool passesFilter(const SoakPortal::Entry& entry) const
    {
        const Preferences& preferences = m_program->preferences;
        if (!preferences.notificationsEnabled())
            return false;
        if (preferences.showAllAnnouncements())
            return true;
        const QSet<QString> watchlist = preferences.watchlistSymbols();
        return watchlist.isEmpty() || watchlist.contains(entry.symbol);
    }

    void checkPoll(const AnnouncementsUpdate& update)
    {
        ++m_figures.polls;
        const bool issuerAnswers = !m_faults.accessDenied && !m_faults.issuerHtml;
        const bool marketAnswers = !m_faults.accessDenied && !m_faults.marketDown;
        QCOMPARE(update.error, !issuerAnswers && !marketAnswers);
        const QStringList posted = std::exchange(m_posted, {});
        if (update.error) {
            ++m_figures.failedPolls;
            QVERIFY(update.newAnnouncements.isEmpty());
            QVERIFY(posted.isEmpty());
            return;
        }
        const bool firstPoll = !std::exchange(m_runPolled, true);
        const double now = m_clock.now().unixSeconds();
        if (firstPoll) {
            // A run that starts within an interval of the last poll goes on from that poll.
            const bool followsLastRun = m_lastPollAt > 0 && now - m_lastPollAt <= m_interval + 60;
            m_runStartedAt = followsLastRun ? m_lastPollAt : now;
            m_issuerMissedStart = !issuerAnswers;
            m_marketMissedStart = !marketAnswers;
        }
        m_lastPollAt = now;
        checkAnnounced(update, posted);
        if (QTest::currentTestFailed())
            return;
        // What a feed shows at its first answer of a run and is dated up to the run's start was
        // there at start-up; anything else it shows should have been announced by now.
        for (const bool issuer : {true, false}) {
            if (!(issuer ? issuerAnswers : marketAnswers))
                continue;
            const bool feedStarts =
                firstPoll || std::exchange(issuer ? m_issuerMissedStart : m_marketMissedStart, false);
            for (SoakPortal::Entry* entry : m_portal->window(issuer)) {
                if (entry->state != SoakPortal::State::Unwatched)
                    continue;
                if (!feedStarts || entry->unixTime > m_runStartedAt) {
                    ++m_figures.missed;
                    QFAIL(qPrintable(QStringLiteral("not announced: %1").arg(entry->number)));
                }
                entry->state = SoakPortal::State::Silent;
            }
        }
        checkKept(update);
    }

    void checkAnnounced(const AnnouncementsUpdate& update, const QStringList& posted)
    {
        int expectedPosts = 0;
        for (const Announcement& announcement : update.newAnnouncements) {
            SoakPortal::Entry* entry = m_portal->entryFor(announcement.id());
            QVERIFY2(entry, qPrintable(announcement.id()));
            QVERIFY2(!entry->preexisting,
                     qPrintable(QStringLiteral("announced although there before the first start: %1 %2 at %3")
                                    .arg(announcement.id(),
                                         announcement.pubDate().toDateTime().toString(Qt::ISODate),
                                         m_clock.now().toDateTime().toString(Qt::ISODate))));
            const bool atStart =
                entry->state == SoakPortal::State::Silent || entry->unixTime <= m_runStartedAt;
            m_figures.announcedAtStart += atStart ? 1 : 0;
            QVERIFY2(!atStart, "an announcement present at start-up was announced");
            QVERIFY2(entry->state != SoakPortal::State::Reported,
                     qPrintable(QStringLiteral("announced twice: %1 %2 at %3 in %4")
                                    .arg(announcement.id(),
                                         announcement.pubDate().toDateTime().toString(Qt::ISODate),
                                         m_clock.now().toDateTime().toString(Qt::ISODate), language())));
            entry->state = SoakPortal::State::Reported;
            entry->expectNotification = passesFilter(*entry);
            expectedPosts += entry->expectNotification ? 1 : 0;
        }
        for (const QString& id : posted) {
            SoakPortal::Entry* entry = m_portal->entryFor(id);
            QVERIFY2(entry && entry->state == SoakPortal::State::Reported && entry->expectNotification,
                     qPrintable(QStringLiteral("unexpected notification: ") + id));
            if (++entry->notifications > 1)
                ++m_figures.notifiedTwice;
            QCOMPARE(entry->notifications, 1);
            ++m_figures.notified;
        }
        QCOMPARE(posted.size(), expectedPosts);
    }

    void checkKept(const AnnouncementsUpdate& update)
    {
        const Instant now = m_clock.now();
        const AnnouncementList& kept = update.all;
        QVERIFY(kept.size() <= 500);
        QCOMPARE(m_program->fetcher.announcements(), kept);
        QCOMPARE(AnnouncementCache(m_dir.filePath(QStringLiteral("Quvex"))).load(now), std::optional(kept));

        const QStringList seen = m_program->preferences.seenAnnouncementIDList();
        QVERIFY(seen.size() <= Preferences::kMaxSeenIDs);
        const QSet<QString> seenSet(seen.cbegin(), seen.cend());
        QSet<QString> keptIds;
        for (const Announcement& announcement : kept) {
            QVERIFY2(seenSet.contains(announcement.id()), "a kept announcement is not in the seen set");
            keptIds.insert(announcement.id());
        }
        // Nothing young is lost, unless 500 newer ones push it out.
        const Instant cutOff = now.addSeconds(-AnnouncementCache::kRetentionSeconds);
        for (const Announcement& before : std::as_const(m_previousKept)) {
            if (!(before.pubDate() > cutOff) || keptIds.contains(before.id()))
                continue;
            QVERIFY2(kept.size() == 500 && !(kept.last().pubDate() < before.pubDate()),
                     qPrintable(QStringLiteral("lost: ") + before.id()));
        }
        m_previousKept = kept;
    }

    // One day: the laptop wakes in the morning (the clock jumps over the night), the program polls
    // at its interval, and goes to sleep in the evening. Events of the day happen between polls.
    void runDay(int day, double midnight)
    {
        const int weekday = SoakPortal::riyadhWeekday(midnight + kHour);
        const bool weekend = weekday == 5 || weekday == 6;
        const int week = day / 7;
        struct Event
        {
            double at;
            std::function<void()> act;
        };
        QList<Event> events;
        auto at = [&](double hours, std::function<void()> act) {
            events.append({midnight + hours * kHour, act});
        };

        if (weekday == 0) {
            at(10, [this] { restart(true); });
            // Each week another notification filter.
            at(7, [this, week] {
                Preferences& preferences = m_program->preferences;
                preferences.setShowAllAnnouncements(week % 4 != 1 && week % 4 != 3);
                preferences.setWatchlistSymbols(week % 4 == 1 ? QSet<QString>{"1020", "2222", "7010", "4002"}
                                                              : QSet<QString>{});
                preferences.setNotificationsEnabled(true);
            });
        }
        if (weekday == 1) {
            at(9.6, [this] { m_faults.accessDenied = true, applyFaults(); });
            at(12.2, [this] { m_faults.accessDenied = false, applyFaults(); });
            at(14, [this, week] { changeInterval(week % 3 == 1 ? 300 : week % 3 == 2 ? 180 : 600); });
            at(15, [this] { changeInterval(600); });
        }
        if (weekday == 2) {
            at(10.5, [this] { restartDuringPoll(); });
            at(14, [this] { m_faults.issuerHtml = true, applyFaults(); });
            at(15.25, [this] { m_faults.issuerHtml = false, applyFaults(); });
        }
        if (weekday == 3) {
            if (week % 2 == 1)
                at(10, [this] { switchLanguage(QStringLiteral("ar")); });
            if (week % 4 == 2)
                at(8, [this] { m_program->preferences.setNotificationsEnabled(false); });
        }
        if (weekday == 4) {
            if (week % 2 == 1)
                at(10.5, [this] { switchLanguage(QStringLiteral("en")); });
            at(10.25, [this] { m_faults.marketDown = true, applyFaults(); });
            at(14.5, [this] { m_faults.marketDown = false, applyFaults(); });
            at(8, [this] { m_program->preferences.setNotificationsEnabled(true); });
        }
        std::stable_sort(events.begin(), events.end(),
                         [](const Event& a, const Event& b) { return a.at < b.at; });

        // Awake from 09:00 to 15:30 on trading days, with the lid closed from 11:00 to 14:00; an hour
        // at noon on Fridays and Saturdays. Each wake-up polls at once, as the program does on
        // resume, and finds what the portal published meanwhile.
        const double wake = midnight + (weekend ? 12 : 9) * kHour;
        const double sleep = midnight + (weekend ? 13 : 15.5) * kHour;
        const double away = midnight + 11 * kHour;
        const double back = midnight + 14 * kHour;
        int next = 0;
        for (double tick = wake; tick < sleep; tick += m_interval) {
            bool wakingUp = tick == wake;
            if (!weekend && tick >= away && tick < back) {
                tick = back;
                wakingUp = true;
            }
            for (; next < events.size() && events[next].at <= tick; ++next) {
                m_clock.set(Instant::fromUnixSeconds(events[next].at));
                m_portal->publishUntil(events[next].at);
                events[next].act();
                if (QTest::currentTestFailed())
                    return;
            }
            pollAt(tick, wakingUp);
            if (QTest::currentTestFailed())
                return;
        }
    }

    // As the settings window does it: the new interval restarts polling, which drops the kept list
    // and the cache file and polls at once.
    void changeInterval(double seconds)
    {
        m_interval = seconds;
        m_program->preferences.setPollInterval(seconds);
        m_previousKept.clear();
        m_program->fetcher.restartPolling();
        waitForPoll();
    }

    // A new language restarts the program.
    void switchLanguage(const QString& language)
    {
        m_program->preferences.setLanguage(language);
        restart();
    }

private Q_SLOTS:
    void monthOfDailyUse()
    {
        QElapsedTimer wall;
        wall.start();
        const int days = soakDays();
        portalsim::PortalSimulator::Options options;
        options.now = [this] { return m_clock.now().unixSeconds(); };
        m_sim = std::make_unique<portalsim::PortalSimulator>(options);
        QVERIFY(m_sim->start());
        applyFaults();
        m_portal = std::make_unique<SoakPortal>(*m_sim, m_clock.now().unixSeconds(), days, 7);
        start();
        m_program->preferences.setPollInterval(m_interval);

        const double firstMidnight = SoakPortal::riyadhMidnight(m_clock.now().unixSeconds());
        for (int day = 0; day < days && !QTest::currentTestFailed(); ++day)
            runDay(day, firstMidnight + day * kDay);
        m_program.reset();
        m_sim->stop();

        int unwatched = 0;
        for (const auto& [key, entry] : m_portal->entries()) {
            if (!entry.preexisting && entry.state != SoakPortal::State::Reported)
                ++unwatched;
        }
        qInfo("soak: %d days, %d polls (%d failed), %d restarts, %d published, %d reworded, %d notified, "
              "%d missed, %d notified twice, %d announced although present at start, %d published while "
              "no program watched, %.1f s",
              days, m_figures.polls, m_figures.failedPolls, m_figures.restarts, m_portal->publishedCount(),
              m_portal->rewordedCount(), m_figures.notified, m_figures.missed, m_figures.notifiedTwice,
              m_figures.announcedAtStart, unwatched, static_cast<double>(wall.elapsed()) / 1000.0);
        QString held;
        for (const qint64 bytes : std::as_const(m_heldByWeek))
            held += QString::number(static_cast<double>(bytes) / 1024.0, 'f', 0) + QStringLiteral(" KiB ");
        qInfo("soak: memory the program held at each weekly restart: %s", qPrintable(held));
        // The kept list and the seen set are bounded: after the first week, nothing may pile up.
        for (int week = 2; week < m_heldByWeek.size(); ++week)
            QVERIFY2(m_heldByWeek[week] < m_heldByWeek[1] * 5 / 4 + 65536,
                     "the program's memory grows week to week");
    }
};

QTEST_GUILESS_MAIN(TestSoak)
#include "tst_soak.moc"
