#include "model/Preferences.h"
#include "model/TradingCalendar.h"
#include "notify/MorningDigestSchedule.h"
#include "support/ManualClock.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(Instant)

namespace {
// 2026-12-06 is a Sunday: the week runs Sun 6 … Thu 10, Fri 11, Sat 12.
Instant riyadh(int day, int hour, int minute)
{
    return TradingCalendar::at(QDate(2026, 12, day), hour * 60 + minute);
}

Announcement published(const QString& title, Instant at)
{
    return Announcement(title, title, {}, QStringLiteral("https://portal.example/x"), at, {});
}
} // namespace

// When the digest comes, once, with what it counts; the timer follows the held clock.
class TestMorningDigest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    ManualClock m_clock{riyadh(7, 8, 0)};
    AnnouncementList m_kept;

    QString stateFile() const { return m_dir.filePath(QStringLiteral("ui-state.json")); }

private Q_SLOTS:
    void init()
    {
        QFile::remove(stateFile());
        QFile::remove(m_dir.filePath(QStringLiteral("settings.json")));
    }

    // A program started at `start` (the last digest made at `last`, if any) and checking at `start`.
    void firesOnceWhenDue_data()
    {
        QTest::addColumn<Instant>("start");
        QTest::addColumn<bool>("made");
        QTest::newRow("before the time") << riyadh(7, 9, 14) << false;
        QTest::newRow("at the time") << riyadh(7, 9, 15) << true;
        QTest::newRow("missed, before the open") << riyadh(7, 9, 29) << true;
        QTest::newRow("missed, after the open") << riyadh(7, 9, 31) << false;
        QTest::newRow("Friday") << riyadh(11, 9, 20) << false;
    }

    void firesOnceWhenDue()
    {
        QFETCH(Instant, start);
        QFETCH(bool, made);
        Preferences preferences(m_dir.filePath(QStringLiteral("settings.json")));
        preferences.setDigestTime(QStringLiteral("09:15"));
        m_clock.set(start);
        for (int run = 0; run < 2; ++run) { // a restart makes no second one
            MorningDigestSchedule schedule(
                preferences, m_clock, [this] { return m_kept; }, stateFile());
            QSignalSpy due(&schedule, &MorningDigestSchedule::due);
            schedule.check();
            schedule.check();
            QCOMPARE(due.size(), made && run == 0 ? 1 : 0);
            // Armed for the next one, a second after it (no sleeping: the clock is set, not waited for).
            const Instant next = MorningDigest::nextDue(9 * 60 + 15, start);
            const double remaining = schedule.timer().remainingTime() / 1000.0;
            const double wanted = next.referenceSeconds() - start.referenceSeconds();
            QVERIFY2(remaining > wanted && remaining <= wanted + 1, qPrintable(QString::number(remaining)));
        }
    }

    // From Thursday's close over the weekend to Sunday's digest.
    void countsWhatCameSinceThePreviousClose()
    {
        Preferences preferences(m_dir.filePath(QStringLiteral("settings.json")));
        preferences.setDigestTime(QStringLiteral("9:15"));
        m_kept = {published(QStringLiteral("Board of directors resignation"), riyadh(13, 8, 0)),
                  published(QStringLiteral("Cash dividend"), riyadh(12, 20, 0)),
                  published(QStringLiteral("Cash dividend for the year"), riyadh(10, 15, 30)),
                  published(QStringLiteral("Before the close"), riyadh(10, 15, 29))};
        m_clock.set(riyadh(10, 16, 0));
        MorningDigestSchedule schedule(
            preferences, m_clock, [this] { return m_kept; }, stateFile());
        QSignalSpy due(&schedule, &MorningDigestSchedule::due);
        schedule.check();
        QVERIFY(due.isEmpty());
        m_clock.set(riyadh(13, 9, 15));
        schedule.check(); // as the timer does when it fires
        QCOMPARE(due.size(), 1);
        const MorningDigest digest = due.first().first().value<MorningDigest>();
        QCOMPARE(digest.ids(), (QStringList{m_kept.at(0).id(), m_kept.at(1).id(), m_kept.at(2).id()}));
        QCOMPARE(
            digest.line(),
            QStringLiteral("Morning digest: 3 announcements \u2014 Dividends: 2, Board and management: 1"));

        // Turned off: nothing armed.
        preferences.setDigestTime(QString());
        schedule.check();
        QVERIFY(!schedule.timer().isActive());
    }
};

QTEST_GUILESS_MAIN(TestMorningDigest)
#include "tst_morningdigest.moc"
