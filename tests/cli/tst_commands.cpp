// The `zelvora` commands as processes, as a user runs them: over temporary folders, against the portal
// simulator and this process's stand-in notification service.
#include "TestNotificationServer.h"
#include "cli/AutostartCommand.h"
#include "portalsim/PortalSimulator.h"
#include "support/ZelvoraProcess.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <csignal>

using portalsim::Fault;
using portalsim::Feed;

class TestCommands : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<portalsim::PortalSimulator> m_sim;

    QString origin() const { return QString::fromStdString(m_sim->origin()); }
    QString path(const char* relative) const { return m_home->filePath(QLatin1String(relative)); }
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = ZelvoraProcess::environment(m_home->path());
        env.insert(QStringLiteral("ZELVORA_PORTAL_ORIGIN"), origin());
        return env;
    }
    ZelvoraProcess run(const QString& arguments) { return run(arguments.split(QLatin1Char(' '))); }
    ZelvoraProcess run(const QStringList& arguments) { return ZelvoraProcess::run(arguments, environment()); }
    QByteArray settings() const
    {
        QFile file(path("config/zelvora/settings.json"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static Fault fault(int status, Fault::Body body = Fault::Body::Normal, std::string rawBody = {})
    {
        Fault fault;
        fault.status = status;
        fault.body = body;
        fault.rawBody = std::move(rawBody);
        return fault;
    }
    int autostart(const QString& program)
    {
        return AutostartCommand(program, AppPaths(path("config"), path("data"))).run({QStringLiteral("on")});
    }
    void writeSettings(const QByteArray& json)
    {
        QDir().mkpath(path("config/zelvora"));
        QFile file(path("config/zelvora/settings.json"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(json) == json.size());
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

    void usageErrorsChangeNothing_data()
    {
        QTest::addColumn<QString>("arguments");
        const QString rows = QStringLiteral(
            "no-such-command|--bogus|poll --bogus|poll --portal|poll --portal ftp://x|poll x|list --demo|"
            "list --grep|watch --json|status x|show|show a b|notifications bogus|autostart|defaults|"
            "defaults erase language|defaults write language -text ar|defaults write language -string|"
            "defaults write language -string a -bool true|defaults write notificationsEnabled -bool perhaps|"
            "defaults write pollInterval -float 3x|defaults write lastPollDate -date yesterday|watchlist add|"
            "watchlist add-word a b|watchlist add-word  ");
        for (const QString& row : rows.split(QLatin1Char('|')))
            QTest::newRow(qPrintable(row)) << row;
    }

    void usageErrorsChangeNothing()
    {
        QFETCH(QString, arguments);
        writeSettings("{\"language\": \"en\"}");
        const ZelvoraProcess result = run(arguments);
        QCOMPARE(result.status, 2);
        QVERIFY2(result.err.startsWith(QLatin1String("zelvora: ")) &&
                     result.err.count(QLatin1Char('\n')) == 1,
                 qPrintable(result.err));
        QCOMPARE(result.out, QByteArray());
        QCOMPARE(settings(), QByteArray("{\"language\": \"en\"}"));
        QCOMPARE(m_sim->requestCount(), size_t(0));
    }

    void helpForEveryCommand()
    {
        const QString overall = run(QStringLiteral("--help")).text();
        for (const char* name : {"defaults", "watchlist", "poll", "list", "watch", "notifications",
                                 "autostart", "status", "show"}) {
            QVERIFY2(overall.contains(QLatin1String("\n  ") + QLatin1String(name)), name);
            QVERIFY2(run({QLatin1String(name), QStringLiteral("--help")})
                         .out.startsWith("Usage: zelvora " + QByteArray(name)),
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
        QCOMPARE(run(QStringLiteral("defaults write %1 %2").arg(row[0], row[1])).status, 0);
        QCOMPARE(run(QStringLiteral("defaults read ") + row[0]).text(), row[2] + QLatin1Char('\n'));
        QCOMPARE(run(QStringLiteral("defaults delete ") + row[0]).status, 0);
        QCOMPARE(run(QStringLiteral("defaults read ") + row[0]).status, 1);
    }

    void watchlist()
    {
        QCOMPARE(run(QStringLiteral("watchlist add 2222 1120")).status, 0);
        QCOMPARE(run(QStringLiteral("watchlist remove 2222")).status, 0);
        // Watch words: one word or phrase per call, the same word (folded) only once.
        for (const char* word : {"rights  issue", "توزيع أرباح", "Rights Issue", "Dividend"})
            QCOMPARE(run({QStringLiteral("watchlist"), QStringLiteral("add-word"), QString::fromUtf8(word)})
                         .status,
                     0);
        QCOMPARE(run(QStringLiteral("watchlist remove-word DIVIDEND")).status, 0);
        QCOMPARE(run(QStringLiteral("watchlist")).text(),
                 QStringLiteral("1120\nword: rights issue\nword: توزيع أرباح\n"));
        // A settings file that cannot be written (a file stands where its folder should be).
        QDir(path("config/zelvora")).removeRecursively();
        QVERIFY(QFile(path("config/zelvora")).open(QIODevice::WriteOnly));
        const ZelvoraProcess failed = run(QStringLiteral("watchlist add 2222"));
        QVERIFY2(failed.status == 1 && failed.err.startsWith(QLatin1String("zelvora: could not write ")),
                 qPrintable(failed.err));
    }

    void logLinesLeaveTheDataAlone()
    {
        writeSettings("{broken");
        for (const QString& command : {QStringLiteral("defaults read"), QStringLiteral("watchlist list")}) {
            const ZelvoraProcess result = run(command);
            QVERIFY2(result.status == 0 && !result.out.contains("[Preferences]"), result.out.constData());
            QVERIFY(result.err.startsWith(QLatin1String("[Preferences] Settings file ")));
        }
        // A command that prints no data logs on standard output, as the tray program does.
        const QString changed = run(QStringLiteral("watchlist add 2222")).text();
        QVERIFY2(changed.startsWith(QLatin1String("[Preferences] Settings file ")) &&
                     changed.contains(QLatin1String("\n[Preferences] Kept the unreadable settings file as ")),
                 qPrintable(changed));
    }

    void pollListAndSearch()
    {
        QProcessEnvironment env = environment(); // --portal wins over the environment
        env.insert(QStringLiteral("ZELVORA_PORTAL_ORIGIN"), QStringLiteral("http://127.0.0.1:1"));
        const ZelvoraProcess first =
            ZelvoraProcess::run({QStringLiteral("poll"), "--portal=" + origin() + "/"}, env);
        QCOMPARE(m_sim->requestCount(), size_t(3)); // 2 issuer pages (60 items), 1 market page (20)
        const QStringList lines = first.text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 81);
        QCOMPARE(lines.last(), QStringLiteral("0 new, 80 kept")); // the very first run marks nothing new
        QVERIFY(lines.first().startsWith(QLatin1String("  20")) &&
                lines.first().contains(origin() + "/wps/"));
        // Market-news titles with markup read as text; the JSON keeps them as the portal sent them.
        QVERIFY(first.text().contains(QLatin1String("reached SAR ")) && !first.out.contains("<span"));

        m_sim->advance(3);
        const ZelvoraProcess second = run(QStringLiteral("poll --json"));
        const QJsonObject json = QJsonDocument::fromJson(second.out).object();
        QCOMPARE(json[QLatin1String("new")].toArray().size(), 3);
        QCOMPARE(json[QLatin1String("all")].toArray().size(), 83);
        QCOMPARE(json[QLatin1String("error")], QJsonValue(false));
        QVERIFY(second.out.contains("<span class=\\\"sar-symbol\\\">&#x20C1;</span>"));
        QCOMPARE(json[QLatin1String("new")][0].toObject().keys(),
                 (QStringList{"companies", "description", "id", "link", "pubDate", "title"}));
        QVERIFY(run(QStringLiteral("poll")).text().endsWith(QLatin1String("\n0 new, 83 kept\n")));

        m_sim->stop(); // the rest needs no network
        const QJsonArray kept = QJsonDocument::fromJson(run(QStringLiteral("list --json")).out).array();
        QCOMPARE(kept, json[QLatin1String("all")].toArray());
        // The issuers' names learned from the feed: shown with the watchlist, found by --grep.
        const QJsonValue issuer = *std::find_if(kept.begin(), kept.end(), [](const QJsonValue& item) {
            return item[QLatin1String("link")].toString().contains(QLatin1String("/issuer-announcements/"));
        });
        const QString symbol = issuer[QLatin1String("companies")][0].toString();
        const QString name = issuer[QLatin1String("title")].toString();
        QCOMPARE(run({QStringLiteral("watchlist"), QStringLiteral("add"), symbol}).status, 0);
        QCOMPARE(run(QStringLiteral("watchlist list")).text(), symbol + QStringLiteral("  ") + name + "\n");
        const QStringList found = run({QStringLiteral("list"), QStringLiteral("--grep"), name.toUpper()})
                                      .text()
                                      .split(QLatin1Char('\n'));
        QVERIFY(found.size() > 3); // at least one line, the summary and the final line feed
        for (const QString& line : found.mid(0, found.size() - 2))
            QVERIFY2(line.contains(QStringLiteral("  %1  ").arg(symbol)), qPrintable(line));
    }

    // `status` tells scripts whether the last poll, by any process, heard from the exchange.
    void bothFeedsFailing()
    {
        QCOMPARE(run(QStringLiteral("status")).status, 1); // nothing recorded yet
        m_sim->setFault(Feed::IssuerEN, 0, fault(403));
        m_sim->setFault(Feed::MarketEN, 0, fault(200, Fault::Body::HtmlPage));
        const ZelvoraProcess result = run(QStringLiteral("poll --json"));
        QCOMPARE(result.status, 1);
        QCOMPARE(QJsonDocument::fromJson(result.out).object()[QLatin1String("error")], QJsonValue(true));
        QCOMPARE(result.err, QStringLiteral("[Fetcher] Issuer announcements error: badStatus(403)\n"
                                            "[Fetcher] Failed to parse market JSON\n"
                                            "[Fetcher] Market news error: invalidPayload(\"market\")\n"
                                            "zelvora: both feeds failed\n"));
        ZelvoraProcess status = run(QStringLiteral("status"));
        QCOMPARE(status.status, 1);
        QVERIFY2(status.text().contains(QStringLiteral("\nFailed: issuer announcements: badStatus(403); "
                                                       "market news: invalidPayload(\"market\")\n")),
                 status.out.constData());
        m_sim->clearFaults();
        QCOMPARE(run(QStringLiteral("poll")).status, 0);
        status = run(QStringLiteral("status"));
        QCOMPARE(status.status, 0);
        QVERIFY2(status.text().startsWith(QLatin1String("State: watching\n")), status.out.constData());
    }

    void watchEndsCleanlyOnSigterm()
    {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(QStringLiteral(ZELVORA_EXE), {QStringLiteral("watch")});
        QByteArray out;
        QVERIFY(QTest::qWaitFor([&] { return (out += process.readAllStandardOutput()).contains("Ctrl+C"); },
                                60000));
        QVERIFY2(out.startsWith("Watching " + m_sim->origin() + " (80 kept); polling every 180 s."),
                 out.constData());
        ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
    }

    void hostileTextsCannotReachTheTerminal()
    {
        // A title that retitles the terminal, writes the clipboard (OSC 52) and holds a C1 CSI and a lone
        // surrogate, and a symbol that forges a whole extra line.
        m_sim->setFault(
            Feed::IssuerEN, 0,
            fault(
                200, Fault::Body::Raw,
                "{\"announcementList\":[{\"PRESS_REL_ID\":7,\"SYMBOL\":\"2222\\n* 2026-01-01  1120  FORGED\","
                "\"TITLE\":\"Evil \\u001b]0;pwned\\u0007 \\u001b]52;c;cm0g\\u0007 \\u009b31m \\ud800\","
                "\"SHORT_DESC\":\"line one\\nline\\u001b[2J two\"}]}"));
        m_sim->setFault(Feed::MarketEN, 0, fault(200, Fault::Body::Raw, "{\"announcementList\":[]}"));
        auto controlFree = [](const ZelvoraProcess& result, bool multiLine) {
            const QList<uint> text = result.text().toUcs4();
            return result.status == 0 && std::none_of(text.cbegin(), text.cend(), [multiLine](uint u) {
                       return (u < 0x20 && u != '\n' && !(multiLine && u == '\t')) ||
                              (u >= 0x7F && u <= 0x9F);
                   });
        };
        const ZelvoraProcess polled = run(QStringLiteral("poll"));
        QVERIFY2(controlFree(polled, false), polled.out.constData());
        QCOMPARE(polled.out.count('\n'), 2); // the item and the summary: no forged line
        // --json is exact: the same texts come back when it is read, yet no raw control byte is printed.
        const ZelvoraProcess json = run(QStringLiteral("list --json"));
        QVERIFY2(controlFree(json, false), json.out.constData());
        const QJsonObject listed = QJsonDocument::fromJson(json.out).array().first().toObject();
        QCOMPARE(listed[QLatin1String("title")].toString(),
                 QStringLiteral("Evil \x1b]0;pwned\x07 \x1b]52;c;cm0g\x07 \u009b31m ") + QChar(0xD800));
        QCOMPARE(listed[QLatin1String("companies")][0].toString(),
                 QStringLiteral("2222\n* 2026-01-01  1120  FORGED"));
        const ZelvoraProcess shown = run(QStringLiteral("show se_7"));
        QVERIFY2(controlFree(shown, true), shown.out.constData());
        QVERIFY(shown.text().contains(QStringLiteral("Companies: 2222\uFFFD* 2026")));
        QVERIFY(shown.text().endsWith(QStringLiteral("line one\nline\uFFFD[2J two\n")));
    }

    void demoLeavesTheUsersFilesAlone()
    {
        writeSettings("{\"language\": \"ar\", \"seenAnnouncementIDs\": [\"se_1\"]}");
        const ZelvoraProcess result = run(QStringLiteral("poll --demo"));
        QCOMPARE(result.status, 0);
        QVERIFY(result.text().startsWith(QLatin1String("Demo mode: ")));
        QVERIFY(result.text().endsWith(QLatin1String("\n0 new, 400 kept\n")));
        QVERIFY(result.text().contains(QLatin1String("locale=ar"))); // the user's language is kept
        QCOMPARE(settings(), QByteArray("{\"language\": \"ar\", \"seenAnnouncementIDs\": [\"se_1\"]}"));
        QVERIFY(!QFile::exists(path("data/Quvex/announcements_cache.json")));
        QCOMPARE(m_sim->requestCount(), size_t(0));
    }

    void notificationsThroughTheService()
    {
        QCOMPARE(run(QStringLiteral("notifications")).text(), QStringLiteral("permission: notDetermined\n"));
        TestNotificationServer server;
        QVERIFY2(server.start(), qPrintable(server.lastError()));
        const ZelvoraProcess result = run(QStringLiteral("notifications test"));
        QCOMPARE(result.status, 0);
        QCOMPARE(result.text(), QStringLiteral("[NotificationManager] Permission granted: true\n"));
        QCOMPARE(server.calls().size(), 1);
        QCOMPARE(run(QStringLiteral("notifications status")).text(),
                 QStringLiteral("permission: authorized\nnow: authorized\n"));
    }

    void autostartLaunchesExactlyThisProgram_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("space") << QStringLiteral("my programs");
        QTest::newRow("shell characters") << QStringLiteral("a\"b`c$HOME\\d'e");
        QTest::newRow("desktop-entry escapes") << QStringLiteral("x\\ny\\sz=[Desktop Entry]");
    }

    // Read back by GLib's own desktop-entry loader.
    void autostartLaunchesExactlyThisProgram()
    {
        const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
        if (gio.isEmpty())
            QSKIP("needs gio (libglib2.0-bin)");
        QFETCH(QString, folder);
        const QString program = m_home->filePath(folder + QStringLiteral("/zelvora"));
        QVERIFY(QDir().mkpath(m_home->filePath(folder)));
        QFile script(program);
        QVERIFY(script.open(QIODevice::WriteOnly) &&
                script.write(
                    "#!/bin/sh\nprintf '%s' \"$0\" > \"$RECORD.tmp\" && mv \"$RECORD.tmp\" \"$RECORD\"\n") >
                    0);
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        script.close();
        QCOMPARE(autostart(program), 0);
        QProcess launcher;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("RECORD"), path("launched"));
        launcher.setProcessEnvironment(env);
        launcher.start(gio, {QStringLiteral("launch"), path("config/autostart/zelvora.desktop")});
        QVERIFY2(launcher.waitForFinished(30000) && launcher.exitCode() == 0,
                 launcher.readAllStandardError().constData());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path("launched")), 30000);
        QFile launched(path("launched"));
        QVERIFY(launched.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(launched.readAll()), program);
    }

    void autostartRefusesOrEscapesInjection()
    {
        // A line feed would add "Hidden=true" and a second Exec= line: refused, nothing written.
        QCOMPARE(autostart(QStringLiteral("/opt/z\nHidden=true\nExec=/bin/evil")), 1);
        QCOMPARE(autostart(QStringLiteral("/opt/z\u009b")), 1);
        QVERIFY(!QFile::exists(path("config/autostart/zelvora.desktop")));
        // % would start a field code (%u, %f): it is doubled.
        QCOMPARE(AutostartCommand::execArgument(QStringLiteral("/opt/100%u/z")),
                 QStringLiteral("\"/opt/100%%u/z\""));
    }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
