// The `zelvora` commands as processes, as a user runs them: over temporary folders, against the portal
// simulator and this process's stand-in notification service.
#include "TestNotificationServer.h"
#include "cli/AutostartCommand.h"
#include "model/Preferences.h"
#include "portalsim/PortalSimulator.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestFiles.h"
#include "support/ZelvoraProcess.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

using namespace Qt::StringLiterals;
using portalsim::Fault;
using portalsim::Feed;

class TestCommands : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<portalsim::PortalSimulator> m_sim;

    QString origin() const { return QString::fromStdString(m_sim->origin()); }
    QString path(const char* relative) const { return m_home->filePath(QLatin1String(relative)); }
    QProcessEnvironment environment() const { return ZelvoraProcess::environment(m_home->path(), origin()); }
    ZelvoraProcess run(const QString& arguments) { return run(arguments.split(QLatin1Char(' '))); }
    ZelvoraProcess run(const QStringList& arguments, const QByteArray& input = {})
    {
        return ZelvoraProcess::run(arguments, environment(), 60000, input);
    }
    QByteArray settings() const { return readFile(path("config/zelvora/settings.json")); }
    int autostart(const QString& program)
    {
        return AutostartCommand(program, AppPaths(path("config"), path("data"))).run({u"on"_s});
    }
    void writeSettings(const QByteArray& json)
    {
        QVERIFY(writeFile(path("config/zelvora/settings.json"), json));
    }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        m_sim = std::make_unique<portalsim::PortalSimulator>(
            portalsim::PortalSimulator::Options{.issuerItems = 60, .marketItems = 20});
        QVERIFY(m_sim->start());
    }

    void usageErrorsChangeNothing_data()
    {
        QTest::addColumn<QString>("arguments");
        const QString rows = QStringLiteral(
            "no-such-command|--bogus|poll --bogus|poll --portal|poll --portal ftp://x|poll x|list --demo|"
            "list --grep|watch --json|status x|show|show a b|notifications bogus|autostart|defaults|"
            "defaults erase language|defaults write language -text ar|defaults write language -string|"
            "defaults write language -string a -bool true|defaults write notificationsEnabled -bool perhaps|"
            "defaults write pollInterval -float 3x|defaults write pollInterval -string 60|defaults write "
            "rules -array x|defaults write lastPollDate -date yesterday|watchlist add|"
            "watchlist add-word a b|watchlist add-word  |watchlist add-word x|watchlist add-word ً5|"
            "rules add x|rules add x --category nope|rules add Watchlist --symbol 1|rules remove|"
            "rules add x --symbol 1 --action loud|list --category nope|feed|feed --atom --json|feed x --json|"
            "service|service start|service status --linger|outputs add a|outputs send a|outputs list --token "
            "x|"
            "outputs add a --webhook http://127.0.0.1:9/h --ntfy http://127.0.0.1:9/h|outputs add a "
            "--telegram 1:A|"
            "outputs add a --webhook http://127.0.0.1:9/h --to x@y|outputs add a --webhook "
            "file:///etc/passwd|"
            "outputs add a --smtp smtp://127.0.0.1|outputs add a --matrix http://127.0.0.1:9/h --room !r:x|"
            "outputs add a --webhook http://127.0.0.1:9/h --rule none");
        for (const QString& row : rows.split(QLatin1Char('|')))
            QTest::newRow(qPrintable(row)) << row;
    }

    void usageErrorsChangeNothing()
    {
        QFETCH(QString, arguments);
        writeSettings("{\"language\": \"en\"}");
        const ZelvoraProcess result = run(arguments);
        QCOMPARE(result.status, 2);
        QVERIFY2(result.err.startsWith(u"zelvora: "_s) && result.err.count(QLatin1Char('\n')) == 1,
                 qPrintable(result.err));
        QCOMPARE(result.out, QByteArray());
        QCOMPARE(settings(), QByteArray("{\"language\": \"en\"}"));
        QCOMPARE(m_sim->requestCount(), size_t(0));
    }

    void helpForEveryCommand()
    {
        const QByteArray overall = run(u"--help"_s).out;
        for (const QByteArray name : {"defaults", "watchlist", "rules", "poll", "list", "watch",
                                      "notifications", "autostart", "status", "show", "feed", "service"}) {
            QVERIFY2(overall.contains("\n  " + name), name);
            QVERIFY2(run({QString::fromLatin1(name), u"--help"_s}).out.startsWith("Usage: zelvora " + name),
                     name);
        }
    }

    void settingsRoundTrip_data()
    {
        QTest::addColumn<QStringList>("row"); // key, option and value, value read back
        for (const char* row :
             {"language|-string ar|ar", "showAllAnnouncements|-bool no|false",
              "pollInterval|-float -600.5|-600.5", "watchlistSymbols|-array 2222 1120|[\"2222\",\"1120\"]",
              "lastPollDate|-date 2026-03-04T08:06:07+03:00|2026-03-04T05:06:07.000Z"})
            QTest::newRow(row) << QString::fromLatin1(row).split(QLatin1Char('|'));
    }

    void settingsRoundTrip()
    {
        QFETCH(QStringList, row);
        QCOMPARE(run(u"defaults write %1 %2"_s.arg(row[0], row[1])).status, 0);
        QCOMPARE(run(u"defaults read "_s + row[0]).text(), row[2] + QLatin1Char('\n'));
        QCOMPARE(run(u"defaults delete "_s + row[0]).status, 0);
        QCOMPARE(run(u"defaults read "_s + row[0]).status, 1);
    }

    void watchlist()
    {
        QCOMPARE(run(u"watchlist add 2222 1120"_s).status, 0);
        QCOMPARE(run(u"watchlist remove 2222"_s).status, 0);
        // Watch words: one word or phrase per call, the same word (folded) only once.
        for (const char* word : {"rights  issue", "توزيع أرباح", "Rights Issue", "Dividend"})
            QCOMPARE(run({u"watchlist"_s, u"add-word"_s, QString::fromUtf8(word)}).status, 0);
        QCOMPARE(run(u"watchlist remove-word DIVIDEND"_s).status, 0);
        QCOMPARE(run(u"watchlist"_s).text(), u"1120\nword: rights issue\nword: توزيع أرباح\n"_s);
        // A settings file that cannot be written (a file stands where its folder should be).
        QDir(path("config/zelvora")).removeRecursively();
        QVERIFY(QFile(path("config/zelvora")).open(QIODevice::WriteOnly));
        const ZelvoraProcess failed = run(u"watchlist add 2222"_s);
        QVERIFY2(failed.status == 1 && failed.err.startsWith(u"zelvora: could not write "_s),
                 qPrintable(failed.err));
    }

    // Three processes change the settings at the same moment, again and again, while a poll writes
    // its seen set: every change that reported success is in the file afterwards.
    void parallelChangesAreAllKept()
    {
        auto start = [this](const QStringList& arguments) {
            auto process = std::make_unique<QProcess>();
            process->setProcessEnvironment(environment());
            process->start(QStringLiteral(ZELVORA_EXE), arguments);
            return process;
        };
        const auto poller = start({u"poll"_s});
        QSet<QString> symbols;
        QStringList words;
        for (int round = 0; round < 20; ++round) {
            const QString a = u"A%1"_s.arg(round), b = u"B%1"_s.arg(round), word = u"word%1"_s.arg(round);
            const std::unique_ptr<QProcess> processes[] = {start({u"watchlist"_s, u"add"_s, a}),
                                                           start({u"watchlist"_s, u"add"_s, b}),
                                                           start({u"watchlist"_s, u"add-word"_s, word})};
            for (const auto& process : processes)
                QVERIFY(process->waitForFinished(60000) && process->exitCode() == 0);
            symbols << a << b;
            words << word;
        }
        QVERIFY(poller->waitForFinished(60000) && poller->exitCode() == 0);
        Preferences stored(path("config/zelvora/settings.json"));
        QCOMPARE(stored.watchlistSymbols(), symbols);
        QCOMPARE(stored.watchWords(), words);
        QVERIFY(!stored.seenAnnouncementIDs().isEmpty());
    }

    void rules()
    {
        QCOMPARE(run(u"watchlist add 2222"_s).status, 0);
        QCOMPARE(run(u"rules add divs --symbol 2222 --category dividends --action urgent"_s).status, 0);
        QCOMPARE(run(u"rules add quiet --word sukuk --action silent"_s).status, 0);
        // The same name again replaces the rule where it stands.
        QCOMPARE(run(u"rules add divs --symbol 4001 --exclude-word bonus"_s).status, 0);
        QCOMPARE(run(u"rules"_s).text(), u"Watchlist  notify  symbols: 2222\n"
                                         "divs  notify  symbols: 4001  exclude: bonus\n"
                                         "quiet  silent  words: sukuk\n"_s);
        QCOMPARE(run(u"rules remove divs"_s).status, 0);
        QCOMPARE(run(u"rules list"_s).text(),
                 u"Watchlist  notify  symbols: 2222\nquiet  silent  words: sukuk\n"_s);
    }

    void logLinesLeaveTheDataAlone()
    {
        writeSettings("{broken");
        for (const QString& command : {u"defaults read"_s, u"watchlist list"_s}) {
            const ZelvoraProcess result = run(command);
            QVERIFY2(result.status == 0 && !result.out.contains("[Preferences]"), result.out.constData());
            QVERIFY(result.err.startsWith(u"[Preferences] Settings file "_s));
        }
    }

    void pollListAndSearch()
    {
        QProcessEnvironment env = environment(); // --portal wins over the environment
        env.insert(u"ZELVORA_PORTAL_ORIGIN"_s, u"http://127.0.0.1:1"_s);
        const ZelvoraProcess first = ZelvoraProcess::run({u"poll"_s, "--portal=" + origin() + "/"}, env);
        QCOMPARE(m_sim->requestCount(), size_t(3)); // 2 issuer pages (60 items), 1 market page (20)
        const QStringList lines = first.text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 81);
        QCOMPARE(lines.last(), u"0 new, 80 kept"_s); // the very first run marks nothing new
        // The time as everywhere ("Yesterday 9:30 AM Riyadh time" on a machine on another clock).
        static const QRegularExpression time(u"^  (Yesterday |[A-Z][a-z]{2} \\d+, )?\\d+:\\d\\d [AP]M"_s);
        QVERIFY2(time.match(lines.first()).hasMatch() && lines.first().contains(origin() + "/wps/"),
                 qPrintable(lines.first()));
        // Market-news titles with markup read as text (--json keeps them as the portal sent them).
        QVERIFY(first.text().contains(u"reached SAR "_s) && !first.out.contains("<span"));

        m_sim->advance(3);
        QCOMPARE(run(u"rules add any --category trading --category assembly --category dividends --category "
                     "capital --category results --category board --category contracts --category exchange "
                     "--category other"_s)
                     .status,
                 0);
        LoopbackHttpServer receiver;
        QCOMPARE(
            run({u"outputs"_s, u"add"_s, u"hook"_s, u"--webhook"_s, QString::fromUtf8(receiver.url("/"))})
                .status,
            0);
        const ZelvoraProcess second = run(u"poll --json"_s);
        const QJsonObject json = QJsonDocument::fromJson(second.out).object();
        QCOMPARE(json[u"new"_s].toArray().size(), 3);
        QCOMPARE(json[u"all"_s].toArray().size(), 83);
        QCOMPARE(json[u"error"_s], QJsonValue(false));
        QCOMPARE(
            json[u"new"_s][0].toObject().keys(),
            (QStringList{"category", "companies", "description", "id", "link", "pubDate", "rule", "title"}));
        QCOMPARE(json[u"new"_s][0][u"rule"_s], QJsonValue(u"any"_s));
        QVERIFY(run(u"poll"_s).text().endsWith(u"\n0 new, 83 kept\n"_s));
        // Each poll sends what it found new to the outputs before it ends, and only that.
        QStringList sent;
        for (const auto& request : receiver.requests())
            sent.append(QString::fromUtf8(request.header("Idempotency-Key")));
        QCOMPARE(sent,
                 (QStringList{json[u"new"_s][0][u"id"_s].toString(), json[u"new"_s][1][u"id"_s].toString(),
                              json[u"new"_s][2][u"id"_s].toString()}));
        QVERIFY(run(u"status"_s).text().endsWith(u"Output hook: 0 pending, 0 failed\n"_s));

        m_sim->stop(); // the rest needs no network
        const QJsonArray kept = QJsonDocument::fromJson(run(u"list --json"_s).out).array();
        QCOMPARE(kept, json[u"all"_s].toArray());
        const QJsonArray results =
            QJsonDocument::fromJson(run(u"list --json --category results"_s).out).array();
        QCOMPARE(results.size(), std::count_if(kept.begin(), kept.end(), [](const QJsonValue& item) {
                     return item[u"category"_s] == u"results"_s;
                 }));
        QVERIFY(!results.isEmpty());
        // The issuers' names learned from the feed: shown with the watchlist, found by --grep.
        const QJsonValue issuer = *std::find_if(kept.begin(), kept.end(), [](const QJsonValue& item) {
            return item[u"link"_s].toString().contains(u"/issuer-announcements/"_s);
        });
        const QString symbol = issuer[u"companies"_s][0].toString();
        const QString name = issuer[u"title"_s].toString();
        QCOMPARE(run({u"watchlist"_s, u"add"_s, symbol}).status, 0);
        QCOMPARE(run(u"watchlist list"_s).text(), symbol + u"  "_s + name + "\n");
        const QStringList found =
            run({u"list"_s, u"--grep"_s, name.toUpper()}).text().split(QLatin1Char('\n'));
        QVERIFY(found.size() > 3); // at least one line, the summary and the final line feed
        for (const QString& line : found.mid(0, found.size() - 2))
            QVERIFY2(line.contains(u"  %1  "_s.arg(symbol)), qPrintable(line));
    }

    // Every poll leaves both feeds of what would be notified; `feed` prints them.
    void feedsHoldWhatWouldBeNotified()
    {
        QCOMPARE(run(u"feed --json"_s).status, 1); // no poll yet
        QJsonArray all;
        auto items = [&](const QString& symbol) {
            if (run(u"poll"_s).status != 0)
                return -1;
            all = QJsonDocument::fromJson(run(u"feed --json"_s).out)[u"items"_s].toArray();
            const bool matching = std::all_of(all.begin(), all.end(), [&](const QJsonValue& item) {
                return symbol.isEmpty() || item[u"tags"_s].toArray().contains(symbol);
            });
            return matching ? int(all.size()) : -2;
        };
        QCOMPARE(items(QString()), 80);
        QVERIFY(run(u"feed --atom"_s).out.startsWith("<?xml"));
        const QString symbol = all.first()[u"tags"_s][0].toString();
        QCOMPARE(run({u"watchlist"_s, u"add"_s, symbol}).status, 0);
        QCOMPARE(run(u"defaults write showAllAnnouncements -bool false"_s).status, 0);
        const int matches = items(symbol);
        QVERIFY2(matches > 0 && matches < 80, qPrintable(QString::number(matches)));
        QCOMPARE(run(u"defaults write notificationsEnabled -bool false"_s).status, 0);
        QCOMPARE(items(QString()), 0);
    }

    // `status` tells scripts whether the last poll, by any process, heard from the exchange.
    void bothFeedsFailing()
    {
        QCOMPARE(run(u"status"_s).status, 1); // nothing recorded yet
        m_sim->setFault(Feed::IssuerEN, 0, Fault{.status = 403});
        m_sim->setFault(Feed::MarketEN, 0, Fault{.body = Fault::Body::HtmlPage});
        const ZelvoraProcess result = run(u"poll --json"_s);
        QCOMPARE(result.status, 1);
        QCOMPARE(QJsonDocument::fromJson(result.out).object()[u"error"_s], QJsonValue(true));
        QCOMPARE(result.err, u"[Fetcher] Issuer announcements error: badStatus(403)\n"
                             "[Fetcher] Failed to parse market JSON\n"
                             "[Fetcher] Market news error: invalidPayload(\"market\")\n"
                             "zelvora: both feeds failed\n"_s);
        ZelvoraProcess status = run(u"status"_s);
        QCOMPARE(status.status, 1);
        QVERIFY2(status.text().contains(u"\nFailed: issuer announcements: badStatus(403); "
                                        "market news: invalidPayload(\"market\")\n"_s),
                 status.out.constData());
        m_sim->clearFaults();
        QCOMPARE(run(u"poll"_s).status, 0);
        status = run(u"status"_s);
        QCOMPARE(status.status, 0);
        QVERIFY2(status.text().startsWith(u"State: watching\n"_s), status.out.constData());

        // An archive that cannot be written (a folder in its place): the poll fails naming it.
        const QString archive = path("data/Quvex/archive.sqlite");
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(archive + QLatin1String(suffix));
        QVERIFY(QDir().mkpath(archive));
        const ZelvoraProcess unsaved = run(u"poll"_s);
        const QString problem = u"Can't save to "_s + archive + u": Is a directory"_s;
        QVERIFY2(unsaved.status == 1 && unsaved.err.contains(u"zelvora: "_s + problem),
                 qPrintable(unsaved.err));
        QVERIFY(run(u"status"_s).text().contains(u"\nStorage: "_s + problem + u"\n"_s));
        QVERIFY(QDir(archive).removeRecursively());
    }

    void hostileTextsCannotReachTheTerminal()
    {
        // A title that retitles the terminal, writes the clipboard (OSC 52) and holds a C1 CSI and a lone
        // surrogate, and a symbol that forges a whole extra line.
        Fault hostile{.body = Fault::Body::Raw};
        hostile.rawBody =
            "{\"announcementList\":[{\"PRESS_REL_ID\":7,\"SYMBOL\":\"2222\\n* 2026-01-01  1120  FORGED\","
            "\"TITLE\":\"Evil \\u001b]0;pwned\\u0007 \\u001b]52;c;cm0g\\u0007 \\u009b31m \\ud800\","
            "\"SHORT_DESC\":\"line one\\nline\\u001b[2J two\"},"
            "{\"PRESS_REL_ID\":8,\"SYMBOL\":\"2222\",\"TITLE\":\"Evil &#27;]52;c;cm0g&#7; Co.\","
            "\"announcementUrl\":\"/issuer-announcements/8\"}]}";
        m_sim->setFault(Feed::IssuerEN, 0, hostile);
        m_sim->setFault(Feed::MarketEN, 0,
                        Fault{.body = Fault::Body::Raw, .rawBody = "{\"announcementList\":[]}"});
        auto controlFree = [](const ZelvoraProcess& result, bool multiLine) {
            const QList<uint> text = result.text().toUcs4();
            return result.status == 0 && std::none_of(text.cbegin(), text.cend(), [multiLine](uint u) {
                       return (u < 0x20 && u != '\n' && !(multiLine && u == '\t')) ||
                              (u >= 0x7F && u <= 0x9F);
                   });
        };
        const ZelvoraProcess polled = run(u"poll"_s);
        QVERIFY2(controlFree(polled, false), polled.out.constData());
        QCOMPARE(polled.out.count('\n'), 3); // the items and the summary: no forged line
        // --json is exact: the same texts come back when it is read, yet no raw control byte is printed.
        const ZelvoraProcess json = run(u"list --json"_s);
        QVERIFY2(controlFree(json, false), json.out.constData());
        // Both items lack a date and are stamped when read, so their order is not fixed.
        const QJsonArray items = QJsonDocument::fromJson(json.out).array();
        const auto seven = std::find_if(items.begin(), items.end(),
                                        [](const QJsonValue& item) { return item[u"id"_s] == u"se_7"_s; });
        QVERIFY(seven != items.end());
        const QJsonObject listed = seven->toObject();
        QCOMPARE(listed[u"title"_s].toString(),
                 u"Evil \x1b]0;pwned\x07 \x1b]52;c;cm0g\x07 \u009b31m "_s + QChar(0xD800));
        QCOMPARE(listed[u"companies"_s][0].toString(), u"2222\n* 2026-01-01  1120  FORGED"_s);
        const ZelvoraProcess shown = run(u"show se_7"_s);
        QVERIFY2(controlFree(shown, true), shown.out.constData());
        const ZelvoraProcess page = run(u"show se_7 --html"_s);
        QVERIFY2(controlFree(page, true), page.out.constData());
        // The issuer's name as learned from a title.
        QCOMPARE(run(u"watchlist add 2222"_s).status, 0);
        const ZelvoraProcess names = run(u"watchlist list"_s);
        QVERIFY2(controlFree(names, false) && names.text().startsWith(u"2222  Evil ]52;c;cm0g Co.\n"_s),
                 names.out.constData());
        QVERIFY(shown.text().contains(u"\nCompanies: 2222\uFFFD* 2026"_s));
        QVERIFY(shown.text().contains(u"\nLink: "_s + origin()));
        QVERIFY(shown.text().endsWith(u"line one\nline\uFFFD[2J two\n"_s));
        QVERIFY(page.out.startsWith("<!DOCTYPE html>\n") && page.out.endsWith("</html>"));
        const ZelvoraProcess unknown = run(u"show se_404"_s);
        QVERIFY(unknown.status == 1 && unknown.out.isEmpty() && unknown.err.startsWith(u"zelvora: "_s));
    }

    void demoLeavesTheUsersFilesAlone()
    {
        writeSettings("{\"language\": \"ar\", \"seenAnnouncementIDs\": [\"se_1\"]}");
        const ZelvoraProcess result = run(u"poll --demo"_s);
        QVERIFY2(result.status == 0 && result.text().startsWith(u"Demo mode: "_s) &&
                     result.text().endsWith(u"\n0 new, 400 kept\n"_s),
                 result.out.constData());
        QVERIFY(result.text().contains(u"locale=ar"_s)); // the user's language is kept
        QCOMPARE(settings(), QByteArray("{\"language\": \"ar\", \"seenAnnouncementIDs\": [\"se_1\"]}"));
        QVERIFY(!QFile::exists(path("data/Quvex/announcements_cache.json")));
        QCOMPARE(m_sim->requestCount(), size_t(0));
    }

    void notificationsThroughTheService()
    {
        QCOMPARE(run(u"notifications"_s).text(), u"permission: notDetermined\n"_s);
        TestNotificationServer server;
        QVERIFY2(server.start(), qPrintable(server.lastError()));
        const ZelvoraProcess result = run(u"notifications test"_s);
        // Its log line on standard output: the command prints no data.
        QCOMPARE(result.text(), u"[NotificationManager] Permission granted: true\n"_s);
        QCOMPARE(result.status, 0);
        QCOMPARE(server.calls().size(), 1);
        QCOMPARE(run(u"notifications status"_s).text(), u"permission: authorized\nnow: authorized\n"_s);
    }

    // An output's secret, read from standard input, is kept apart from the settings, unreadable by
    // others, masked in the list and used when sending.
    void outputSecretsStayOutOfSightButAreUsed()
    {
        LoopbackHttpServer receiver([](const httplib::Request& request, httplib::Response& response) {
            response.status = request.path == "/gone" ? 404 : 200;
        });
        const QByteArray token = "tok-0123456789-abcdef";
        const QString hook = QString::fromUtf8(receiver.url("/hook"));
        QCOMPARE(run({u"outputs"_s, u"add"_s, u"desk"_s, u"--webhook"_s, hook, u"--token"_s, u"-"_s,
                      u"--rule"_s, u"Watchlist"_s},
                     token + "\n")
                     .status,
                 0);
        QVERIFY(!settings().contains(token));
        QVERIFY(readFile(path("config/zelvora/secrets.json")).contains(token));
        QCOMPARE(QFile(path("config/zelvora/secrets.json")).permissions() & 0x0077, QFile::Permissions());
        const ZelvoraProcess listed = run(u"outputs list"_s);
        QVERIFY2(!listed.out.contains(token.left(8)) &&
                     listed.text().startsWith(u"desk  webhook  "_s + hook + u"  rule: Watchlist"_s) &&
                     listed.text().contains(u"token: ********cdef"_s),
                 listed.out.constData());
        const ZelvoraProcess tested = run(u"outputs test desk"_s);
        QCOMPARE(tested.text(), u"desk: delivered\n"_s);
        QCOMPARE(tested.status, 0);
        QCOMPARE(receiver.requests().last().header("Authorization"), "Bearer " + token);
        QVERIFY(!tested.err.contains(QString::fromLatin1(token)));
        QCOMPARE(run(u"outputs remove desk"_s).status, 0);
        QVERIFY(!readFile(path("config/zelvora/secrets.json")).contains(token));
        QVERIFY(run(u"outputs list"_s).out.isEmpty());

        QCOMPARE(
            run({u"outputs"_s, u"add"_s, u"old"_s, u"--ntfy"_s, QString::fromUtf8(receiver.url("/gone"))})
                .status,
            0);
        const ZelvoraProcess refused = run(u"outputs test old"_s);
        QCOMPARE(refused.status, 1);
        QCOMPARE(refused.text(), u"old: refused: HTTP 404\n"_s);
    }

    void autostartLaunchesExactlyThisProgram() // read back by GLib's own desktop-entry loader
    {
        const QString gio = QStandardPaths::findExecutable(u"gio"_s);
        if (gio.isEmpty())
            QSKIP("needs gio (libglib2.0-bin)");
        // A folder with a space, shell characters and desktop-entry escapes.
        const QString program = m_home->filePath(u"my a\"b`c$HOME\\d'e x\\ny\\sz=[Desktop Entry]/zelvora"_s);
        QVERIFY(writeFile(
            program, "#!/bin/sh\nprintf '%s' \"$0\" > \"$RECORD.tmp\" && mv \"$RECORD.tmp\" \"$RECORD\"\n"));
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(autostart(program), 0);
        QProcess launcher;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"RECORD"_s, path("launched"));
        launcher.setProcessEnvironment(env);
        launcher.start(gio, {u"launch"_s, path("config/autostart/zelvora.desktop")});
        QVERIFY2(launcher.waitForFinished(30000) && launcher.exitCode() == 0,
                 launcher.readAllStandardError());
        QTRY_COMPARE_WITH_TIMEOUT(QString::fromUtf8(readFile(path("launched"))), program, 30000);
    }

    void autostartRefusesOrEscapesInjection()
    {
        // A line feed would add "Hidden=true" and a second Exec= line: refused, nothing written.
        QCOMPARE(autostart(u"/opt/z\nHidden=true\nExec=/bin/evil"_s), 1);
        QCOMPARE(autostart(u"/opt/z\u009b"_s), 1);
        QVERIFY(!QFile::exists(path("config/autostart/zelvora.desktop")));
        // % would start a field code (%u, %f): it is doubled.
        QCOMPARE(AutostartCommand::execArgument(u"/opt/100%u/z"_s), u"\"/opt/100%%u/z\""_s);
    }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
