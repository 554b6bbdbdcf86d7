// A month of daily use, fast: the real fetcher, archive, cache file, settings file and notification
// manager against the portal simulator on a held clock, through publishing, restarts, setting changes,
// portal faults, nights away, a read-only settings folder, a full disk, deleted files, a second process
// and quiet hours. Every poll is checked: nothing told twice or missed, what was held told once when the
// hold ends, summaries that count right, and the archive, cache file and seen set agreeing.
// ZELVORA_SOAK_DAYS sets the number of simulated days (default 30; `make soak DAYS=N`).
#include "SoakPortal.h"
#include "archive/AnnouncementArchive.h"
#include "context/AppContext.h"
#include "fetch/AnnouncementCache.h"
#include "fetch/AnnouncementFetcher.h"
#include "model/Preferences.h"
#include "notify/NotificationManager.h"
#include "support/FileSizeLimit.h"
#include "support/ManualClock.h"
#include "support/RecordingNotificationBackend.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <linux/fs.h>
#include <malloc.h>
#include <sys/ioctl.h>
#include <unistd.h>

using portalsim::Fault;
using portalsim::Feed;
using State = SoakPortal::State;

namespace {
constexpr double kHour = SoakPortal::kHour;
constexpr double kDay = SoakPortal::kDay;

// A folder nothing can be written in, for root too (which ignores the mode): immutable where the
// file system allows it. False when neither works here.
bool setReadOnly(const QString& folder, bool readOnly)
{
    QFile::setPermissions(folder, readOnly ? QFile::ReadOwner | QFile::ExeOwner
                                           : QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
        flags = readOnly ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    if (fd >= 0)
        ::close(fd);
    QFile probe(folder + QStringLiteral("/probe"));
    const bool writable = probe.open(QIODevice::WriteOnly);
    probe.remove();
    return writable != readOnly;
}

// Sunday 07:00 in Riyadh, in the era the simulated portal's ids belong to.
double firstMorning()
{
    double midnight = SoakPortal::riyadhMidnight(1780000000.0);
    while (SoakPortal::riyadhWeekday(midnight + kHour) != 0)
        midnight += kDay;
    return midnight + 7 * kHour;
}

QByteArray idAt(const QString& id, const Instant& now)
{
    return (id + QStringLiteral(" at ") + now.toDateTime().toString(Qt::ISODate)).toUtf8();
}
} // namespace

class TestSoak : public QObject
{
    Q_OBJECT

    struct Figures
    {
        int polls = 0, failedPolls = 0, restarts = 0, notified = 0, summaries = 0, secondPolls = 0,
            storageFaultPolls = 0, held = 0, heldSummaries = 0, eveningPolls = 0;
    } m_figures;

    // The portal's answer as the test has set it up.
    bool m_accessDenied = false; // both feeds: the firewall's 403 page
    bool m_issuerHtml = false;   // issuer feed: an HTML page with status 200
    bool m_marketDown = false;   // market news: 503

    ManualClock m_clock{Instant::fromUnixSeconds(firstMorning())};
    QTemporaryDir m_dir;
    std::unique_ptr<portalsim::PortalSimulator> m_sim;
    std::unique_ptr<SoakPortal> m_portal;
    std::unique_ptr<AppContext> m_program;
    QList<NotificationRequest> m_posted;
    QList<AnnouncementsUpdate> m_finished;
    double m_interval = 600;
    int m_days = 0;
    double m_baselineAt = 0; // the first poll ever: what the portal showed then is never told
    bool m_settingsReadOnly = false;
    std::optional<FileSizeLimit> m_diskFull;
    AnnouncementList m_previousKept; // what the last completed poll kept (empty after a restart of polling)
    QList<qint64> m_heldByWeek;      // bytes the program held at each week's Sunday restart

