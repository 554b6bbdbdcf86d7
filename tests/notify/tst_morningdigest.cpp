#include "model/Preferences.h"
#include "model/TradingCalendar.h"
#include "notify/MorningDigestSchedule.h"
#include "support/ManualClock.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
// 2026-12-06 is a Sunday: the week runs Sun 6 … Thu 10, Fri 11, Sat 12.
Instant riyadh(int day, int hour, int minute)
{
    return TradingCalendar::at(QDate(2026, 12, day), hour * 60 + minute);
}

Announcement published(const QString& title, Instant at)
{
    return Announcement(title, title, {}, u"https://portal.example/x"_s, at, {});
}
} // namespace

// When the schedule makes the digest (the times themselves are the calendar's), once, with what it
// counts; the timer follows the held clock.
class TestMorningDigest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // From Thursday's close over the weekend to Sunday's digest, and no second one after a restart.
    void onceWithWhatCameSinceThePreviousClose()
    {
        QTemporaryDir dir;
        Preferences preferences(dir.filePath(u"settings.json"_s));
        preferences.setDigestTime(u"9:15"_s);
        const AnnouncementList kept{published(u"Board of directors resignation"_s, riyadh(13, 8, 0)),
                                    published(u"Cash dividend"_s, riyadh(12, 20, 0)),
                                    published(u"Cash dividend for the year"_s, riyadh(10, 15, 30)),
                                    published(u"Before the close"_s, riyadh(10, 15, 29))};
        ManualClock clock(riyadh(10, 16, 0));
        const auto schedule = [&] {
            return std::make_unique<MorningDigestSchedule>(
                preferences, clock, [&] { return kept; }, dir.filePath(u"state.json"_s));
        };
        const auto first = schedule();
        QSignalSpy due(first.get(), &MorningDigestSchedule::due);
        first->check();
        QVERIFY(due.isEmpty());
        clock.set(riyadh(13, 9, 15));
        first->check(); // as the timer does when it fires
        first->check();
        QCOMPARE(due.size(), 1);
        const MorningDigest digest = due.first().first().value<MorningDigest>();
        QCOMPARE(digest.ids(), (QStringList{kept.at(0).id(), kept.at(1).id(), kept.at(2).id()}));
        QCOMPARE(digest.line(),
                 u"Morning digest: 3 announcements \u2014 Dividends: 2, Board and management: 1"_s);
        // Armed for Monday's, a second after it (no sleeping: the clock is set, not waited for).
        const double remaining = first->timer().remainingTime() / 1000.0;
        QVERIFY2(remaining > 86400 && remaining <= 86401, qPrintable(QString::number(remaining)));

        const auto restarted = schedule();
        QSignalSpy again(restarted.get(), &MorningDigestSchedule::due);
        restarted->check();
        QVERIFY(again.isEmpty());
        QVERIFY(restarted->timer().isActive());
        preferences.setDigestTime(QString()); // turned off: nothing armed
        restarted->check();
        QVERIFY(!restarted->timer().isActive());
    }
};

QTEST_GUILESS_MAIN(TestMorningDigest)
#include "tst_morningdigest.moc"
