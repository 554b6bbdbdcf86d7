// The tray program as a user runs it: a real X display with a tray host, a session bus with a
// notification service, and the portal simulator as the exchange. Started by run-with-display.sh.
#include "StatusNotifierWatcherStandIn.h"
#include "TestNotificationServer.h"
#include "portalsim/PortalSimulator.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

namespace {
QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8")); // xprop prints UTF-8 as it is
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The titles of the top-level windows as the window manager reads them (_NET_WM_NAME).
QStringList windowTitles()
{
    static const QRegularExpression id(QStringLiteral("^\\s+(0x[0-9a-f]+) "));
    static const QRegularExpression name(QStringLiteral("^_NET_WM_NAME = \"(.*)\"$"));
    QStringList titles;
    const QStringList children =
        run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-children")})
            .split(QLatin1Char('\n'));
    for (const QString& line : children) {
        const QRegularExpressionMatch window = id.match(line);
        if (!window.hasMatch())
            continue;
        const QString property =
            run(QStringLiteral("xprop"), {QStringLiteral("-id"), window.captured(1),
                                          QStringLiteral("-notype"), QStringLiteral("_NET_WM_NAME")})
                .trimmed();
        const QRegularExpressionMatch title = name.match(property);
        if (title.hasMatch())
            titles << title.captured(1).replace(QLatin1String("\\\""), QLatin1String("\""));
    }
    return titles;
}

struct LayoutItem
{
    int id = 0;
    QVariantMap properties;
    QList<LayoutItem> children;

    QString label() const { return properties.value(QStringLiteral("label")).toString(); }
    bool isSeparator() const
    {
        return properties.value(QStringLiteral("type")).toString() == QLatin1String("separator");
    }
};

LayoutItem layoutItem(const QDBusArgument& argument)
{
    LayoutItem item;
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        item.children.append(layoutItem(qvariant_cast<QDBusArgument>(child.variant())));
    }
    argument.endArray();
    argument.endStructure();
    return item;
}

// What a D-Bus tray host draws: each line as the dbusmenu label reads on screen ("__" is one
// underscore, another "_" only marks the access key), with its shortcut and state.
QString drawn(const LayoutItem& item)
{
    if (item.isSeparator())
        return QStringLiteral("----");
    QString label = item.label();
    label.replace(QRegularExpression(QStringLiteral("_(.)")), QStringLiteral("\\1"));
    if (label.endsWith(QLatin1Char('_')))
        label.chop(1);
    QStringList keys;
    const QDBusArgument shortcut = item.properties.value(QStringLiteral("shortcut")).value<QDBusArgument>();
    if (item.properties.contains(QStringLiteral("shortcut"))) {
        shortcut.beginArray();
        while (!shortcut.atEnd()) {
            QStringList chord;
            shortcut >> chord;
            keys << chord.join(QLatin1Char('+'));
        }
        shortcut.endArray();
    }
    if (!keys.isEmpty())
        label += QStringLiteral("    [") + keys.join(QLatin1Char(' ')) + QLatin1Char(']');
    if (item.properties.value(QStringLiteral("enabled"), true).toBool() == false)
        label += QStringLiteral("    (disabled)");
    return label;
}

// 42 announcements: enough for both menu sections.
portalsim::PortalSimulator::Options smallPortal()
{
    portalsim::PortalSimulator::Options options;
    options.issuerItems = 30;
    options.marketItems = 12;
    return options;
}

// The environment a user's session gives the program, with its files in `home`.
QProcessEnvironment sessionEnvironment(const QTemporaryDir& home, const portalsim::PortalSimulator& portal)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("ZELVORA_PORTAL_ORIGIN"), QString::fromStdString(portal.origin()));
    env.insert(QStringLiteral("DO_NOT_TRACK"), QStringLiteral("1"));
    env.insert(QStringLiteral("ZELVORA_MIN_POLL_INTERVAL"), QStringLiteral("1"));
    env.insert(QStringLiteral("ZELVORA_APPCAST_URL"),
               QString::fromStdString(portal.origin()) + QStringLiteral("/appcast.xml"));
    env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    env.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"), QStringLiteral("--disable-gpu --no-sandbox"));
    return env;
}

// The tray item as a D-Bus host reads it: its exported menu (com.canonical.dbusmenu) and properties.
struct ExportedTray
{
    QString service;
    QString path;

