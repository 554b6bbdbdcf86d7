#include "infra/SettingsStore.h"
#include "model/Preferences.h"
#include "model/RuleSet.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
Announcement issuer(const QString& symbol, const QString& name, const QString& text)
{
    return Announcement(u"se_1"_s, name, name + u' ' + text,
                        u"https://www.saudiexchange.sa/x/issuer-announcements/d/?anId=1"_s,
                        Instant::fromReferenceSeconds(800000000), {symbol});
}

const QHash<QString, Announcement> kAnnouncements{
    {u"dividend"_s,
     issuer(u"2222"_s, u"Arabian Energy Co."_s, u"announces a cash dividend of SAR 1.50 per share"_s)},
    {u"board"_s,
     issuer(u"1120"_s, u"Najd Commercial Bank"_s, u"announces the appointment of a board member"_s)},
    {u"sukuk"_s,
     issuer(u"2222"_s, u"Arabian Energy Co."_s, u"announces the dividend distribution on its sukuk"_s)},
};

QList<Rule> rulesFrom(const QByteArray& json)
{
    QList<Rule> rules;
    for (const QJsonValue& value : QJsonDocument::fromJson(json).array())
        if (auto rule = Rule::fromJson(value.toObject()))
            rules.append(*rule);
    return rules;
}
} // namespace

class TestRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decide_data()
    {
        QTest::addColumn<QString>("watchlist"); // symbols
        QTest::addColumn<QByteArray>("rules");
        QTest::addColumn<bool>("showAll");
        QTest::addColumn<QString>("announcement");
        QTest::addColumn<QString>("rule"); // the first match, empty for none
        QTest::addColumn<QString>("matched");
        QTest::addColumn<bool>("notify");
        QTest::addColumn<bool>("urgent");
        const auto row = [](const char* name, const char* watchlist, const char* rules, bool showAll,
                            const char* announcement, const char* rule, const char* matched, bool notify,
                            bool urgent = false) {
            QTest::newRow(name) << QString::fromUtf8(watchlist) << QByteArray(rules) << showAll
                                << QString::fromUtf8(announcement) << QString::fromUtf8(rule)
                                << QString::fromUtf8(matched) << notify << urgent;
        };
        const char* quiet = R"([{"name":"quiet","symbols":["2222"],"action":"silent"}])";
        row("old settings: watchlist hit", "2222", "[]", false, "dividend", "Watchlist", "2222", true);
        row("old settings: watchlist miss", "2222", "[]", false, "board", "", "", false);
        row("empty watchlist names nothing: all notified", "", "[]", false, "board", "", "", true);
        row("symbol alone", "", R"([{"name":"s","symbols":["1120"]}])", false, "board", "s", "1120", true);
        row("word alone", "", R"([{"name":"w","words":["Appointment"]}])", false, "board", "w", "Appointment",
            true);
        row("category alone, urgent", "", R"([{"name":"c","categories":["board"],"action":"urgent"}])", false,
            "board", "c", "board", true, true);
        row("one kind fails: no match, filtered", "",
            R"([{"name":"k","symbols":["2222"],"categories":["board"]}])", false, "dividend", "", "", false);
        row("every kind holds", "",
            R"([{"name":"divs","symbols":["4001","2222"],"words":["cash"],"categories":["results","dividends"]}])",
            false, "dividend", "divs", "2222 · cash · dividends", true);
        row("excluded word", "", R"([{"name":"divs","symbols":["2222"],"excludeWords":["SUKUK"]}])", false,
            "sukuk", "", "", false);
        row("first match wins: silent before a notify rule", "",
            R"([{"name":"quiet","symbols":["2222"],"action":"silent"},{"name":"divs","categories":["dividends"]}])",
            false, "dividend", "quiet", "2222", false);
        row("the watchlist is checked first", "2222", quiet, false, "dividend", "Watchlist", "2222", true);
        row("silent rules alone filter nothing", "", quiet, false, "board", "", "", true);
        row("silent rule hit", "", quiet, false, "sukuk", "quiet", "2222", false);
        row("show all: a miss is notified", "2222", "[]", true, "board", "", "", true);
        row("show all: silent stays silent", "", quiet, true, "dividend", "quiet", "2222", false);
        row("a rule naming nothing matches nothing", "", R"([{"name":"x","excludeWords":["sukuk"]}])", false,
            "board", "", "", true);
    }

    void decide()
    {
        QFETCH(QString, watchlist);
        QFETCH(QByteArray, rules);
        QFETCH(bool, showAll);
        QFETCH(QString, announcement);
        const QStringList symbols = watchlist.split(u'|', Qt::SkipEmptyParts);
        const RuleSet set(Watchlist(QSet<QString>(symbols.cbegin(), symbols.cend()), {}), rulesFrom(rules),
                          showAll);
        const RuleSet::Decision decision = set.decide(kAnnouncements.value(announcement));
        QTEST(decision.match ? decision.match->rule : QString(), "rule");
        QTEST(decision.match ? decision.match->matched.join(u" · "_s) : QString(), "matched");
        QTEST(decision.notify, "notify");
        QTEST(decision.urgent, "urgent");
    }

    // Files written before rules existed read as the same Watchlist; writing rules leaves it alone, and
    // what is not a rule is skipped.
    void storedRules()
    {
        QTemporaryDir dir;
        Preferences preferences(dir.filePath(u"settings.json"_s));
        SettingsStore store(preferences.filePath());
        store.setValue(u"watchlistSymbols"_s, QJsonArray{u"2222"_s});
        store.setValue(u"watchWords"_s, QJsonArray{u"dividend"_s});
        QVERIFY(preferences.rules().isEmpty());
        const Rule first = preferences.ruleSet().rules().first();
        QCOMPARE(first.name(), u"Watchlist"_s);
        QCOMPARE(first.symbols(), QStringList{u"2222"_s});
        QCOMPARE(first.words(), QStringList{u"dividend"_s});

        const QList<Rule> rules = rulesFrom(
            R"([{"name":"divs","symbols":["2222"],"categories":["dividends"],"action":"urgent"},{"name":"q","words":["sukuk"],"action":"silent"}])");
        QVERIFY(preferences.setRules(rules));
        QCOMPARE(preferences.rules(), rules);
        QCOMPARE(store.value(u"watchlistSymbols"_s).toArray(), QJsonArray{u"2222"_s});

        store.setValue(
            u"rules"_s,
            QJsonDocument::fromJson(
                R"([1, {}, {"name":" "}, {"name":"x","action":"loud","categories":["nope","board"],"words":"w"}])")
                .array());
        const QList<Rule> read = preferences.rules();
        QCOMPARE(read.size(), 1);
        QCOMPARE(read.first().action(), Rule::Action::Notify);
        QCOMPARE(read.first().categories(), QList<Rule::Category>{Rule::Category::Board});
        QVERIFY(read.first().words().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
