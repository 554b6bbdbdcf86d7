#include "fetch/IssuerDirectory.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

class TestIssuerDirectory : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    static Announcement issuerItem(const QString& symbol, const QString& name, int id = 1)
    {
        return Announcement(QStringLiteral("se_%1").arg(id), name, QStringLiteral("announces results"),
                            QStringLiteral("https://x.test/issuer-news/issuer-announcements/"
                                           "issuer-announcements-details/?anId=%1")
                                .arg(id),
                            Instant::fromReferenceSeconds(800000000), {symbol});
    }

private Q_SLOTS:
    void init() { QFile::remove(m_dir.filePath(IssuerDirectory::fileName)); }

    void learnsBothLanguagesAndKeepsThem()
    {
        const Instant now = Instant::fromReferenceSeconds(800000000);
        const Announcement news(QStringLiteral("se_9"), QStringLiteral("Index closes higher"), QString(),
                                QStringLiteral("https://x.test/news-detail-wcm/?newsId=9"), now,
                                {QStringLiteral("2030")});
        IssuerDirectory directory(m_dir.path());
        QVERIFY(
            directory.learn({issuerItem(QStringLiteral("2222"), QStringLiteral("Arabian <b>Energy</b> Co.")),
                             news, issuerItem(QStringLiteral("../x"), QStringLiteral("Bad symbol"))},
                            now));
        QVERIFY(directory.learn({issuerItem(QStringLiteral("2222"), QStringLiteral("شركة الطاقة العربية"))},
                                now));
        QVERIFY(!directory.learn({issuerItem(QStringLiteral("2222"), QStringLiteral("شركة الطاقة العربية"))},
                                 now));
        QVERIFY(directory.save());

        const IssuerDirectory reloaded(m_dir.path());
        QCOMPARE(reloaded.issuers().size(), 1); // market news and a malformed symbol teach nothing
        QCOMPARE(reloaded.displayName(QStringLiteral("2222")),
                 QStringLiteral("Arabian Energy Co. \u00B7 شركة الطاقة العربية"));
        QVERIFY(reloaded.displayName(QStringLiteral("2030")).isEmpty());

        // By symbol prefix, by part of either name, Arabic folded (hamza, taa marbuta).
        for (const QString& typed :
             {QStringLiteral("22"), QStringLiteral("energy"), QStringLiteral("الطاقه")})
            QCOMPARE(reloaded.search(typed).value(0).symbol, QStringLiteral("2222"));
        QVERIFY(reloaded.search(QStringLiteral("bank")).isEmpty());
    }

    // A name that would act on a terminal (escape, bell, OSC 52) is learned without its controls.
    void namesAreLearnedClean()
    {
        IssuerDirectory directory(m_dir.path());
        directory.learn(
            {issuerItem(QStringLiteral("2222"), QStringLiteral("Evil&#27;]52;c;ZXZpbA==&#7; Co.\u0085"))},
            Instant::fromReferenceSeconds(800000000));
        QCOMPARE(directory.displayName(QStringLiteral("2222")), QStringLiteral("Evil]52;c;ZXZpbA== Co."));

        // Cut to length on a space: saved and read back the same.
        const QString cutOnSpace =
            QString(IssuerDirectory::kMaxNameLength - 1, QLatin1Char('a')) + QStringLiteral(" bcd");
        directory.learn({issuerItem(QStringLiteral("3333"), cutOnSpace)},
                        Instant::fromReferenceSeconds(800000000));
        QVERIFY(directory.save());
        QCOMPARE(IssuerDirectory(m_dir.path()).displayName(QStringLiteral("3333")),
                 directory.displayName(QStringLiteral("3333")));
    }

    // A full directory of the longest names in the widest characters is written and read back whole.
    void boundedByLastSeenAndRobustToDamage()
    {
        IssuerDirectory directory(m_dir.path());
        AnnouncementList many;
        const QString wide = QString(IssuerDirectory::kMaxNameLength, QChar(0x20AC)) + QStringLiteral("&#1;");
        for (int i = 0; i < IssuerDirectory::kMaxIssuers + 5; ++i)
            many.append(issuerItem(QString::number(10000 + i), QString::number(i) + wide, i));
        // The first five were seen a week earlier than the rest.
        directory.learn(many.mid(0, 5), Instant::fromReferenceSeconds(800000000));
        directory.learn(many.mid(5), Instant::fromReferenceSeconds(800000000 + 7 * 86400));
        QCOMPARE(directory.issuers().size(), IssuerDirectory::kMaxIssuers);
        QVERIFY(!directory.find(QStringLiteral("10004")));
        QVERIFY(directory.find(QStringLiteral("10005")));
        QVERIFY(directory.save());
        QCOMPARE(IssuerDirectory(m_dir.path()).issuers().size(), IssuerDirectory::kMaxIssuers);

        // A hand-made file far over the limit is cut down in one pass (the newest kept).
        QJsonObject huge;
        for (int i = 0; i < 150000; ++i)
            huge.insert(QString::number(100000 + i), QJsonObject{{QStringLiteral("seen"), i}});
        const QString file = m_dir.filePath(IssuerDirectory::fileName);
        QVERIFY(writeFile(file, QJsonDocument(huge).toJson(QJsonDocument::Compact)));
        const IssuerDirectory trimmed(m_dir.path());
        QCOMPARE(trimmed.issuers().size(), IssuerDirectory::kMaxIssuers);
        QVERIFY(trimmed.find(QStringLiteral("249999")) && !trimmed.find(QStringLiteral("246999")));

        QVERIFY(writeFile(file, "{\"2222\": {\"en\": 5}, \"../x\": {\"en\": \"y\", \"seen\": 1}, ["));
        QVERIFY(IssuerDirectory(m_dir.path()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestIssuerDirectory)
#include "tst_issuerdirectory.moc"
