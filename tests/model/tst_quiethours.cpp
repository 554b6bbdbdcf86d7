#include "model/MorningDigest.h"
#include "model/QuietHours.h"
#include "model/TradingCalendar.h"
#include "notify/NotificationGate.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Instant)

// 2026-12-06 is a Sunday: the week runs Sun 6 … Thu 10, Fri 11, Sat 12.
static Instant riyadh(int day, int hour, int minute)
{
    return TradingCalendar::at(QDate(2026, 12, day), hour * 60 + minute);
}

class TestQuietHours : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse()
    {
        const std::pair<const char*, const char*> rows[] = {
            {"", ""}, // off
            {" Outside-Trading ", "outside-trading"},
            {"22:00 - 7:00", "22:00-07:00"},
            {"24:00-07:00", nullptr},
            {"22:60-07:00", nullptr},
            {"08:00-08:00", nullptr}, // an empty span
            {"22:00", nullptr},
        };
        for (const auto& [text, normalised] : rows) {
            const auto hours = QuietHours::parse(QString::fromLatin1(text));
            QVERIFY2(hours.has_value() == (normalised != nullptr), text);
            if (hours)
                QCOMPARE(hours->text(), QString::fromLatin1(normalised));
        }
    }

    // When quiet, quietUntil is the end of that quiet period; when not, the instant itself.
    void quietUntil_data()
    {
        QTest::addColumn<QString>("hours");
        QTest::addColumn<Instant>("at");
        QTest::addColumn<Instant>("until");
        const QString night = u"22:00-07:00"_s;
        const QString trading = QuietHours::kOutsideTrading;
        QTest::newRow("night: just before the start") << night << riyadh(7, 21, 59) << riyadh(7, 21, 59);
        QTest::newRow("night: at the start") << night << riyadh(7, 22, 0) << riyadh(8, 7, 0);
        QTest::newRow("night: after midnight") << night << riyadh(8, 6, 59) << riyadh(8, 7, 0);
        QTest::newRow("night: at the end") << night << riyadh(8, 7, 0) << riyadh(8, 7, 0);
        QTest::newRow("day span") << u"12:00-13:00"_s << riyadh(8, 12, 30) << riyadh(8, 13, 0);
        QTest::newRow("trading: Sunday before the pre-open")
            << trading << riyadh(6, 9, 29) << riyadh(6, 9, 30);
        QTest::newRow("trading: in session") << trading << riyadh(6, 15, 29) << riyadh(6, 15, 29);
        QTest::newRow("trading: Monday's close") << trading << riyadh(7, 15, 30) << riyadh(8, 9, 30);
        QTest::newRow("trading: Thursday's close") << trading << riyadh(10, 15, 30) << riyadh(13, 9, 30);
        QTest::newRow("trading: Friday noon") << trading << riyadh(11, 12, 0) << riyadh(13, 9, 30);
        QTest::newRow("trading: Saturday night") << trading << riyadh(12, 23, 59) << riyadh(13, 9, 30);
        QTest::newRow("off") << QString() << riyadh(12, 3, 0) << riyadh(12, 3, 0);
    }

    void quietUntil()
    {
        QFETCH(QString, hours);
        QFETCH(Instant, at);
        QFETCH(Instant, until);
        const QuietHours quiet = *QuietHours::parse(hours);
        QCOMPARE(quiet.quietUntil(at), until);
        QCOMPARE(quiet.isQuiet(at), until != at);
    }

    void tradingDays()
    {
        QCOMPARE(TradingCalendar::openAfterToday(riyadh(10, 20, 0)), riyadh(13, 9, 30));
        QCOMPARE(TradingCalendar::openAfterToday(riyadh(7, 8, 0)), riyadh(8, 9, 30));
        // Founding Day, National Day and the Eids (Umm al-Qura: 1 Shawwal 1447 is 20 March 2026,
        // 10 Dhu al-Hijjah 1447 is 27 May 2026).
        for (const QDate day : {QDate(2026, 2, 22), QDate(2026, 9, 23), QDate(2026, 3, 20),
                                QDate(2026, 3, 22), QDate(2026, 5, 27), QDate(2026, 5, 29)})
            QVERIFY2(TradingCalendar::isHoliday(day) && !TradingCalendar::isTradingDay(day),
                     qPrintable(day.toString(Qt::ISODate)));
        for (const QDate day :
             {QDate(2026, 3, 19), QDate(2026, 3, 23), QDate(2026, 5, 26), QDate(2026, 5, 31)})
            QVERIFY2(!TradingCalendar::isHoliday(day), qPrintable(day.toString(Qt::ISODate)));
    }

    // The digest due last at `now` with its time 09:15, what it covers (from the previous trading day's
    // close), and whether it is still worth showing then.
    void digestWindow_data()
    {
        QTest::addColumn<Instant>("now");
        QTest::addColumn<Instant>("due");
        QTest::addColumn<Instant>("since");
        QTest::addColumn<bool>("timely");
        const auto at = [](int month, int day, int hour, int minute) {
            return TradingCalendar::at(QDate(2026, month, day), hour * 60 + minute);
        };
        const auto row = [](const char* name, Instant now, Instant due, Instant since, bool timely) {
            QTest::newRow(name) << now << due << since << timely;
        };
        row("Monday: since Sunday's close", at(12, 7, 9, 15), at(12, 7, 9, 15), at(12, 6, 15, 30), true);
        row("Sunday after the weekend: since Thursday's close", at(12, 13, 9, 20), at(12, 13, 9, 15),
            at(12, 10, 15, 30), true);
        row("Saturday: Thursday's digest, long past", at(12, 12, 9, 20), at(12, 10, 9, 15), at(12, 9, 15, 30),
            false);
        row("before the time: yesterday's", at(12, 8, 9, 14), at(12, 7, 9, 15), at(12, 6, 15, 30), false);
        row("after National Day (Wednesday): since Tuesday's close", at(9, 24, 9, 29), at(9, 24, 9, 15),
            at(9, 22, 15, 30), true);
        row("after Founding Day (Sunday) and the weekend: since Thursday's", at(2, 23, 9, 16),
            at(2, 23, 9, 15), at(2, 19, 15, 30), true);
        row("missed, the session open", at(12, 7, 9, 30), at(12, 7, 9, 15), at(12, 6, 15, 30), false);
    }

    void digestWindow()
    {
        QFETCH(Instant, now);
        QFETCH(Instant, due);
        QFETCH(Instant, since);
        QFETCH(bool, timely);
        const int minute = *MorningDigest::parseTime(u"9:15"_s);
        QCOMPARE(MorningDigest::latestDue(minute, now), due);
        QVERIFY(now < MorningDigest::nextDue(minute, now));
        QCOMPARE(MorningDigest::latestDue(minute, MorningDigest::nextDue(minute, now).addSeconds(-1)), due);
        QCOMPARE(MorningDigest::windowStart(due), since);
        QCOMPARE(MorningDigest::stillTimely(due, now), timely);
    }

    void gate()
    {
        Announcement aramco(u"1"_s, u"Arabian Energy"_s, {}, {}, riyadh(7, 23, 0), {u"2222"_s});
        NotificationGate::Settings settings;
        settings.quietHours = *QuietHours::parse(u"22:00-07:00"_s);
        const NotificationGate quiet(settings);
        QCOMPARE(quiet.judge(aramco, false, riyadh(7, 23, 0)), NotificationGate::Verdict::Quiet);
        QCOMPARE(quiet.judge(aramco, true, riyadh(7, 23, 0)), NotificationGate::Verdict::Deliver);
        QCOMPARE(quiet.heldUntil(riyadh(7, 23, 0)), std::optional(riyadh(8, 7, 0)));
        QCOMPARE(quiet.heldUntil(riyadh(8, 12, 0)), std::nullopt);

        // A pause and a mute hold urgent ones too, and end by themselves; a pause ending inside quiet
        // hours holds until they end.
        settings.pausedUntil = riyadh(7, 23, 30);
        settings.mutedUntil.insert(u"2222"_s, riyadh(8, 0, 0));
        const NotificationGate held(settings);
        QCOMPARE(held.judge(aramco, true, riyadh(7, 20, 0)), NotificationGate::Verdict::Paused);
        QCOMPARE(held.heldUntil(riyadh(7, 20, 0)), std::optional(riyadh(8, 7, 0)));
        QCOMPARE(held.judge(aramco, true, riyadh(7, 23, 45)), NotificationGate::Verdict::Muted);
        QCOMPARE(held.judge(aramco, true, riyadh(8, 0, 0)), NotificationGate::Verdict::Deliver);
    }
};

QTEST_APPLESS_MAIN(TestQuietHours)
#include "tst_quiethours.moc"