    bool answers(bool issuer) const { return !m_accessDenied && !(issuer ? m_issuerHtml : m_marketDown); }
    AppPaths paths() const
    {
        return {m_dir.filePath(QStringLiteral("config")), m_dir.filePath(QStringLiteral("data"))};
    }
    QString cacheDirectory() const { return paths().cacheDirectory(); }
    // A run of the program over the soak's folders: the tray program's; with no teller, a `zelvora poll`.
    std::unique_ptr<AppContext> program(QList<NotificationRequest>& posted, const QString& teller)
    {
        const QString origin = QString::fromStdString(m_sim->origin());
        return std::make_unique<AppContext>(
            AppEnvironment::forTesting(paths(), origin, m_clock), teller,
            [&posted] { return std::make_unique<RecordingNotificationBackend>(posted); });
    }

    void applyFaults()
    {
        m_sim->clearFaults();
        for (const Feed feed : {Feed::IssuerEN, Feed::IssuerAR, Feed::MarketEN, Feed::MarketAR}) {
            const bool issuer = feed == Feed::IssuerEN || feed == Feed::IssuerAR;
            // Answers uncompressed: other tests cover the encodings, and this one polls a thousand times.
            m_sim->setFault(feed, 0,
                            m_accessDenied    ? Fault{.status = 403}
                            : answers(issuer) ? Fault{.encoding = portalsim::Encoding::Identity}
                            : issuer          ? Fault{.body = Fault::Body::HtmlPage}
                                              : Fault{.status = 503});
        }
    }

    void start()
    {
        m_program = program(m_posted, QStringLiteral("tray"));
        connect(&m_program->fetcher(), &AnnouncementFetcher::pollFinished, this,
                [this](const AnnouncementsUpdate& update) { m_finished.append(update); });
    }

    void restart(bool measure = false)
    {
        // Measured with nothing else sharing what it holds: no queued broadcast, the kept list as bytes.
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
        const bool arabic = m_program->preferences().language() == QLatin1String("ar");
        m_sim->setFault(arabic ? Feed::MarketAR : Feed::MarketEN, 1, Fault{.hold = true});
        m_program->fetcher().poll();
        QVERIFY(QTest::qWaitFor([this] { return m_sim->heldCount() > 0; }, 30000));
        m_program.reset();
        m_sim->releaseHeld();
        applyFaults();
        restart();
    }

    void moveTo(double unixTime)
    {
        m_clock.set(Instant::fromUnixSeconds(unixTime));
        m_portal->publishUntil(unixTime);
    }

    void pollAt(double unixTime, bool wakingUp)
    {
        moveTo(unixTime);
        m_sim->clearRequests();
        wakingUp ? m_program->fetcher().wakeUp() : m_program->fetcher().poll();
        waitForPoll();
    }

    void waitForPoll()
    {
        if (!QTest::qWaitFor([this] { return !m_finished.isEmpty() && !m_program->fetcher().isPolling(); },
                             30000))
            qFatal("poll did not end");
        for (const AnnouncementsUpdate& update : std::exchange(m_finished, {})) {
            checkPoll(update);
            if (QTest::currentTestFailed())
                return;
        }
    }

    // A `zelvora poll` from cron: it prints what is new to the archive and tells no one.
    void secondProcessPollAt(double unixTime)
    {
        moveTo(unixTime);
        QList<NotificationRequest> none;
        const std::unique_ptr<AppContext> cron = program(none, QString());
        QSignalSpy finished(&cron->fetcher(), &AnnouncementFetcher::pollFinished);
        cron->fetcher().poll();
        QVERIFY(finished.wait(30000));
        ++m_figures.secondPolls;
        for (const Announcement& printed :
             finished.first().first().value<AnnouncementsUpdate>().newAnnouncements) {
            const SoakPortal::Entry* entry = m_portal->entryFor(printed.id());
            QVERIFY2(entry && entry->state == State::Unwatched,
                     "printed as new, but told or there at the start: " + idAt(printed.id(), m_clock.now()));
        }
        QVERIFY(none.isEmpty());
    }

    bool holding() const
    {
        const Preferences& preferences = m_program->preferences();
        return preferences.notificationsEnabled() &&
               preferences.notificationGate().heldUntil(m_clock.now()).has_value();
    }

