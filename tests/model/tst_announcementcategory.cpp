#include "model/AnnouncementCategory.h"
#include "support/TestFiles.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {
const QString kIssuerLink =
    QStringLiteral("https://www.saudiexchange.sa/wps/portal/saudiexchange/newsandreports/"
                   "issuer-news/issuer-announcements/issuer-announcements-details/?anId=1");
const QString kNewsLink =
    QStringLiteral("https://www.saudiexchange.sa/wps/portal/saudiexchange/newsandreports/issuer-news/"
                   "news-detail-wcm/?newsId=1");

// An issuer announcement as the portal delivers it: the issuer's name as title, the headline as text.
Announcement issuer(const QString& name, const QString& text)
{
    return Announcement(u"se_1"_s, name, text, kIssuerLink, Instant::fromReferenceSeconds(800000000),
                        {u"2222"_s});
}

Announcement news(const QString& title)
{
    return Announcement(u"se_2"_s, title, QString(), kNewsLink, Instant::fromReferenceSeconds(800000000), {});
}

struct Headline
{
    Announcement announcement;
    QString category;
};

// tests/data/model/headlines.tsv: a tuning half the keywords were written from, and a held-back half
// written after they were fixed, the classifier's measure on headlines it was not built from.
QList<Headline> headlinesOf(const QString& half)
{
    QList<Headline> rows;
    for (const QString& line :
         QString::fromUtf8(readFile(qEnvironmentVariable("ZELVORA_TEST_DATA") + u"/model/headlines.tsv"_s))
             .split(u'\n')) {
        const QStringList f = line.split(u'\t');
        if (f.size() == 5 && f[0] == half)
            rows.append({f[2] == u"issuer"_s ? issuer(f[3], f[4]) : news(f[3]), f[1]});
    }
    return rows;
}

QString categoryOf(const Announcement& announcement)
{
    return AnnouncementCategory::key(AnnouncementCategory::of(announcement));
}
} // namespace

class TestAnnouncementCategory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every tuning headline is right; at least 80 % of the held-back ones.
    void headlines()
    {
        for (const QString& half : {u"tuning"_s, u"heldback"_s}) {
            const QList<Headline> rows = headlinesOf(half);
            QCOMPARE(rows.size(), 32);
            int right = 0;
            for (const Headline& row : rows) {
                const QString found = categoryOf(row.announcement);
                right += found == row.category ? 1 : 0;
                if (found != row.category)
                    qInfo("%s missed: %s -> %s, not %s", qUtf8Printable(half),
                          qUtf8Printable(AnnouncementCategory::headline(row.announcement)),
                          qUtf8Printable(found), qUtf8Printable(row.category));
            }
            QVERIFY(half == u"tuning"_s ? right == rows.size() : right * 10 >= rows.size() * 8);
        }
    }

    // Whole words, the order of precedence, the folding and what is read of an announcement.
    void rules()
    {
        const std::pair<Announcement, const char*> rows[] = {
            {news(u"Billboard company lists its assets"_s), "exchange"}, // not inside a longer word
            {issuer(u"X"_s, u"X announces its annual results and a cash dividend"_s), "dividends"}, // first
            {news(u"Board approves the listing of X shares"_s), "trading"}, // listing before a board decision
            // The issuer's name is not read, only the first sentence, and an abbreviation ends none.
            {issuer(u"Saudi Tadawul Group Capital Co."_s,
                    u"Saudi Tadawul Group Capital Co. announces a lawsuit"_s),
             "other"},
            {issuer(u"X"_s, u"X announces a lawsuit. The board thanks the shareholders."_s), "other"},
            {issuer(u"X"_s, u"Gulf Co. announces the resignation of its CEO"_s), "board"},
            // Arabic without hamza, with tatweel and diacritics; a particle and pronoun attached.
            {issuer(u"X"_s, u"تعلن الشركة عن تـوزيعِ ارباح نقدية"_s), "dividends"},
            {issuer(u"X"_s, u"تعلن الشركة عن نتائجها وبالقوائم"_s), "results"},
            {news(u"Holiday schedule for Eid"_s), "exchange"}, // naming nothing
            {issuer(u"X"_s, u"X announces a lawsuit"_s), "other"},
        };
        for (const auto& [announcement, category] : rows)
            QCOMPARE(categoryOf(announcement), QString::fromLatin1(category));
    }
};

QTEST_GUILESS_MAIN(TestAnnouncementCategory)
#include "tst_announcementcategory.moc"
