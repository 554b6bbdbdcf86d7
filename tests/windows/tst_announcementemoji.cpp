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
        const QString chart = QStringLiteral("\U0001F4CA");
        const QString clipboard = QStringLiteral("\U0001F4CB");
        const QString scales = QStringLiteral("\u2696\uFE0F");
        const QString handshake = QStringLiteral("\U0001F91D");
        const QString bank = QStringLiteral("\U0001F3E6");
        const QString pause = QStringLiteral("\u23F8\uFE0F");
        const QString columns = QStringLiteral("\U0001F3DB\uFE0F");
        const QString pin = QStringLiteral("\U0001F4CC");

        QTest::newRow("empty") << QString() << pin;
        QTest::newRow("nothing matches") << QStringLiteral("Annual general assembly invitation") << pin;
        QTest::newRow("capitals") << QStringLiteral("CASH DIVIDEND") << money;
        QTest::newRow("row 1 before row 2") << QStringLiteral("Results and dividend") << money;
        QTest::newRow("row 5 before row 8") << QStringLiteral("Board approves merger") << handshake;
        QTest::newRow("compli") << QStringLiteral("Compliance update") << scales;
        QTest::newRow("cma") << QStringLiteral("CMA approval") << scales;
        QTest::newRow("acquisition") << QStringLiteral("Acquisition of a stake") << handshake;
        QTest::newRow("acquire") << QStringLiteral("To acquire land") << handshake;
        QTest::newRow("billboard") << QStringLiteral("New billboard") << columns;
        QTest::newRow("asphalt") << QStringLiteral("Asphalt plant") << pause;
        QTest::newRow("tripod") << QStringLiteral("Tripod maker") << bank;
        QTest::newRow("earnings") << QStringLiteral("Q3 Earnings") << chart;
        QTest::newRow("agreement") << QStringLiteral("Signing an agreement") << clipboard;
        QTest::newRow("offering") << QStringLiteral("Rights offering") << bank;
        QTest::newRow("suspended") << QStringLiteral("Trading Suspended") << pause;
        // Arabic keywords.
        QTest::newRow("tawzee") << QStringLiteral("إعلان توزيع نقدي") << money;
        QTest::newRow("arbah hamza") << QStringLiteral("صافي أرباح الربع") << money;
        QTest::newRow("arbah bare alif") << QStringLiteral("صافي ارباح الربع") << pin;
        QTest::newRow("arbah decomposed hamza") << QStringLiteral("صافي \u0627\u0654رباح") << money;
        QTest::newRow("aqd") << QStringLiteral("توقيع عقد") << clipboard;
        QTest::newRow("indimaj") << QStringLiteral("اندماج شركتين") << handshake;
        QTest::newRow("iktitab") << QStringLiteral("اكتتاب عام") << bank;
        QTest::newRow("majlis only") << QStringLiteral("قرار مجلس الإدارة") << columns;
        QTest::newRow("inside a longer word") << QStringLiteral("مجلس الإدارة يوصي بتوزيع") << money;
    }

    void classifies()
    {
        QFETCH(QString, title);
        QFETCH(QString, emoji);
        QCOMPARE(AllAnnouncementsWindow::announcementEmoji(title), emoji);
    }

    void variationSelectorsArePartOfTheMark()
    {
        QCOMPARE(AllAnnouncementsWindow::announcementEmoji(QStringLiteral("regulatory")).toUcs4(),
                 (QList<uint>{0x2696, 0xFE0F}));
        QCOMPARE(AllAnnouncementsWindow::announcementEmoji(QStringLiteral("halt")).toUcs4(),
                 (QList<uint>{0x23F8, 0xFE0F}));
        QCOMPARE(AllAnnouncementsWindow::announcementEmoji(QStringLiteral("board")).toUcs4(),
                 (QList<uint>{0x1F3DB, 0xFE0F}));
        QCOMPARE(AllAnnouncementsWindow::announcementEmoji(QStringLiteral("ipo")).toUcs4(),
                 (QList<uint>{0x1F3E6}));
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
        QCOMPARE(emoji(company, QStringLiteral("Results and a new contract")), QStringLiteral("\U0001F4CA"));
        // The title's own category wins, and markup in it names none.
        QCOMPARE(emoji(QStringLiteral("Board meeting"), QStringLiteral("dividend")),
                 QStringLiteral("\U0001F3DB\uFE0F"));
        QCOMPARE(emoji(QStringLiteral("<span class=\"board\">X</span>"), QString()),
                 QStringLiteral("\U0001F4CC"));
        QCOMPARE(emoji(company, QStringLiteral("Invitation to a general assembly")),
                 QStringLiteral("\U0001F4CC"));
    }
};

QTEST_GUILESS_MAIN(TestAnnouncementEmoji)
#include "tst_announcementemoji.moc"