    bool passesFilter(const SoakPortal::Entry& entry) const
    {
        const Preferences& preferences = m_program->preferences();
        const QSet<QString> watchlist = preferences.watchlistSymbols();
        const QStringList words = preferences.watchWords();
        // The soak's words are letters that fold to themselves, so a plain search finds them.
        const QString& text = entry.texts[preferences.language() == QLatin1String("ar")];
        const bool wordFound = std::any_of(words.cbegin(), words.cend(), [&text](const QString& word) {
            return text.contains(word, Qt::CaseInsensitive);
        });
        return preferences.notificationsEnabled() &&
               (preferences.showAllAnnouncements() || (watchlist.isEmpty() && words.isEmpty()) ||
                watchlist.contains(entry.symbol) || wordFound);
    }

    void checkPoll(const AnnouncementsUpdate& update)
    {
        ++m_figures.polls;
        QCOMPARE(update.error, !answers(true) && !answers(false));
        const QList<NotificationRequest> posted = std::exchange(m_posted, {});
        if (update.error) {
            ++m_figures.failedPolls;
            QVERIFY(update.newAnnouncements.isEmpty() && posted.isEmpty());
            return;
        }
        if (m_baselineAt == 0) {
            m_baselineAt = m_clock.now().unixSeconds();
            QVERIFY(update.newAnnouncements.isEmpty());
        }
        QCOMPARE(update.status.storageProblem().isEmpty(), !m_diskFull.has_value());
        m_figures.storageFaultPolls += m_diskFull ? 1 : 0;
        checkAnnounced(update, posted);
        if (QTest::currentTestFailed())
            return;
        // Whatever a feed shows now was told by now, unless it was there at the first poll ever; quiet
        // hours or a pause keep it owed, to be told when they end.
        for (const bool issuer : {true, false}) {
            for (SoakPortal::Entry* entry : m_portal->window(issuer)) {
                if (!answers(issuer) || entry->state != State::Unwatched)
                    continue;
                const bool owed = !entry->preexisting && entry->unixTime > m_baselineAt;
                if (owed && holding() && passesFilter(*entry)) {
                    entry->state = State::Held;
                    entry->held = true;
                    ++m_figures.held;
                    continue;
                }
                if (owed)
                    QFAIL("not announced: " + idAt(QString::number(entry->number), m_clock.now()));
                entry->state = State::Silent;
            }
        }
        checkKept(update);
    }

    void checkAnnounced(const AnnouncementsUpdate& update, const QList<NotificationRequest>& posted)
    {
        QSet<QString> released;
        for (const Announcement& announcement : update.released)
            released.insert(announcement.id());
        int expectedPosts = 0;
        for (const Announcement& announcement : update.newAnnouncements) {
            SoakPortal::Entry* entry = m_portal->entryFor(announcement.id());
            const QByteArray what = idAt(announcement.id(), m_clock.now());
            QVERIFY2(entry && !entry->preexisting && entry->unixTime > m_baselineAt,
                     "announced although there at the first poll: " + what);
            QVERIFY2(entry->state == State::Unwatched || entry->state == State::Held,
                     "announced twice: " + what);
            // What was held comes back as released, and only that.
            QVERIFY2((entry->state == State::Held) == released.contains(announcement.id()),
                     "held and released disagree: " + what);
            entry->state = State::Reported;
            entry->expectNotification = passesFilter(*entry);
            expectedPosts += entry->expectNotification && !entry->held ? 1 : 0;
        }
        // One by one up to the threshold; past it, at most five watchlist matches and one summary.
        int told = 0;
        int oneByOne = 0;
        int heldPosts = 0;
        for (const NotificationRequest& request : posted) {
            QStringList ids{request.identifier};
            bool heldSummary = false;
            if (request.data.contains(QStringLiteral("summary"))) {
                ids = request.data.value(QStringLiteral("summary")).toStringList();
                QVERIFY2(request.title.startsWith(QString::number(ids.size()) + QLatin1Char(' ')),
                         qPrintable(request.title));
                heldSummary = std::all_of(ids.cbegin(), ids.cend(),
                                          [&](const QString& id) { return released.contains(id); });
                ++(heldSummary ? m_figures.heldSummaries : m_figures.summaries);
                heldPosts += heldSummary ? 1 : 0;
            } else {
                ++oneByOne;
            }
            for (const QString& id : std::as_const(ids)) {
                SoakPortal::Entry* entry = m_portal->entryFor(id);
                QVERIFY2(entry && entry->state == State::Reported && entry->expectNotification,
                         "unexpected notification: " + idAt(id, m_clock.now()));
                // A held one is told in the one summary of what waited, never one by one.
                QVERIFY2(entry->held == heldSummary, "held, told apart: " + idAt(id, m_clock.now()));
                QCOMPARE(++entry->notifications, 1);
                ++m_figures.notified;
                ++told;
            }
        }
        const int expectedHeld =
            int(std::count_if(released.cbegin(), released.cend(), [this](const QString& id) {
                const SoakPortal::Entry* entry = m_portal->entryFor(id);
                return entry && entry->expectNotification;
            }));
        QCOMPARE(told, expectedPosts + expectedHeld);
        QCOMPARE(heldPosts, expectedHeld > 0 ? 1 : 0);
        const qsizetype others = posted.size() - heldPosts;
        QVERIFY(expectedPosts <= m_program->preferences().groupNotificationsAbove()
                    ? others == expectedPosts
                    : oneByOne <= NotificationManager::kMaxOneByOne && others == oneByOne + 1);
    }

