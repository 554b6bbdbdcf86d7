// `zelvora poll`, `list` and `watch` as processes, against the portal simulator in this test.
#include "portalsim/PortalSimulator.h"
#include "support/ZelvoraProcess.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <csignal>

using portalsim::Fault;
using portalsim::Feed;

class TestFeedCommands : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<portalsim::PortalSimulator> m_sim;

    struct Result
    {
        int status;
        QString out;
        QString err;
    };

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home->filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_home->filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("ZELVORA_PORTAL_ORIGIN"), QString::fromStdString(m_sim->origin()));
        return env;
    }

    Result run(const QStringList& arguments)
    {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(QStringLiteral(ZELVORA_EXE), arguments);
        if (!process.waitForFinished(60000))
            return {-1, {}, {}};
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    static QJsonObject parseObject(const QString& text)
    {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
        return error.error == QJsonParseError::NoError ? document.object() : QJsonObject();
    }

    void writeSettings(const QByteArray& json)
    {
        QDir().mkpath(m_home->filePath(QStringLiteral("config/zelvora")));
        QFile file(m_home->filePath(QStringLiteral("config/zelvora/settings.json")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(json);
    }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        portalsim::PortalSimulator::Options options;
        options.issuerItems = 60;
        options.marketItems = 20;
        m_sim = std::make_unique<portalsim::PortalSimulator>(options);
        QVERIFY(m_sim->start());
    }

    void cleanup()
    {
        m_sim.reset();
        m_home.reset();
    }

    void pollFirstRunThenNewOnes()
    {
        const Result first = run({QStringLiteral("poll")});
        QCOMPARE(first.status, 0);
        const QStringList lines = first.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.last(), QStringLiteral("0 new, 80 kept"));
        QCOMPARE(lines.size(), 81);
        QVERIFY(lines.first().startsWith(QLatin1String("  20"))); // "  2026-..": not new
        QVERIFY(lines.first().contains(QString::fromStdString(m_sim->origin()) + QStringLiteral("/wps/")));
        // Market-news titles with markup read as text; the JSON keeps them as the portal sent them.
        QVERIFY(first.out.contains(QStringLiteral("reached SAR ")));
        QVERIFY(!first.out.contains(QLatin1String("<span")));
        QVERIFY(QFile::exists(m_home->filePath(QStringLiteral("data/Quvex/announcements_cache.json"))));

        // A later run reports what it never marked as seen, as JSON on standard output only.
        m_sim->advance(3);
        const Result second = run({QStringLiteral("poll"), QStringLiteral("--json")});
        QCOMPARE(second.status, 0);
        const QJsonObject json = parseObject(second.out);
        QCOMPARE(json.value(QLatin1String("new")).toArray().size(), 3);
        QCOMPARE(json.value(QLatin1String("all")).toArray().size(), 83);
        QCOMPARE(json.value(QLatin1String("error")), QJsonValue(false));
        QVERIFY(second.out.contains(QLatin1String("<span class=\\\"sar-symbol\\\">&#x20C1;</span>")));
        QCOMPARE(json.value(QLatin1String("new")).toArray().first().toObject().keys(),
                 (QStringList{"companies", "description", "id", "link", "pubDate", "title"}));

        // Nothing new the third time; `list` shows the cache without the network.
        QVERIFY(run({QStringLiteral("poll")}).out.trimmed().endsWith(QLatin1String("0 new, 83 kept")));
        m_sim->stop();
        const Result listed = run({QStringLiteral("list"), QStringLiteral("--json")});
        QCOMPARE(listed.status, 0);
        QCOMPARE(QJsonDocument::fromJson(listed.out.toUtf8()).array(),
                 json.value(QLatin1String("all")).toArray());
        QVERIFY(run({QStringLiteral("list")}).out.trimmed().endsWith(QLatin1String("83 kept")));
    }

    void issuerNamesLearnedAndSearched()
    {
        // Each poll teaches the issuers' names in its language; the list shows them and --grep finds
        // announcements by them.
        QCOMPARE(run({QStringLiteral("poll")}).status, 0);
        QJsonObject issuer;
        for (const QJsonValue& item :
             QJsonDocument::fromJson(run({QStringLiteral("list"), QStringLiteral("--json")}).out.toUtf8())
                 .array()) {
            if (item[QLatin1String("link")].toString().contains(QLatin1String("/issuer-announcements/")))
                issuer = item.toObject();
        }
        const QString symbol = issuer[QLatin1String("companies")][0].toString();
        const QString name = issuer[QLatin1String("title")].toString();
        QVERIFY(!symbol.isEmpty());
        writeSettings(
            QStringLiteral(R"({"language": "ar", "watchlistSymbols": ["%1", "9999"]})").arg(symbol).toUtf8());
        QCOMPARE(run({QStringLiteral("poll")}).status, 0);
        const QString listed = run({QStringLiteral("watchlist"), QStringLiteral("list")}).out.trimmed();
        QVERIFY2(listed.startsWith(symbol + QStringLiteral("  ") + name + QStringLiteral(" \u00B7 ")),
                 qPrintable(listed));
        QVERIFY(listed.endsWith(QLatin1String("\n9999")));
        const QString arabicName =
            listed.section(QStringLiteral(" \u00B7 "), 1).section(QLatin1Char('\n'), 0, 0);
        QCOMPARE(arabicName.at(0).script(), QChar::Script_Arabic);

        // Found by either name, in any case, whatever the feed's language.
        for (const QString& text : {name.toUpper(), arabicName}) {
            const QStringList lines = run({QStringLiteral("list"), QStringLiteral("--grep"), text})
                                          .out.trimmed()
                                          .split(QLatin1Char('\n'));
            QVERIFY(lines.size() > 1);
            for (const QString& line : lines.mid(0, lines.size() - 1))
                QVERIFY2(line.contains(QStringLiteral("  %1  ").arg(symbol)), qPrintable(line));
            QCOMPARE(lines.last(), QStringLiteral("%1 kept").arg(lines.size() - 1));
        }
        QCOMPARE(run({QStringLiteral("list"), QStringLiteral("--grep")}).status, 2);
    }

    // `status` tells scripts whether the last poll, by any process, heard from the exchange.
    void bothFeedsFailing()
    {
        QCOMPARE(run({QStringLiteral("status")}).status, 1); // nothing recorded yet
        Fault denied;
        denied.status = 403;
        m_sim->setFault(Feed::IssuerEN, 0, denied);
        Fault html;
        html.body = Fault::Body::HtmlPage;
        m_sim->setFault(Feed::MarketEN, 0, html);
        const Result result = run({QStringLiteral("poll"), QStringLiteral("--json")});
        QCOMPARE(result.status, 1);
        const QJsonObject json = parseObject(result.out);
        QCOMPARE(json.value(QLatin1String("error")), QJsonValue(true));
        QVERIFY(json.value(QLatin1String("all")).toArray().isEmpty());
        const QStringList log = result.err.split(QLatin1Char('\n'));
        QVERIFY2(log.contains(QStringLiteral("[Fetcher] Issuer announcements error: badStatus(403)")),
                 qPrintable(result.err));
        QVERIFY(log.contains(QStringLiteral("[Fetcher] Failed to parse market JSON")));
        QVERIFY(log.contains(QStringLiteral("[Fetcher] Market news error: invalidPayload(\"market\")")));

        Result status = run({QStringLiteral("status")});
        QCOMPARE(status.status, 1);
        QVERIFY2(status.out.contains(QStringLiteral("Last success: never\n")), qPrintable(status.out));
        QVERIFY2(status.out.contains(QStringLiteral("Failed: issuer announcements: badStatus(403); "
                                                    "market news: invalidPayload(\"market\")\n")),
                 qPrintable(status.out));
        m_sim->clearFaults();
        QCOMPARE(run({QStringLiteral("poll")}).status, 0);
        status = run({QStringLiteral("status")});
        QCOMPARE(status.status, 0);
        QVERIFY2(status.out.startsWith(QStringLiteral("State: watching\n")), qPrintable(status.out));
        QVERIFY2(status.out.contains(QStringLiteral("Failed: nothing\n")), qPrintable(status.out));
    }

    void portalOption()
    {
        // --portal wins over the environment; a malformed one is a usage error.
        const QString origin = QString::fromStdString(m_sim->origin());
        QProcess process;
        QProcessEnvironment env = environment();
        env.insert(QStringLiteral("ZELVORA_PORTAL_ORIGIN"), QStringLiteral("http://127.0.0.1:1"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(ZELVORA_EXE),
                      {QStringLiteral("poll"), QStringLiteral("--portal"), origin + "/"});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(int(m_sim->requestCount()), 3); // 2 issuer pages (60 items), 1 market page (20)
        QCOMPARE(run({QStringLiteral("poll"), QStringLiteral("--portal"), QStringLiteral("ftp://x")}).status,
                 2);
        QCOMPARE(run({QStringLiteral("poll"), QStringLiteral("--portal")}).status, 2);
        QCOMPARE(run({QStringLiteral("poll"), QStringLiteral("--bogus")}).status, 2);
        QCOMPARE(run({QStringLiteral("list"), QStringLiteral("--demo")}).status, 2);
    }

    void watchClampsTheIntervalAndEndsOnSigterm()
    {
        writeSettings("{\"pollInterval\": 0.001}");
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(QStringLiteral(ZELVORA_EXE), {QStringLiteral("watch")});
        QString out;
        QVERIFY(QTest::qWaitFor(
            [&] {
                out += QString::fromUtf8(process.readAllStandardOutput());
                return out.contains(QLatin1String("Ctrl+C"));
            },
            60000));
        QVERIFY2(out.contains(QLatin1String("polling every 30 s")), qPrintable(out));
        QCOMPARE(out.count(QLatin1String("[Preferences] pollInterval 0.001 is below 30 seconds")), 1);
        QCOMPARE(m_sim->requestCount(), size_t(3)); // one poll, not hundreds
        ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
    }

    void hostileTextsCannotReachTheTerminal()
    {
        // A title that retitles the terminal, an OSC 8 link, an OSC 52 clipboard write, a CSI, a
        // lone surrogate, and a symbol that forges a whole extra line.
        const QString title =
            QStringLiteral("Evil \x1b]0;pwned\x07 \x1b]52;c;cm0gLXJmIH4=\x07 \u009b31m \x1b]8;;"
                           "http://x\x1b\\y") +
            QChar(0xD800);
        const QString symbol = QStringLiteral("2222\n* 2026-01-01  1120  FORGED");
        const QJsonObject item{{QStringLiteral("PRESS_REL_ID"), 7},
                               {QStringLiteral("TITLE"), title},
                               {QStringLiteral("SYMBOL"), symbol},
                               {QStringLiteral("SHORT_DESC"), QStringLiteral("line one\nline\x1b[2J two")}};
        Fault issuer;
        issuer.body = Fault::Body::Raw;
        issuer.rawBody = QJsonDocument(QJsonObject{{QStringLiteral("announcementList"), QJsonArray{item}}})
                             .toJson(QJsonDocument::Compact)
                             .toStdString();
        Fault market = issuer;
        market.rawBody = R"({"announcementList":[]})";
        m_sim->setFault(Feed::IssuerEN, 0, issuer);
        m_sim->setFault(Feed::MarketEN, 0, market);

        auto controlFree = [](const QByteArray& bytes, bool multiLine) {
            const QList<uint> text = QString::fromUtf8(bytes).toUcs4();
            return std::none_of(text.cbegin(), text.cend(), [multiLine](uint u) {
                return (u < 0x20 && u != '\n' && !(multiLine && u == '\t')) || (u >= 0x7F && u <= 0x9F);
            });
        };
        const ZelvoraProcess polled = ZelvoraProcess::run({QStringLiteral("poll")}, environment());
        QCOMPARE(polled.status, 0);
        QVERIFY2(controlFree(polled.out, false), polled.out.constData());
        QCOMPARE(polled.out.count('\n'), 2); // the item and the summary: no forged line

        // --json is exact: the same texts come back when it is read, yet no raw control byte is printed.
        const ZelvoraProcess json =
            ZelvoraProcess::run({QStringLiteral("list"), QStringLiteral("--json")}, environment());
        QVERIFY2(controlFree(json.out, false), json.out.constData());
        const QJsonObject listed = QJsonDocument::fromJson(json.out).array().first().toObject();
        QCOMPARE(listed.value(QLatin1String("title")).toString(), title);
        QCOMPARE(listed.value(QLatin1String("companies")).toArray().first().toString(), symbol);

        const ZelvoraProcess shown =
            ZelvoraProcess::run({QStringLiteral("show"), QStringLiteral("se_7")}, environment());
        QCOMPARE(shown.status, 0);
        QVERIFY2(controlFree(shown.out, true), shown.out.constData());
        QVERIFY(shown.text().contains(QStringLiteral("Companies: 2222\uFFFD* 2026")));
        QVERIFY(shown.text().endsWith(QStringLiteral("line one\nline\uFFFD[2J two\n")));
    }

    void demoMode()
    {
        const QString userSettings = m_home->filePath(QStringLiteral("config/zelvora/settings.json"));
        writeSettings("{\"language\": \"ar\", \"seenAnnouncementIDs\": [\"se_1\"]}");
        const Result result = run({QStringLiteral("poll"), QStringLiteral("--demo")});
        QCOMPARE(result.status, 0);
        QVERIFY(result.out.startsWith(QLatin1String("Demo mode: ")));
        QVERIFY(result.out.trimmed().endsWith(QLatin1String("0 new, 400 kept")));
        QVERIFY(result.out.contains(QStringLiteral("locale=ar"))); // the user's language is kept
        // The user's own files are untouched.
        QFile file(userSettings);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("{\"language\": \"ar\", \"seenAnnouncementIDs\": [\"se_1\"]}"));
        QVERIFY(!QFile::exists(m_home->filePath(QStringLiteral("data/Quvex/announcements_cache.json"))));
        QCOMPARE(m_sim->requestCount(), size_t(0));
    }
};

QTEST_GUILESS_MAIN(TestFeedCommands)
#include "tst_feedcommands.moc"