    QVariant property(const QString& name) const
    {
        QDBusInterface properties(service, path, QStringLiteral("org.freedesktop.DBus.Properties"));
        const QDBusReply<QDBusVariant> reply =
            properties.call(QStringLiteral("Get"), QStringLiteral("org.kde.StatusNotifierItem"), name);
        return reply.isValid() ? reply.value().variant() : QVariant();
    }

    QDBusMessage menuCall(const QString& method, const QVariantList& arguments) const
    {
        const QString menuPath = qvariant_cast<QDBusObjectPath>(property(QStringLiteral("Menu"))).path();
        QDBusMessage call = QDBusMessage::createMethodCall(service, menuPath,
                                                           QStringLiteral("com.canonical.dbusmenu"), method);
        call.setArguments(arguments);
        return QDBusConnection::sessionBus().call(call);
    }

    LayoutItem layout() const
    {
        const QDBusMessage reply = menuCall(QStringLiteral("GetLayout"), {0, -1, QStringList()});
        return reply.arguments().size() == 2 ? layoutItem(reply.arguments().at(1).value<QDBusArgument>())
                                             : LayoutItem();
    }

    QStringList lines() const
    {
        QStringList lines;
        for (const LayoutItem& item : layout().children)
            lines << drawn(item);
        return lines;
    }

    // The tooltip's title (the host shows it on hover), from (icon name, icon pixmaps, title, text).
    QString toolTip() const
    {
        const QDBusArgument argument = property(QStringLiteral("ToolTip")).value<QDBusArgument>();
        QString iconName;
        QString title;
        QString text;
        argument.beginStructure();
        argument >> iconName;
        argument.beginArray();
        while (!argument.atEnd()) {
            int width = 0;
            int height = 0;
            QByteArray pixels;
            argument.beginStructure();
            argument >> width >> height >> pixels;
            argument.endStructure();
        }
        argument.endArray();
        argument >> title >> text;
        argument.endStructure();
        return title + text;
    }
};

// A session whose tray host reads items over D-Bus, with a notification service, and the portal.
struct DBusDesktop
{
    StatusNotifierWatcherStandIn watcher;
    TestNotificationServer notifications;
    portalsim::PortalSimulator portal{smallPortal()};
    QProcess zelvora;
    QString log;

    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");

    bool hasDisplay() const { return wayland || !qEnvironmentVariableIsEmpty("DISPLAY"); }
    bool start() { return watcher.start() && notifications.start() && portal.start(); }

    // Starts the program and waits until its tray item has registered.
    std::optional<ExportedTray> startProgram(const QTemporaryDir& home)
    {
        QProcessEnvironment env = sessionEnvironment(home, portal);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"),
                   wayland ? QStringLiteral("wayland") : QStringLiteral("xcb"));
        zelvora.setProcessEnvironment(env);
        zelvora.setProcessChannelMode(QProcess::MergedChannels);
        zelvora.start(QStringLiteral(ZELVORA_EXE), {});
        if (!zelvora.waitForStarted() ||
            !QTest::qWaitFor([this] { return !watcher.items().isEmpty(); }, 30000))
            return std::nullopt;
        return ExportedTray{watcher.itemService(), watcher.itemPath()};
    }

    // What the program has written so far.
    QString output()
    {
        log += QString::fromUtf8(zelvora.readAll());
        return log;
    }
};