    void checkKept(const AnnouncementsUpdate& update)
    {
        const Instant now = m_clock.now();
        const AnnouncementList& kept = update.all;
        QVERIFY(kept.size() <= 500);
        QCOMPARE(m_program->fetcher().announcements(), kept);
        QSet<QString> keptIds;
        for (const Announcement& announcement : kept)
            keptIds.insert(announcement.id());
        // The copies may lag while the disk is full or the settings folder read-only, and only then.
        if (!m_diskFull) {
            QCOMPARE(AnnouncementCache(cacheDirectory()).load(now), std::optional(kept));
            AnnouncementArchive archive(cacheDirectory());
            QVERIFY(archive.open());
            for (const Announcement& announcement : kept)
                QVERIFY2(archive.find(announcement.id()), "a kept announcement is not in the archive");
            // Owed are only those held now.
            for (const Announcement& owed : archive.owed()) {
                const SoakPortal::Entry* entry = m_portal->entryFor(owed.id());
                QVERIFY2(entry && entry->state == State::Held, "left owed: " + idAt(owed.id(), now));
            }
            if (!m_settingsReadOnly) {
                const QStringList seen = m_program->preferences().seenAnnouncementIDList();
                QVERIFY(seen.size() <= Preferences::kMaxSeenIDs);
                QCOMPARE(QSet<QString>(seen.cbegin(), seen.cend()), keptIds);
            }
        }
        // Nothing young is lost, unless 500 newer ones push it out.
        const Instant cutOff = now.addSeconds(-AnnouncementCache::kRetentionSeconds);
        for (const Announcement& before : std::as_const(m_previousKept)) {
            if (before.pubDate() > cutOff && !keptIds.contains(before.id()))
                QVERIFY2(kept.size() == 500 && !(kept.last().pubDate() < before.pubDate()),
                         "lost: " + idAt(before.id(), now));
        }
        m_previousKept = kept;
    }

    void removeFile(const QString& name)
    {
        for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::remove(QDir(cacheDirectory()).filePath(name + suffix));
    }

