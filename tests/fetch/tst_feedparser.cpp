#include "fetch/FeedParser.h"
#include "support/ManualClock.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
const QString kOrigin = u"https://portal.example"_s;
const Instant kNow = Instant::fromUnixSeconds(1780000000);

Announcement parseOne(const QJsonObject& item, const QString& locale = u"en"_s)
{
    const QByteArray page =
        QJsonDocument(QJsonObject{{u"announcementList"_s, QJsonArray{item}}}).toJson(QJsonDocument::Compact);
    const auto list =
        FeedParser::parseAnnouncementResponse(page, u"tadawul"_s, locale, kOrigin, ManualClock(kNow));
    return list && list->size() == 1 ? list->first() : Announcement();
}
} // namespace

class TestFeedParser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void documentShapes()
    {
        const std::pair<const char*, int> rows[] = {
            {"[]", -1}, // -1: unusable
            {"<html>Access Denied</html>", -1},
            {"{\"totalCount\":3}", -1},
            {"{\"announcementList\":{}}", -1},
            {"{\"announcementList\":[{},null]}", -1},
            {"{\"announcementList\":[]}", 0},
            {"{\"announcementList\":[{},{\"X\":1}],\"totalCount\":2}", 2},
        };
        for (const auto& [body, count] : rows) {
            const auto result =
                FeedParser::parseAnnouncementResponse(body, u"market"_s, u"en"_s, kOrigin, ManualClock(kNow));
            QCOMPARE(result ? int(result->size()) : -1, count);
        }
    }

    void identifiers()
    {
        // Hashed over the delivered texts (the link before completion), UTF-8.
        const QByteArray key = u"tadawul|شركة أسمنت حائل|05/01/2025 14:30:00|/a?anId=1&locale=en"_s.toUtf8();
        const QString hashed = u"se_"_s + QString::number(FeedParser::djb2(key), 16);
        const std::pair<QJsonValue, QString> rows[] = {{987, u"se_987"_s}, {0, hashed},
                                                       {-5, hashed},       {987.5, hashed},
                                                       {u"987"_s, hashed}, {QJsonValue::Undefined, hashed}};
        for (const auto& [pressReleaseId, expected] : rows) {
            QJsonObject item{{u"TITLE"_s, u"شركة أسمنت حائل"_s},
                             {u"newsDateStr"_s, u"05/01/2025 14:30:00"_s},
                             {u"announcementUrl"_s, u"/a?anId=1&locale=en"_s}};
            if (!pressReleaseId.isUndefined())
                item.insert(u"PRESS_REL_ID"_s, pressReleaseId);
            QCOMPARE(parseOne(item).id(), expected);
        }
        // Stored seen sets hold these identifiers: the hash may never change.
        QCOMPARE(FeedParser::djb2("abc"), quint64(193485963));
        QCOMPARE(FeedParser::fallbackIdentifier(u"x"_s, u"y"_s, {}, {}),
                 u"se_"_s + QString::number(FeedParser::djb2("x|y||"), 16));
    }

    void dates_data()
    {
        QTest::addColumn<QJsonObject>("fields");
        QTest::addColumn<double>("unixSeconds"); // NaN = the parse time
        const double now = qQNaN();
        auto row = [](const char* name, QJsonObject fields, double expected) {
            QTest::newRow(name) << fields << expected;
        };
        row("newsDateStr Riyadh", {{"newsDateStr", "05/01/2025 14:30:00"}}, 1736076600);
        row("newsDateStr one-digit fields", {{"newsDateStr", "5/1/2025 14:30:00"}}, 1736076600);
        row("newsDateStr wins over timestamp", {{"newsDateStr", "05/01/2025 14:30:00"}, {"timestamp", 1}},
            1736076600);
        row("newsDateStr bad form, valid timestamp",
            {{"newsDateStr", "2025-01-05"}, {"timestamp", 1736080200}}, now);
        row("newsDateStr 29 Feb non-leap", {{"newsDateStr", "29/02/2025 10:00:00"}}, now);
        row("newsDateStr trailing text", {{"newsDateStr", "05/01/2025 14:30:00 AST"}}, now);
        row("timestamp text PM", {{"timestamp", "Jan 5, 2025 2:30:00 PM"}}, 1736076600);
        row("timestamp text 12 AM", {{"timestamp", "Mar 25, 2026 12:05:08 AM"}}, 1774386308);
        row("timestamp text hour 13", {{"timestamp", "Mar 25, 2026 13:05:08 PM"}}, now);
        row("timestamp text Arabic digits", {{"timestamp", "Mar ٢٥, 2026 3:35:08 PM"}}, now);
        row("timestamp seconds", {{"timestamp", 1736080200}}, 1736080200);
        row("timestamp milliseconds", {{"timestamp", 1736080200000.0}}, 1736080200);
        row("timestamp fraction kept", {{"timestamp", 1736080200.25}}, 1736080200.25);
        row("timestamp just above 1e10 is ms", {{"timestamp", 10000000001.0}}, 10000000.001);
        row("no date at all", {}, now);
        row("date of wrong type", {{"newsDateStr", 5}, {"timestamp", true}}, now);
        // Not believed more than a day ahead of the fetch (kNow is 2026-05-28 20:26:40 UTC).
        row("timestamp 1e300", {{"timestamp", 1e300}}, now);
        row("a day ahead is believed", {{"newsDateStr", "29/05/2026 23:26:40"}}, 1780000000 + 86400);
        row("a second more is not", {{"newsDateStr", "29/05/2026 23:26:41"}}, now);
    }

    void dates()
    {
        QFETCH(QJsonObject, fields);
        QFETCH(double, unixSeconds);
        const Announcement parsed = parseOne(fields);
        if (qIsNaN(unixSeconds))
            QCOMPARE(parsed.pubDate(), kNow);
        else
            QCOMPARE(parsed.pubDate().unixSeconds(), unixSeconds);
    }

    void links_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("link");
        // An expected "/path" is on the portal's origin; none is the origin itself.
        const auto row = [](const char* name, const QString& url, const char* locale, const QString& link) {
            QTest::newRow(name) << url << QString::fromLatin1(locale)
                                << (link.startsWith(u'/') || link.isEmpty() ? kOrigin + link : link);
        };
        row("empty", {}, "ar", {});
        row("relative", "/wps/x?locale=en", "en", "/wps/x?locale=en");
        row("arabic switches every locale", "/x?locale=en&b=locale=en", "ar", "/x?locale=ar&b=locale=ar");
        row("AR is not Arabic", "/x?locale=en", "AR", "/x?locale=en");
        row("absolute", "https://other.example/p?locale=en", "ar", "https://other.example/p?locale=ar");
        // Anything but "/path" is resolved as a URL reference; the host never comes from concatenation.
        row("user-info trick", "@evil.example/x", "en", "/@evil.example/x");
        row("backslash", "/\\evil.example/x", "en", "/%5Cevil.example/x");
        row("scheme-relative", "//other.example/x", "en", "https://other.example/x");
        row("javascript", "javascript:alert(1)", "en", {});
        row("file", "file:///etc/passwd", "en", {});
        row("other scheme with a host", "ftp://other.example/x", "en", {});
        row("too long", "/" + QString(3000, u'a'), "en", {});
    }

    void links()
    {
        QFETCH(QString, url);
        QFETCH(QString, locale);
        QFETCH(QString, link);
        QCOMPARE(parseOne({{u"announcementUrl"_s, url}}, locale).link(), link);
    }

    // Texts are taken as delivered; a symbol only as non-empty text.
    void fieldsAndCompanies()
    {
        const std::pair<QJsonValue, QStringList> rows[] = {
            {u"2222"_s, {u"2222"_s}}, {QString(), {}}, {2222, {}}};
        for (const auto& [symbol, companies] : rows) {
            const Announcement parsed = parseOne({{u"TITLE"_s, u" <b>Title</b> "_s},
                                                  {u"SHORT_DESC"_s, u"A &amp; B<br>"_s},
                                                  {u"SYMBOL"_s, symbol}});
            QCOMPARE(parsed.companies(), companies);
            QCOMPARE(parsed.title(), u" <b>Title</b> "_s);
            QCOMPARE(parsed.description(), u"A &amp; B<br>"_s);
        }
    }

    void oversizedFieldsAreCutAndMarked()
    {
        const QString huge(200000, QChar(0x0628));
        const Announcement parsed =
            parseOne({{u"TITLE"_s, huge}, {u"SHORT_DESC"_s, huge}, {u"SYMBOL"_s, huge}});
        for (const auto& [text, limit] : {std::pair{parsed.title(), FeedParser::kMaxTitleLength},
                                          {parsed.description(), FeedParser::kMaxDescriptionLength},
                                          {parsed.companies().value(0), FeedParser::kMaxSymbolLength}}) {
            QCOMPARE(text.size(), limit);
            QVERIFY(text.endsWith(QChar(0x2026)));
        }
        // The identifier is still made from the delivered title.
        QCOMPARE(parsed.id(), FeedParser::fallbackIdentifier(u"tadawul"_s, huge, {}, {}));
        // A cut never leaves half a surrogate pair.
        const QString emoji = QString(FeedParser::kMaxTitleLength - 2, u'a') + u"😀😀"_s;
        QCOMPARE(FeedParser::capped(emoji, FeedParser::kMaxTitleLength),
                 emoji.left(FeedParser::kMaxTitleLength - 2) + QChar(0x2026));
    }
};

QTEST_GUILESS_MAIN(TestFeedParser)
#include "tst_feedparser.moc"
