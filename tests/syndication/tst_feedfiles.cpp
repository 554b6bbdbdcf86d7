// The feed files as other readers see them: the Atom feed through a real feed reader's parser
// (python3-feedparser), the JSON Feed's required fields, Arabic and hostile portal texts.
#include "support/TestFiles.h"
#include "syndication/FeedFiles.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

namespace {
const Instant kDate = Instant::fromDateTime(QDateTime::fromString(u"2026-03-04T11:05:00Z"_s, Qt::ISODate));

// English with two symbols, Arabic, market news without a symbol, and one whose texts would break XML.
AnnouncementList announcements()
{
    const QString link = u"https://www.saudiexchange.sa/wps/portal/"_s;
    return {
        Announcement(u"se_1"_s, u"Arabian Energy Co."_s,
                     u"<p>Arabian Energy Co. announces a cash dividend</p>"_s, link + u"1"_s, kDate,
                     {u"2222"_s, u"1120"_s}),
        Announcement(u"se_2"_s, u"شركة الطاقة العربية"_s, u"تعلن شركة الطاقة العربية عن توزيع أرباح نقدية"_s,
                     link + u"2"_s, kDate.addSeconds(-60), {u"2222"_s}),
        Announcement(u"mn_3"_s, u"Market index reached <b>12,000</b>"_s, QString(), link + u"3"_s,
                     kDate.addSeconds(-120), {}),
        Announcement(u"se_4 &x"_s, u"Evil \x1b]0;pwned\x07 "_s + QChar(0xD800) + u"\uFFFE"_s,
                     u"line one\r\nline\x0c two"_s, link + u"4"_s, kDate.addSeconds(-180), {u"2222\n<x>"_s}),
    };
}
} // namespace

class TestFeedFiles : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    FeedFiles m_files{m_dir.filePath(u"Quvex"_s), u"https://www.saudiexchange.sa"_s};

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_files.write(announcements(), u"en"_s, kDate)); }

    void atomReadByAFeedReader()
    {
        const QByteArray atom = readFile(m_files.path(FeedFiles::Format::Atom));
        QXmlStreamReader xml(atom);
        while (!xml.atEnd())
            xml.readNext();
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));

        const QString python = QStandardPaths::findExecutable(u"python3"_s, {u"/usr/bin"_s});
        QProcess reader;
        reader.start(python, {u"-c"_s, uR"(import feedparser, json, sys
d = feedparser.parse(sys.stdin.buffer.read())
print(json.dumps({"bozo": d.bozo, "version": d.version, "updated": d.feed.updated,
  "entries": [[e.id, e.title, e.get("summary", ""), e.link, e.published, e.title_detail.language,
               [t.term for t in e.tags if t.scheme.endswith("symbol")],
               [t.term for t in e.tags if t.scheme.endswith("category")]] for e in d.entries]}))
)"_s});
        reader.write(atom);
        reader.closeWriteChannel();
        QVERIFY(reader.waitForFinished());
        if (reader.exitCode() != 0)
            QSKIP("needs Debian's python3-feedparser");
        const QJsonObject parsed = QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
        QCOMPARE(parsed[u"bozo"_s].toInt(), 0);
        QCOMPARE(parsed[u"version"_s].toString(), u"atom10"_s);
        QCOMPARE(parsed[u"updated"_s].toString(), u"2026-03-04T14:05:00+03:00"_s);
        const QJsonArray entries = parsed[u"entries"_s].toArray();
        QCOMPARE(entries.size(), 4);
        auto entry = [&](int i) { return entries[i].toVariant().toStringList(); };
        QCOMPARE(entry(0).mid(0, 6),
                 (QStringList{u"tag:zelvora.org,2026:announcement/se_1"_s, u"Arabian Energy Co."_s,
                              u"announces a cash dividend"_s, u"https://www.saudiexchange.sa/wps/portal/1"_s,
                              u"2026-03-04T14:05:00+03:00"_s, u"en"_s}));
        QCOMPARE(entries[0][6].toVariant().toStringList(), (QStringList{u"2222"_s, u"1120"_s}));
        QCOMPARE(entries[0][7].toVariant().toStringList(), QStringList{u"dividends"_s});
        QCOMPARE(entry(1).mid(1, 3), (QStringList{u"شركة الطاقة العربية"_s, u"تعلن عن توزيع أرباح نقدية"_s,
                                                  u"https://www.saudiexchange.sa/wps/portal/2"_s}));
        QCOMPARE(entry(1).at(5), u"ar"_s);
        QCOMPARE(entry(2).at(1), u"Market index reached 12,000"_s);
        QCOMPARE(entry(3).at(0), u"tag:zelvora.org,2026:announcement/se_4%20%26x"_s);
        QCOMPARE(entry(3).at(1), u"Evil \uFFFD]0;pwned\uFFFD \uFFFD\uFFFD"_s);
        QCOMPARE(entries[3][6].toVariant().toStringList(), QStringList{u"2222 <x>"_s});
    }

    void jsonFeedFields()
    {
        const QJsonObject feed =
            QJsonDocument::fromJson(readFile(m_files.path(FeedFiles::Format::Json))).object();
        QCOMPARE(feed[u"version"_s].toString(), u"https://jsonfeed.org/version/1.1"_s);
        QVERIFY(!feed[u"title"_s].toString().isEmpty());
        const QJsonArray items = feed[u"items"_s].toArray();
        QCOMPARE(items.size(), 4);
        for (const QJsonValue& item : items) // id and a content are required
            QVERIFY(!item[u"id"_s].toString().isEmpty() && !item[u"content_text"_s].toString().isEmpty());
        QCOMPARE(items[1][u"language"_s].toString(), u"ar"_s);
        QCOMPARE(items[1][u"title"_s].toString(), u"شركة الطاقة العربية"_s);
        QCOMPARE(items[1][u"date_published"_s].toString(), u"2026-03-04T14:04:00+03:00"_s);
        QCOMPARE(items[0][u"tags"_s].toArray(), (QJsonArray{u"2222"_s, u"1120"_s, u"dividends"_s}));
        QCOMPARE(items[2][u"content_text"_s].toString(), u"Market index reached 12,000"_s);
        QCOMPARE(items[3][u"content_text"_s].toString(), u"line one\nline\uFFFD two"_s);
    }

    // One writer lives as long as the program: a changed list, or a file deleted meanwhile, is written;
    // a folder that cannot be made is reported.
    void rewrittenWhenNeeded()
    {
        QTemporaryDir dir;
        FeedFiles files(dir.path(), QString());
        const QString json = files.path(FeedFiles::Format::Json);
        QVERIFY(files.write(announcements(), u"en"_s, kDate) && QFile::remove(json));
        QVERIFY(files.write(announcements(), u"en"_s, kDate));
        QCOMPARE(QJsonDocument::fromJson(readFile(json))[u"items"_s].toArray().size(), 4);
        QVERIFY(files.write(announcements().mid(1), u"en"_s, kDate));
        QCOMPARE(QJsonDocument::fromJson(readFile(json))[u"items"_s].toArray().size(), 3);
        QVERIFY(!FeedFiles(json, QString()).write(announcements(), u"en"_s, kDate)); // a file in the way
    }
};

QTEST_GUILESS_MAIN(TestFeedFiles)
#include "tst_feedfiles.moc"