bool writeSettings(const QTemporaryDir& home, const QByteArray& json)
{
    QDir().mkpath(home.filePath(QStringLiteral("config/zelvora")));
    QFile settings(home.filePath(QStringLiteral("config/zelvora/settings.json")));
    return settings.open(QIODevice::WriteOnly) && settings.write(json) == json.size();
}
} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void notifyClickReadQuit()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X display (run through run-with-display.sh)");

        portalsim::PortalSimulator portal(smallPortal());
        QVERIFY(portal.start());

        TestNotificationServer notifications;
        QVERIFY2(notifications.start(), qPrintable(notifications.lastError()));

        QTemporaryDir home;
        const QString data = home.filePath(QStringLiteral("data"));
        // Poll every 2 seconds and skip the start-up question, so the test needs no clicks on alerts.
        QVERIFY(writeSettings(home, R"({"pollInterval": 2, "notificationsDontAsk": true})"));

        QProcess zelvora;
        QProcessEnvironment env = sessionEnvironment(home, portal);
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        zelvora.setProcessEnvironment(env);
        zelvora.setProcessChannelMode(QProcess::MergedChannels);
        zelvora.start(QStringLiteral(ZELVORA_EXE), {});
        QVERIFY(zelvora.waitForStarted());
        const auto output = [&] { return QString::fromUtf8(zelvora.readAll()); };
        QString log;

        // First poll: everything is old news, nothing is announced.
        const QString cacheFile = data + QStringLiteral("/Quvex/announcements_cache.json");
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(cacheFile), 30000);
        const auto requestsAfterFirstPoll = portal.requestCount();
        QTRY_VERIFY_WITH_TIMEOUT(portal.requestCount() > requestsAfterFirstPoll, 15000); // a second poll ran
        QCOMPARE(notifications.calls().size(), 0);

        // A new announcement on the portal: exactly one notification at the next poll.
        const portalsim::Item item = portal.addItem(true);
        const QString id = QStringLiteral("se_%1").arg(item.number);
        QTRY_VERIFY_WITH_TIMEOUT(notifications.calls().size() >= 1, 20000);
        const auto requestsNow = portal.requestCount();
        QTRY_VERIFY_WITH_TIMEOUT(portal.requestCount() > requestsNow + 1, 15000); // one more poll
        log += output();
        QCOMPARE(notifications.calls().size(), 1);
        const TestNotificationServer::Call call = notifications.calls().first();
        QCOMPARE(call.appName, QStringLiteral("Zelvora"));

        // A click on it opens the announcement's window, titled with the announcement's title and
        // nothing else.
        notifications.invokeAction(call.returnedId);
        QDeadlineTimer deadline(60000);
        while (!windowTitles().contains(call.summary) && !deadline.hasExpired())
            QTest::qWait(500);
        // ZELVORA_E2E_SHOTS=folder keeps a screenshot of the display for a person to look at.
        const QString shots = qEnvironmentVariable("ZELVORA_E2E_SHOTS");
        if (!shots.isEmpty())
            QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"),
                                                         shots + QStringLiteral("/after-click.png")});
        const QStringList titles = windowTitles();
        qInfo() << "_NET_WM_NAME of the windows:" << titles;
        if (!titles.contains(call.summary)) {
            log += output();
            QFAIL(qPrintable(QStringLiteral("no window titled %1 among %2; program output:\n%3")
                                 .arg(call.summary, titles.join(QStringLiteral(" | ")), log)));
        }

        // The cache file holds the kept list, the new announcement first.
        QFile cache(cacheFile);
        QVERIFY(cache.open(QIODevice::ReadOnly));
        const QJsonArray kept = QJsonDocument::fromJson(cache.readAll()).array();
        QCOMPARE(kept.size(), 43);
        QCOMPARE(kept.first().toObject().value(QStringLiteral("id")).toString(), id);

        // Logging out (SIGTERM) quits like the Quit command: a clean exit with status 0.
        ::kill(static_cast<pid_t>(zelvora.processId()), SIGTERM);
        QVERIFY(zelvora.waitForFinished(30000));
        log += output();
        QVERIFY2(zelvora.exitStatus() == QProcess::NormalExit && zelvora.exitCode() == 0, qPrintable(log));
    }

    // KDE Plasma and GNOME (AppIndicator) draw the tray menu themselves from the exported layout;
    // under Wayland this is the only tray there is.
    void exportedTrayMenu()
    {
        DBusDesktop desktop;
        if (!desktop.hasDisplay())
            QSKIP("needs a display (run through run-with-display.sh or run-with-weston.sh)");
        QVERIFY2(desktop.start(), qPrintable(desktop.notifications.lastError()));

        QTemporaryDir home;
        QVERIFY(writeSettings(
            home,
            R"({"pollInterval": 2, "notificationsDontAsk": true, "watchlistSymbols": ["3010", "2290", "1020"]})"));
        const std::optional<ExportedTray> found = desktop.startProgram(home);
        QVERIFY2(found, qPrintable(desktop.output()));
        const ExportedTray& tray = *found;
        // After the first poll: header, commands, both sections.
        QTRY_VERIFY2_WITH_TIMEOUT(tray.layout().children.size() > 25, qPrintable(desktop.output()), 30000);
        const LayoutItem root = tray.layout();
        const QStringList lines = tray.lines();
        qInfo().noquote() << "The exported menu as a host draws it:\n" + lines.join(QLatin1Char('\n'));
        // The host's hover text says when Zelvora last heard from the exchange.
        QVERIFY2(tray.toolTip().contains(QStringLiteral("\nChecked ")), qPrintable(tray.toolTip()));

        QCOMPARE(lines.mid(0, 11),
                 (QStringList{QStringLiteral("Zelvora  Tadawul Market    (disabled)"), QStringLiteral("----"),
                              QStringLiteral("Refresh Now    [Control+R]"),
                              QStringLiteral("Settings\u2026    [Control+,]"),
                              QStringLiteral("Check for Updates..."), QStringLiteral("About Zelvora"),
                              QStringLiteral("----"), QStringLiteral("Quit    [Control+Q]"),
                              QStringLiteral("View All (30 days)..."), QStringLiteral("----"),
                              QStringLiteral("\u2B50  Watchlist    (disabled)")}));
        const QStringList watchlist = lines.mid(11, 5);
        QCOMPARE(lines.at(16), QStringLiteral("----"));
        QCOMPARE(lines.at(17), QStringLiteral("\U0001F4CB  Latest Announcements    (disabled)"));
        const QStringList latest = lines.mid(18);
        QCOMPARE(latest.size(), 15);
        // Each line can be told apart from the others in its section: headline, symbol, date.
        static const QRegularExpression date(
            QStringLiteral("  \u00B7  (Yesterday )?(\\w{3} \\d+, )?\\d+:\\d\\d [AP]M$"));
        for (const QStringList& section : {watchlist, latest}) {
            QCOMPARE(QSet<QString>(section.cbegin(), section.cend()).size(), section.size());
            for (const QString& line : section) {
                QVERIFY2(date.match(line).hasMatch(), qPrintable(line));
                QVERIFY2(line.size() <= 130, qPrintable(line));
                QVERIFY2(!line.contains(QLatin1Char('<')), qPrintable(line));
            }
        }
        for (const QString& line : watchlist)
            QVERIFY2(QRegularExpression(QStringLiteral("  \u00B7  (3010|2290|1020)")).match(line).hasMatch(),
                     qPrintable(line));

        // Choosing commands in the host's menu opens the windows, titled exactly so.
        tray.menuCall(QStringLiteral("AboutToShow"), {0});
        for (const LayoutItem& item : root.children) {
            if (item.label() == QLatin1String("View All (30 days)...") ||
                item.label() == QStringLiteral("Settings\u2026"))
                tray.menuCall(QStringLiteral("Event"),
                              {item.id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u});
        }
        if (!desktop.wayland) {
            QTRY_VERIFY_WITH_TIMEOUT(
                windowTitles().contains(QStringLiteral("Zelvora \u2014 All Announcements")), 20000);
            QTRY_VERIFY_WITH_TIMEOUT(windowTitles().contains(QStringLiteral("Settings \u2014 Zelvora")),
                                     20000);
        }

        // A notification click opens the announcement's window (its module and web engine load).
        desktop.portal.addItem(true);
        QTRY_VERIFY2_WITH_TIMEOUT(!desktop.notifications.calls().isEmpty(), qPrintable(desktop.output()),
                                  20000);
        desktop.notifications.invokeAction(desktop.notifications.calls().first().returnedId);
        const auto windowModuleLoaded = [&] {
            QFile maps(QStringLiteral("/proc/%1/maps").arg(desktop.zelvora.processId()));
            return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libzelvora-web.so");
        };
        QTRY_VERIFY2_WITH_TIMEOUT(windowModuleLoaded(), qPrintable(desktop.output()), 60000);
        // The window's title as the window manager reads it is checked by notifyClickReadQuit.

        ::kill(static_cast<pid_t>(desktop.zelvora.processId()), SIGTERM);
        QVERIFY(desktop.zelvora.waitForFinished(30000));
        QVERIFY2(desktop.zelvora.exitStatus() == QProcess::NormalExit && desktop.zelvora.exitCode() == 0,
                 qPrintable(desktop.output()));
    }

    // Unreachable for long: the host shows the problem line, "Retry Now" and the hover text; one
    // notification; an answer from the portal restores the normal menu without another one.
    void notWatchingOnTheDBusTray()
    {
        DBusDesktop desktop;
        if (!desktop.hasDisplay())
            QSKIP("needs a display (run through run-with-display.sh or run-with-weston.sh)");
        QVERIFY2(desktop.start(), qPrintable(desktop.notifications.lastError()));
        portalsim::Fault denied;
        denied.status = 403;
        desktop.portal.setFault(portalsim::Feed::IssuerEN, 0, denied);
        desktop.portal.setFault(portalsim::Feed::MarketEN, 0, denied);

        // Two failed polls over the last 40 minutes, as an earlier run left them: the next one is the
        // third.
        QTemporaryDir home;
        QVERIFY(writeSettings(home, R"({"pollInterval": 2, "notificationsDontAsk": true})"));
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const QJsonObject failure{{QStringLiteral("feed"), QStringLiteral("issuer")},
                                  {QStringLiteral("error"), QStringLiteral("badStatus(403)")},
                                  {QStringLiteral("reason"), QStringLiteral("403 Access Denied")}};
        const QJsonObject state{{QStringLiteral("lastSuccess"), now.addSecs(-45 * 60).toString(Qt::ISODate)},
                                {QStringLiteral("lastFailure"), now.addSecs(-60).toString(Qt::ISODate)},
                                {QStringLiteral("failingSince"), now.addSecs(-40 * 60).toString(Qt::ISODate)},
                                {QStringLiteral("consecutiveFailures"), 2},
                                {QStringLiteral("failures"), QJsonArray{failure}}};
        QDir().mkpath(home.filePath(QStringLiteral("data/Quvex")));
        QFile stateFile(home.filePath(QStringLiteral("data/Quvex/poll-status.json")));
        QVERIFY(stateFile.open(QIODevice::WriteOnly));
        stateFile.write(QJsonDocument(state).toJson());
        stateFile.close();

        const std::optional<ExportedTray> found = desktop.startProgram(home);
        QVERIFY2(found, qPrintable(desktop.output()));
        const ExportedTray& tray = *found;
        QTRY_VERIFY2_WITH_TIMEOUT(tray.lines().contains(QStringLiteral("Retry Now")),
                                  qPrintable(desktop.output()), 30000);
        const QStringList lines = tray.lines();
        qInfo().noquote() << "The exported menu while not watching:\n" +
                                 lines.mid(0, 5).join(QLatin1Char('\n'));
        QVERIFY2(lines.at(1).startsWith(
                     QStringLiteral("\u26A0  Not watching: Can't reach the Saudi Exchange since ")),
                 qPrintable(lines.at(1)));
        QVERIFY2(lines.at(1).endsWith(QStringLiteral("(403 Access Denied)    (disabled)")),
                 qPrintable(lines.at(1)));
        QCOMPARE(lines.at(2), QStringLiteral("Retry Now"));
        QVERIFY2(tray.toolTip().contains(QStringLiteral("\nCan't reach the Saudi Exchange since ")),
                 qPrintable(tray.toolTip()));
        const auto requests = desktop.portal.requestCount();
        QTRY_VERIFY_WITH_TIMEOUT(desktop.portal.requestCount() > requests + 2, 15000); // more failed polls
        QCOMPARE(desktop.notifications.calls().size(), 1);
        QCOMPARE(desktop.notifications.calls().first().summary,
                 QStringLiteral("Zelvora is not watching the Saudi Exchange"));

        desktop.portal.clearFaults();
        QTRY_VERIFY2_WITH_TIMEOUT(!tray.lines().contains(QStringLiteral("Retry Now")),
                                  qPrintable(desktop.output()), 30000);
        QVERIFY2(tray.toolTip().contains(QStringLiteral("\nChecked ")), qPrintable(tray.toolTip()));
        QCOMPARE(desktop.notifications.calls().size(), 1);

        ::kill(static_cast<pid_t>(desktop.zelvora.processId()), SIGTERM);
        QVERIFY(desktop.zelvora.waitForFinished(30000));
        QVERIFY2(desktop.zelvora.exitStatus() == QProcess::NormalExit && desktop.zelvora.exitCode() == 0,
                 qPrintable(desktop.output()));
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