    // One day: the laptop wakes in the morning, the program polls at its interval, events come between.
    void runDay(int day, double midnight)
    {
        const int weekday = SoakPortal::riyadhWeekday(midnight + kHour);
        const int week = day / 7;
        const bool weekend = weekday == 5 || weekday == 6;
        // The second week's weekend is a long one: away from Thursday evening to Sunday morning.
        const bool away = week == 1 && weekend;
        QList<std::pair<double, std::function<void()>>> events;
        const auto at = [&](double hours, std::function<void()> act) {
            events.append({midnight + hours * kHour, std::move(act)});
        };
        const auto faults = [this](bool& fault, bool on) {
            return [this, &fault, on] { fault = on, applyFaults(); };
        };
        if (weekday == 0) {
            // Every other week the cache file is gone when the program starts again.
            if (week % 2 == 1)
                at(9.9, [this] { removeFile(AnnouncementCache::fileName); });
            at(10, [this] { restart(true); });
            // Each week another notification filter.
            at(7, [this, week] {
                Preferences& preferences = m_program->preferences();
                preferences.setShowAllAnnouncements(week % 2 == 0);
                preferences.setWatchlistSymbols(week % 4 == 1 ? QSet<QString>{"1020", "2222", "7010", "4002"}
                                                              : QSet<QString>{});
                preferences.setWatchWords(week % 4 == 3 ? QStringList{"dividend", "توزيع"} : QStringList{});
                preferences.setNotificationsEnabled(true);
            });
        }
        if (weekday == 1) {
            at(9.6, faults(m_accessDenied, true));
            at(11, [this] { changeInterval(300); }); // while the portal refuses
            at(12.2, faults(m_accessDenied, false));
            at(14, [this, week] { changeInterval(week % 3 == 1 ? 300 : week % 3 == 2 ? 180 : 600); });
            at(15, [this] { changeInterval(600); });
        }
        if (weekday == 2) {
            at(10.5, [this] { restartDuringPoll(); });
            at(14, faults(m_issuerHtml, true));
            at(15.25, faults(m_issuerHtml, false));
            // A full disk for an hour (the opening's burst included), on alternate weeks the settings
            // folder read-only for a day.
            if (week % 2 == 0) {
                at(9.4, [this] { m_diskFull.emplace(); });
                at(10.4, [this] { m_diskFull.reset(); });
            } else {
                at(7, [this] { m_settingsReadOnly = setReadOnly(paths().configDirectory(), true); });
            }
        }
        if (weekday == 3) {
            at(7, [this] {
                if (std::exchange(m_settingsReadOnly, false))
                    QVERIFY(setReadOnly(paths().configDirectory(), false));
            });
            if (week % 2 == 1)
                at(10, [this] { switchLanguage(QStringLiteral("ar")); });
            if (week % 4 == 2)
                at(8, [this] { m_program->preferences().setNotificationsEnabled(false); });
            // The archive deleted while the program sleeps at noon.
            at(12, [this] { removeFile(AnnouncementArchive::fileName); });
        }
        if (weekday == 4) {
            if (week % 2 == 1)
                at(10.5, [this] { switchLanguage(QStringLiteral("en")); });
            at(10.25, faults(m_marketDown, true));
            at(14.5, faults(m_marketDown, false));
            at(8, [this] { m_program->preferences().setNotificationsEnabled(true); });
            // "Pause Notifications for 1 Hour" as the day starts, through the opening's peak.
            at(9, [this, midnight] {
                m_program->preferences().setPausedUntil(Instant::fromUnixSeconds(midnight + 10 * kHour));
            });
        }
        std::stable_sort(events.begin(), events.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });

        // Awake from 09:00 to 15:30 on trading days, with the lid closed from 11:00 to 14:00 (on
        // Sundays away for an hour only, from 12:00); an hour at noon on Fridays and Saturdays. Each
        // wake-up polls at once, as the program does on resume, and finds what the portal published
        // meanwhile. On Wednesdays a `zelvora poll` from cron runs every 5 minutes beside it.
        const double wake = midnight + (weekend ? 12 : 9) * kHour;
        const double sleep = away ? wake : midnight + (weekend ? 13 : 15.5) * kHour;
        const double lidClosed = midnight + (weekday == 0 ? 12 : 11) * kHour;
        const double lidOpen = midnight + (weekday == 0 ? 13 : 14) * kHour;
        int next = 0;
        double previousTick = 0;
        for (double tick = wake; tick < sleep; tick += m_interval) {
            bool wakingUp = tick == wake;
            if (!weekend && tick >= lidClosed && tick < lidOpen) {
                tick = lidOpen;
                wakingUp = true;
            }
            for (; next < events.size() && events[next].first <= tick; ++next) {
                moveTo(events[next].first);
                events[next].second();
                if (QTest::currentTestFailed())
                    return;
            }
            for (double cron = previousTick + 300; weekday == 3 && !wakingUp && cron < tick; cron += 300) {
                secondProcessPollAt(cron);
                if (QTest::currentTestFailed())
                    return;
            }
            previousTick = tick;
            pollAt(tick, wakingUp);
            if (QTest::currentTestFailed())
                return;
        }
        for (; next < events.size(); ++next) {
            m_clock.set(Instant::fromUnixSeconds(events[next].first));
            events[next].second();
        }
        // Sunday and Monday evenings awake from 21:30 to 23:30, inside the quiet hours from 22:00
        // (on Sundays restarted at 22:45); what they hold is told at the next morning's first poll.
        if ((weekday == 0 || weekday == 1) && day + 1 < m_days) {
            bool restarted = weekday != 0;
            for (double tick = midnight + 21.5 * kHour;
                 tick < midnight + 23.5 * kHour && !QTest::currentTestFailed(); tick += m_interval) {
                if (!restarted && tick >= midnight + 22.75 * kHour) {
                    restarted = true;
                    m_clock.set(Instant::fromUnixSeconds(tick));
                    restart();
                }
                ++m_figures.eveningPolls;
                pollAt(tick, tick == midnight + 21.5 * kHour);
            }
        }
    }

