#include "fetch/AnnouncementCache.h"
#include "support/StdoutCapture.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <limits>

namespace {
const Instant kNow = Instant::fromReferenceSeconds(810000000.0);

Announcement make(const QString& id, double ageSeconds, QStringList companies = {})
{
    return Announcement(id, QStringLiteral("Title ") + id, QStringLiteral("<p>a &amp; b</p>"),
                        QStringLiteral("https://portal.example/x?anId=") + id, kNow.addSeconds(-ageSeconds),
                        std::move(companies));
}
} // namespace

class TestAnnouncementCache : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString folder() const { return m_dir.filePath(QStringLiteral("data/Quvex")); }

    void writeFile(const QByteArray& bytes)
    {
        AnnouncementCache cache(folder());
        QFile file(cache.cacheFilePath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    std::optional<AnnouncementList> loadText(const QByteArray& bytes)
    {
        writeFile(bytes);
        return AnnouncementCache(folder()).load(kNow);
    }

private Q_SLOTS:
    void init() { QFile::remove(AnnouncementCache(folder()).cacheFilePath()); }

    void roundTripKeepsEveryFieldAndOrder()
    {
        AnnouncementList list{
            make(QStringLiteral("se_3"), 10.123456789, {QStringLiteral("2222")}),
            Announcement(QStringLiteral("se_b885c8b"), QStringLiteral("شركة أسمنت حائل \"quoted\" \\ /"),
                         QStringLiteral("line\nbreak\ttab \x01 😀"), QStringLiteral("https://x/?a=1&b=2"),
                         Instant::fromReferenceSeconds(kNow.referenceSeconds() - 1.0 / 3.0), {}),
            make(QStringLiteral("se_1"), 2591999.999, {QStringLiteral("1120"), QStringLiteral("4001")}),
        };
        AnnouncementCache cache(folder());
        QVERIFY(cache.save(list, kNow));
        QCOMPARE(cache.load(kNow), std::optional<AnnouncementList>(list));

        // Exactly the six keys, compact, in the XDG data folder of its own.
        QFile file(cache.cacheFilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(!bytes.contains('\n'));
        const QJsonObject first = QJsonDocument::fromJson(bytes).array().first().toObject();
        QCOMPARE(first.keys(), (QStringList{"companies", "description", "id", "link", "pubDate", "title"}));
        QVERIFY(cache.cacheFilePath().endsWith(QLatin1String("/Quvex/announcements_cache.json")));
    }

    // The file is written directly, not through QJsonDocument: the bytes must be the same.
    void writesWhatQtJsonWrites()
    {
        QString awkward = QStringLiteral("\"\\/\b\f\n\r\t\x01\x1f\x7f é ع € 😀 \u2028");
        awkward.append(QChar(0xd83d)).append(QStringLiteral("x")).append(QChar(0xde00)); // lone halves
        AnnouncementList list;
        for (const double seconds : {0.0, -1.5, 794325900.0, 794325900.25, 1.0 / 3.0, 1e300, 9.3e18, -4e-7,
                                     std::nan(""), std::numeric_limits<double>::infinity()})
            list.append(Announcement(awkward, awkward, awkward, QString(),
                                     Instant::fromReferenceSeconds(seconds), {awkward, QString()}));
        list.append(make(QStringLiteral("se_1"), 5));
        QJsonArray array;
        for (const Announcement& announcement : list)
            array.append(AnnouncementCache::toJson(announcement));
        QCOMPARE(AnnouncementCache::encode(list), QJsonDocument(array).toJson(QJsonDocument::Compact));
        QCOMPARE(AnnouncementCache::encode({}), QByteArray("[]"));
    }

    void retentionBoundary()
    {
        AnnouncementCache cache(folder());
        QVERIFY(cache.save({make(QStringLiteral("young"), 2591999), make(QStringLiteral("edge"), 2592000)},
                           kNow));
        auto loaded = cache.load(kNow);
        QVERIFY(loaded);
        QCOMPARE(loaded->size(), 1);
        QCOMPARE(loaded->first().id(), QStringLiteral("young"));
        // One second later the young one is exactly 30 days old too.
        loaded = cache.load(kNow.addSeconds(1));
        QVERIFY(loaded && loaded->isEmpty());
        // Only old entries: an empty array is written.
        QVERIFY(cache.save({make(QStringLiteral("old"), 3000000)}, kNow));
        QFile file(cache.cacheFilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[]"));
    }

    void readerRules_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("count"); // -1 = rejected whole
        const QByteArray pub = QByteArray::number(kNow.referenceSeconds() - 60, 'f', 3);
        const QByteArray good =
            "{\"id\":\"a\",\"title\":\"t\",\"description\":\"d\",\"link\":\"l\",\"pubDate\":" + pub +
            ",\"companies\":[\"1\"]}";
        QTest::newRow("empty array") << QByteArray("[]") << 0;
        QTest::newRow("one good") << "[" + good + "]" << 1;
        QTest::newRow("duplicate ids both kept") << "[" + good + "," + good + "]" << 2;
        QTest::newRow("integer pubDate")
            << QByteArray("[{\"id\":\"a\",\"title\":\"t\",\"description\":\"d\",\"link\":\"l\",\"pubDate\":" +
                          QByteArray::number(qint64(kNow.referenceSeconds())) + ",\"companies\":[]}]")
            << 1;
        QTest::newRow("extra key ignored") << "[" + good.chopped(1) + ",\"extra\":{\"x\":1}}]" << 1;
        QTest::newRow("escapes") << QByteArray("[{\"id\":\"\\u0061\",\"title\":\"\\ud83d\\ude00\\/"
                                               "\\\"\",\"description\":\"\\b\\f\\n\\r\\t\","
                                               "\"link\":\"l\",\"pubDate\":" +
                                               pub + ",\"companies\":[]}]")
                                 << 1;
        QTest::newRow("one lacks companies")
            << "[" + good +
                   ",{\"id\":\"b\",\"title\":\"t\",\"description\":\"d\",\"link\":\"l\",\"pubDate\":1}]"
            << -1;
        QTest::newRow("company not text")
            << QByteArray("[{\"id\":\"a\",\"title\":\"t\",\"description\":\"d\",\"link\":\"l\",\"pubDate\":" +
                          pub + ",\"companies\":[1]}]")
            << -1;
        QTest::newRow("pubDate as text") << QByteArray("[{\"id\":\"a\",\"title\":\"t\",\"description\":\"d\","
                                                       "\"link\":\"l\",\"pubDate\":\"1\",\"companies\":[]}]")
                                         << -1;
        QTest::newRow("null id") << QByteArray("[{\"id\":null,\"title\":\"t\",\"description\":\"d\",\"link\":"
                                               "\"l\",\"pubDate\":1,\"companies\":[]}]")
                                 << -1;
        QTest::newRow("object at top") << "{\"a\":" + good + "}" << -1;
        QTest::newRow("cut short") << "[" + good.left(40) << -1;
        QTest::newRow("not UTF-8 JSON") << QByteArray("\xff\xfe[") << -1;
    }

    void readerRules()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, count);
        const auto loaded = loadText(content);
        QCOMPARE(loaded.has_value(), count >= 0);
        if (loaded)
            QCOMPARE(loaded->size(), count);
    }

    void escapesDecode()
    {
        const auto loaded = loadText(QByteArray("[{\"id\":\"\\u0061\",\"title\":\"\\ud83d\\ude00\\/"
                                                "\",\"description\":\"\",\"link\":\"l\",\"pubDate\":") +
                                     QByteArray::number(kNow.referenceSeconds()) + ",\"companies\":[]}]");
        QVERIFY(loaded && loaded->size() == 1);
        QCOMPARE(loaded->first().id(), QStringLiteral("a"));
        QCOMPARE(loaded->first().title(), QStringLiteral("😀/"));
    }

    void missingFileAndUnwritableFolder()
    {
        QVERIFY(!AnnouncementCache(folder()).load(kNow));
        // A folder that cannot be created (a file is in the way): saving fails with one log line.
        QFile blocker(m_dir.filePath(QStringLiteral("blocked")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        AnnouncementCache cache(m_dir.filePath(QStringLiteral("blocked/Quvex")));
        {
            const StdoutCapture log;
            QVERIFY(!cache.save({make(QStringLiteral("a"), 1)}, kNow));
            QCOMPARE(log.text().count(QLatin1Char('\n')), 1);
            QVERIFY(log.text().startsWith(QLatin1String("[Fetcher] Could not save the cache file ")));
        }
        QVERIFY(!cache.load(kNow));
        QVERIFY(!cache.remove());
    }
};

QTEST_GUILESS_MAIN(TestAnnouncementCache)
#include "tst_announcementcache.moc"
