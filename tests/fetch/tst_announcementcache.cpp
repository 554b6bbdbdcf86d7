#include "fetch/AnnouncementCache.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
const Instant kNow = Instant::fromReferenceSeconds(810000000.0);

Announcement make(const QString& id, double ageSeconds, QStringList companies = {})
{
    return Announcement(id, u"Title "_s + id, u"<p>a &amp; b</p>"_s, u"https://portal.example/x?anId="_s + id,
                        kNow.addSeconds(-ageSeconds), std::move(companies));
}
} // namespace

class TestAnnouncementCache : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    AnnouncementCache m_cache{m_dir.filePath(u"data/Quvex"_s)};
    QByteArray fileBytes() const { return readFile(m_cache.cacheFilePath()); }

private Q_SLOTS:
    void roundTripKeepsEveryFieldOrderAndTheWindow()
    {
        const AnnouncementList list{
            make(u"se_3"_s, 10.123456789, {u"2222"_s}),
            Announcement(u"se_b885c8b"_s, u"شركة أسمنت حائل \"quoted\" \\ /"_s, u"line\nbreak\ttab \x01 😀"_s,
                         u"https://x/?a=1&b=2"_s,
                         Instant::fromReferenceSeconds(kNow.referenceSeconds() - 1.0 / 3.0), {}),
            make(u"se_1"_s, 2591999.999, {u"1120"_s, u"4001"_s}),
        };
        QVERIFY(m_cache.save(list + AnnouncementList{make(u"old"_s, 2592000)}, kNow));
        QCOMPARE(m_cache.load(kNow), std::optional(list));
        QVERIFY(m_cache.cacheFilePath().endsWith(u"/Quvex/announcements_cache.json"_s));
        // Exactly the six keys, compact; a second later the oldest is out of the 30 days.
        const QJsonObject first = QJsonDocument::fromJson(fileBytes()).array().first().toObject();
        QCOMPARE(first.keys(), (QStringList{"companies", "description", "id", "link", "pubDate", "title"}));
        QVERIFY(!fileBytes().contains('\n'));
        QCOMPARE(m_cache.load(kNow.addSeconds(1))->size(), 2);
    }

    void readerRules_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("count"); // -1 = rejected whole
        const auto element = [](const char* id, const char* pubDate, const char* companies) {
            return QByteArray("{\"id\":") + id +
                   ",\"title\":\"t\",\"description\":\"d\",\"link\":\"l\",\"pubDate\":" + pubDate +
                   ",\"companies\":" + companies + "}";
        };
        const QByteArray pub = QByteArray::number(kNow.referenceSeconds() - 60, 'f', 3);
        const QByteArray good = element("\"a\"", pub, "[\"1\"]");
        QTest::newRow("empty array") << QByteArray("[]") << 0;
        QTest::newRow("duplicate ids both kept") << "[" + good + "," + good + "]" << 2;
        QTest::newRow("extra key ignored") << "[" + good.chopped(1) + ",\"extra\":{\"x\":1}}]" << 1;
        QTest::newRow("one lacks companies")
            << "[" + good + "," + good.left(good.indexOf(",\"companies")) + "}]" << -1;
        QTest::newRow("company not text") << "[" + element("\"a\"", pub, "[1]") + "]" << -1;
        QTest::newRow("pubDate as text") << "[" + element("\"a\"", "\"1\"", "[]") + "]" << -1;
        QTest::newRow("null id") << "[" + element("null", pub, "[]") + "]" << -1;
        QTest::newRow("object at top") << "{\"a\":" + good + "}" << -1;
        QTest::newRow("cut short") << "[" + good.left(40) << -1;
    }

    void readerRules()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, count);
        QVERIFY(writeFile(m_cache.cacheFilePath(), content));
        const auto loaded = m_cache.load(kNow);
        QCOMPARE(loaded ? int(loaded->size()) : -1, count);
    }

    void missingFileAndUnwritableFolder()
    {
        QVERIFY(m_cache.remove());
        QVERIFY(!m_cache.load(kNow));
        // A folder that cannot be created (a file is in the way): saving fails and says why.
        QVERIFY(writeFile(m_dir.filePath(u"blocked"_s), {}));
        AnnouncementCache cache(m_dir.filePath(u"blocked/Quvex"_s));
        QString error;
        QVERIFY(!cache.save({make(u"a"_s, 1)}, kNow, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!cache.load(kNow));
    }
};

QTEST_GUILESS_MAIN(TestAnnouncementCache)
#include "tst_announcementcache.moc"
