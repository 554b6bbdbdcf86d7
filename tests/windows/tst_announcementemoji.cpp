#include "model/Announcement.h"
#include "model/AnnouncementEmoji.h"
#include "windows/AllAnnouncementsWindow.h"

#include <QTest>

class TestAnnouncementEmoji : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void classifies_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("emoji");
        const QString money = QStringLiteral("\U0001F4B0");
        const QString handshake = QStringLiteral("\U0001F91D");
        const QString pin = QStringLiteral("\U0001F4CC");
        QTest::newRow("nothing matches") << QStringLiteral("Annual general assembly invitation") << pin;
        QTest::newRow("earlier row wins") << QStringLiteral("Board approves merger") << handshake;
        QTest::newRow("arbah hamza") << QStringLiteral("صافي أرباح الربع") << money;
        QTest::newRow("arbah bare alif") << QStringLiteral("صافي ارباح الربع") << pin;
        QTest::newRow("arbah decomposed hamza") << QStringLiteral("صافي \u0627\u0654رباح") << money;
        QTest::newRow("inside a longer word") << QStringLiteral("مجلس الإدارة يوصي بتوزيع") << money;
        QTest::newRow("variation selector kept") << QStringLiteral("halt") << QStringLiteral("\u23F8\uFE0F");
    }

    void classifies()
    {
        QFETCH(QString, title);
        QFETCH(QString, emoji);
        QCOMPARE(AllAnnouncementsWindow::announcementEmoji(title), emoji);
    }

    void issuerNameTitleTakesTheDescriptionsCategory()
    {
        const auto emoji = [](const QString& title, const QString& description) {
            return AnnouncementEmoji::forAnnouncement(
                Announcement(QStringLiteral("se_1"), title, description, QString(), Instant(), {}));
        };
        const QString company = QStringLiteral("Arabian Energy Co.");
        QCOMPARE(emoji(company, QStringLiteral("<p>announces a cash <b>dividend</b></p>")),
                 QStringLiteral("\U0001F4B0"));
        // The title's own category wins, and markup in it names none.
        QCOMPARE(emoji(QStringLiteral("Board meeting"), QStringLiteral("dividend")),
                 QStringLiteral("\U0001F3DB\uFE0F"));
        QCOMPARE(emoji(QStringLiteral("<span class=\"board\">X</span>"), QString()),
                 QStringLiteral("\U0001F4CC"));
    }
};

QTEST_GUILESS_MAIN(TestAnnouncementEmoji)
#include "tst_announcementemoji.moc"
