#include "fetch/IssuerDirectory.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestIssuerDirectory : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    static Announcement issuerItem(const QString& symbol, const QString& name, int id = 1)
    {
        return Announcement(u"se_%1"_s.arg(id), name, u"announces results"_s,
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
        const Announcement news(u"se_9"_s, u"Index closes higher"_s, QString(),
                                u"https://x.test/news-detail-wcm/?newsId=9"_s, now, {u"2030"_s});
        IssuerDirectory directory(m_dir.path());
        QVERIFY(directory.learn({issuerItem(u"2222"_s, u"Arabian <b>Energy</b> Co."_s), news,
                                 issuerItem(u"../x"_s, u"Bad symbol"_s)},
                                now));
        QVERIFY(directory.learn({issuerItem(u"2222"_s, u"شركة الطاقة العربية"_s)}, now));
        QVERIFY(!directory.learn({issuerItem(u"2222"_s, u"شركة الطاقة العربية"_s)}, now));
        QVERIFY(directory.save());

        const IssuerDirectory reloaded(m_dir.path());
        QCOMPARE(reloaded.issuers().size(), 1); // market news and a malformed symbol teach nothing
        QCOMPARE(reloaded.displayName(u"2222"_s), u"Arabian Energy Co. \u00B7 شركة الطاقة العربية"_s);
        QVERIFY(reloaded.displayName(u"2030"_s).isEmpty());

        // By symbol prefix, by part of either name, Arabic folded (hamza, taa marbuta).
        for (const QString& typed : {u"22"_s, u"energy"_s, u"الطاقه"_s})
            QCOMPARE(reloaded.search(typed).value(0).symbol, u"2222"_s);
        QVERIFY(reloaded.search(u"bank"_s).isEmpty());
    }

    // A name that would act on a terminal (escape, bell, OSC 52) is learned without its controls.
    void namesAreLearnedClean()
    {
        IssuerDirectory directory(m_dir.path());
        directory.learn({issuerItem(u"2222"_s, u"Evil&#27;]52;c;ZXZpbA==&#7; Co.\u0085"_s)},
                        Instant::fromReferenceSeconds(800000000));
        QCOMPARE(directory.displayName(u"2222"_s), u"Evil]52;c;ZXZpbA== Co."_s);

        // Cut to length on a space: saved and read back the same.
        const QString cutOnSpace = QString(IssuerDirectory::kMaxNameLength - 1, u'a') + u" bcd"_s;
        directory.learn({issuerItem(u"3333"_s, cutOnSpace)}, Instant::fromReferenceSeconds(800000000));
        QVERIFY(directory.save());
        QCOMPARE(IssuerDirectory(m_dir.path()).displayName(u"3333"_s), directory.displayName(u"3333"_s));
    }

    // A full directory of the longest names in the widest characters is written and read back whole.
    void boundedByLastSeenAndRobustToDamage()
    {
        IssuerDirectory directory(m_dir.path());
        AnnouncementList many;
        const QString wide = QString(IssuerDirectory::kMaxNameLength, QChar(0x20AC)) + u"&#1;"_s;
        for (int i = 0; i < IssuerDirectory::kMaxIssuers + 5; ++i)
            many.append(issuerItem(QString::number(10000 + i), QString::number(i) + wide, i));
        // The first five were seen a week earlier than the rest.
        directory.learn(many.mid(0, 5), Instant::fromReferenceSeconds(800000000));
        directory.learn(many.mid(5), Instant::fromReferenceSeconds(800000000 + 7 * 86400));
        QCOMPARE(directory.issuers().size(), IssuerDirectory::kMaxIssuers);
        QVERIFY(!directory.find(u"10004"_s));
        QVERIFY(directory.find(u"10005"_s));
        QVERIFY(directory.save());
        QCOMPARE(IssuerDirectory(m_dir.path()).issuers().size(), IssuerDirectory::kMaxIssuers);

        // A hand-made file far over the limit is cut down in one pass (the newest kept).
        QJsonObject huge;
        for (int i = 0; i < 150000; ++i)
            huge.insert(QString::number(100000 + i), QJsonObject{{u"seen"_s, i}});
        const QString file = m_dir.filePath(IssuerDirectory::fileName);
        QVERIFY(writeFile(file, QJsonDocument(huge).toJson(QJsonDocument::Compact)));
        const IssuerDirectory trimmed(m_dir.path());
        QCOMPARE(trimmed.issuers().size(), IssuerDirectory::kMaxIssuers);
        QVERIFY(trimmed.find(u"249999"_s) && !trimmed.find(u"246999"_s));

        QVERIFY(writeFile(file, "{\"2222\": {\"en\": 5}, \"../x\": {\"en\": \"y\", \"seen\": 1}, ["));
        QVERIFY(IssuerDirectory(m_dir.path()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestIssuerDirectory)
#include "tst_issuerdirectory.moc"