    // As the settings window does it: polling restarts, dropping the kept list and the cache file.
    void changeInterval(double seconds)
    {
        m_interval = seconds;
        m_program->preferences().setPollInterval(seconds);
        m_previousKept.clear();
        m_program->fetcher().restartPolling();
        waitForPoll();
    }

    // A new language restarts the program.
    void switchLanguage(const QString& language)
    {
        m_program->preferences().setLanguage(language);
        restart();
    }

private Q_SLOTS:
    void monthOfDailyUse()
    {
        QElapsedTimer wall;
        wall.start();
        const int days = qEnvironmentVariableIntValue("ZELVORA_SOAK_DAYS");
        m_days = days > 0 ? days : 30;
        m_sim = std::make_unique<portalsim::PortalSimulator>(
            portalsim::PortalSimulator::Options{.now = [this] { return m_clock.now().unixSeconds(); }});
        QVERIFY(m_sim->start());
        applyFaults();
        m_portal = std::make_unique<SoakPortal>(*m_sim, m_clock.now().unixSeconds(), m_days, 7);
        start();
        m_program->preferences().setPollInterval(m_interval);
        m_program->preferences().setQuietHours(QStringLiteral("22:00-07:00"));

        const double firstMidnight = SoakPortal::riyadhMidnight(m_clock.now().unixSeconds());
        for (int day = 0; day < m_days && !QTest::currentTestFailed(); ++day)
            runDay(day, firstMidnight + day * kDay);
        m_program.reset();
        m_sim->stop();
        m_diskFull.reset();
        if (m_settingsReadOnly)
            setReadOnly(paths().configDirectory(), false);

        QString held;
        for (const qint64 bytes : std::as_const(m_heldByWeek))
            held += QString::number(static_cast<double>(bytes) / 1024.0, 'f', 0) + QStringLiteral(" KiB ");
        const Figures& f = m_figures;
        qInfo("soak: %d days, %d polls (%d failed, %d with a full disk, %d in the evening), %d polls of a "
              "second "
              "process, %d restarts, %d published, %d reworded, %d notified (%d summaries), %d held (told in "
              "%d "
              "summaries when the hold ended), %.1f s; memory held at each weekly restart: %s",
              m_days, f.polls, f.failedPolls, f.storageFaultPolls, f.eveningPolls, f.secondPolls, f.restarts,
              m_portal->publishedCount, m_portal->rewordedCount, f.notified, f.summaries + f.heldSummaries,
              f.held, f.heldSummaries, static_cast<double>(wall.elapsed()) / 1000.0, qPrintable(held));
        // Every held one was told, once.
        for (const auto& [key, entry] : m_portal->entries())
            QVERIFY(!entry.held || (entry.state == State::Reported && entry.notifications == 1));
        if (m_days >= 7)
            QVERIFY2(f.heldSummaries > 0, "nothing was held");
        // The kept list, the seen set and the archive's cache are bounded: nothing piles up after a week.
        for (int week = 2; week < m_heldByWeek.size(); ++week)
            QVERIFY2(m_heldByWeek[week] < m_heldByWeek[1] * 5 / 4 + 65536,
                     "the program's memory grows week to week");
    }
};

QTEST_GUILESS_MAIN(TestSoak)
#include "tst_soak.moc"
