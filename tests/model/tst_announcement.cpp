#include "model/Announcement.h"

#include <QTest>

class TestAnnouncement : public QObject
{
    Q_OBJECT

    static Announcement make(const QString& title = QStringLiteral("Title"),
                             const QString& description = QStringLiteral("Body"),
                             const QStringList& companies = {QStringLiteral("2222")})
    {
        return Announcement(QStringLiteral("se_1"), title, description,
                            QStringLiteral("https://example.test/1"),
                            Instant::fromReferenceSeconds(800000000.25), companies);
    }

private Q_SLOTS:
    void equalityCoversEveryField()
    {
        const Announcement base = make();
        QCOMPARE(base, make());
        QCOMPARE(qHash(base), qHash(make()));

        const Announcement variants[] = {
            Announcement(QStringLiteral("se_2"), base.title(), base.description(), base.link(),
                         base.pubDate(), base.companies()),
            make(QStringLiteral("Other")),
            make(QStringLiteral("Title"), QStringLiteral("Other body")),
            Announcement(base.id(), base.title(), base.description(),
                         QStringLiteral("https://example.test/2"), base.pubDate(), base.companies()),
            Announcement(base.id(), base.title(), base.description(), base.link(),
                         base.pubDate().addSeconds(1e-6), base.companies()),
            make(QStringLiteral("Title"), QStringLiteral("Body"),
                 {QStringLiteral("2222"), QStringLiteral("1120")}),
            make(QStringLiteral("Title"), QStringLiteral("Body"), {}),
        };
        QSet<Announcement> set{base};
        for (const Announcement& other : variants) {
            QVERIFY(!(other == base));
            set.insert(other);
        }
        QCOMPARE(set.size(), 1 + int(std::size(variants)));
    }

    void isArabic_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("arabic");
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("U+06FF") << QString(QChar(0x06FF)) + QStringLiteral("abc") << true;
        QTest::newRow("U+0700 Syriac") << QString(QChar(0x0700)) << false;
        QTest::newRow("U+FE00 selector") << QString(QChar(0xFE00)) << false;
        QTest::newRow("U+FE70") << QString(QChar(0xFE70)) << true;
        QTest::newRow("Arabic then Latin") << QStringLiteral("شركة Jarir") << true;
        QTest::newRow("digit then Arabic") << QStringLiteral("2222 أرامكو") << false;
        QTest::newRow("space then Arabic") << QStringLiteral(" أرامكو") << false;
        // The first character is a grapheme: a Latin base with an Arabic combining mark counts.
        QTest::newRow("Latin base with Arabic mark")
            << QStringLiteral("a") + QChar(0x0651) + QStringLiteral("bc") << true;
    }

    void isArabic()
    {
        QFETCH(QString, title);
        QFETCH(bool, arabic);
        const Announcement announcement = make(title);
        QCOMPARE(announcement.isArabic(), arabic);
        QCOMPARE(announcement.textDirection(), arabic ? Qt::RightToLeft : Qt::LeftToRight);
    }
};

QTEST_GUILESS_MAIN(TestAnnouncement)
#include "tst_announcement.moc"
