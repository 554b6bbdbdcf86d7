// The tray program as a user runs it: a real X display with a tray host, a session bus with a
// notification service, and the portal simulator as the exchange. Started by run-with-display.sh.
#include "StatusNotifierWatcherStandIn.h"
#include "TestNotificationServer.h"
#include "portalsim/PortalSimulator.h"
#include "support/TestFiles.h"
#include "support/ZelvoraProcess.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QFile>
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

// The environment a user's session gives the program, with its files in `home`.
QProcessEnvironment sessionEnvironment(const QTemporaryDir& home, const portalsim::PortalSimulator& portal)
{
    QProcessEnvironment env =
        ZelvoraProcess::environment(home.path(), QString::fromStdString(portal.origin()));
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
};

// A session whose tray host reads items over D-Bus, with a notification service, and the portal.
struct DBusDesktop
{
    StatusNotifierWatcherStandIn watcher;
    TestNotificationServer notifications;
    portalsim::PortalSimulator portal{
        {.issuerItems = 30, .marketItems = 12}}; // enough for both menu sections
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

// Logging out (SIGTERM) quits like the Quit command: a clean exit with status 0.
bool quitsCleanly(QProcess& zelvora)
{
    ::kill(static_cast<pid_t>(zelvora.processId()), SIGTERM);
    return zelvora.waitForFinished(30000) && zelvora.exitStatus() == QProcess::NormalExit &&
           zelvora.exitCode() == 0;
}
} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The program as a user runs it, its tray drawn by a host that reads the exported menu (KDE
    // Plasma, GNOME's AppIndicator; under Wayland the only tray there is): the menu, its commands,
    // one notification per new announcement, a click on it, and logging out.
    void trayProgramEndToEnd()
    {
        DBusDesktop desktop;
        if (!desktop.hasDisplay())
            QSKIP("needs a display (run through run-with-display.sh or run-with-weston.sh)");
        QVERIFY2(desktop.start(), qPrintable(desktop.notifications.lastError()));

        // Poll every 2 seconds and skip the start-up question, so the test needs no clicks on alerts.
        QTemporaryDir home;
        QVERIFY(writeFile(
            home.filePath(QStringLiteral("config/zelvora/settings.json")),
            R"({"pollInterval": 2, "notificationsDontAsk": true, "watchlistSymbols": ["3010", "2290", "1020"]})"));
        const std::optional<ExportedTray> found = desktop.startProgram(home);
        QVERIFY2(found, qPrintable(desktop.output()));
        const ExportedTray& tray = *found;
        // After the first poll: header, commands, both sections.
        QTRY_VERIFY2_WITH_TIMEOUT(tray.layout().children.size() > 25, qPrintable(desktop.output()), 30000);
        const QStringList lines = tray.lines();
        qInfo().noquote() << "The exported menu as a host draws it:\n" + lines.join(QLatin1Char('\n'));
        QCOMPARE(
            lines.mid(0, 14),
            (QStringList{QStringLiteral("Zelvora  Tadawul Market    (disabled)"), QStringLiteral("----"),
                         QStringLiteral("Refresh Now    [Control+R]"),
                         QStringLiteral("Settings\u2026    [Control+,]"),
                         QStringLiteral("Check for Updates..."), QStringLiteral("About Zelvora"),
                         QStringLiteral("----"), QStringLiteral("Pause Notifications for 1 Hour"),
                         QStringLiteral("Pause Notifications Until Tomorrow's Open"), QStringLiteral("----"),
                         QStringLiteral("Quit    [Control+Q]"), QStringLiteral("View All (30 days)..."),
                         QStringLiteral("----"), QStringLiteral("\u2B50  Watchlist    (disabled)")}));
        const QStringList watchlist = lines.mid(14, 5);
        QCOMPARE(lines.at(20), QStringLiteral("\U0001F4CB  Latest Announcements    (disabled)"));
        const QStringList latest = lines.mid(21);
        QCOMPARE(latest.size(), 15);
        // Each line can be told apart from the others in its section: headline, symbol, date.
        static const QRegularExpression date(
            QStringLiteral("  \u00B7  (Yesterday )?(\\w{3} \\d+, )?\\d+:\\d\\d [AP]M( Riyadh time)?$"));
        for (const QStringList& section : {watchlist, latest}) {
            QCOMPARE(QSet<QString>(section.cbegin(), section.cend()).size(), section.size());
            for (const QString& line : section) {
                QVERIFY2(date.match(line).hasMatch(), qPrintable(line));
                QVERIFY2(line.size() <= 130 && !line.contains(QLatin1Char('<')), qPrintable(line));
            }
        }
        for (const QString& line : watchlist)
            QVERIFY2(QRegularExpression(QStringLiteral("  \u00B7  (3010|2290|1020)")).match(line).hasMatch(),
                     qPrintable(line));

        // Choosing commands in the host's menu opens the windows, titled exactly so. Every poll
        // rebuilds the menu and its item ids, so each click is made on a fresh layout, and again
        // until the window shows.
        const auto choose = [&tray](const QString& label) {
            tray.menuCall(QStringLiteral("AboutToShow"), {0});
            for (const LayoutItem& item : tray.layout().children) {
                if (item.label() == label)
                    tray.menuCall(QStringLiteral("Event"), {item.id, QStringLiteral("clicked"),
                                                            QVariant::fromValue(QDBusVariant(0)), 0u});
            }
        };
        const QList<std::pair<QString, QString>> commands{
            {QStringLiteral("View All (30 days)..."), QStringLiteral("Zelvora \u2014 All Announcements")},
            {QStringLiteral("Settings\u2026"), QStringLiteral("Settings \u2014 Zelvora")}};
        for (const auto& [command, title] : commands) {
            choose(command);
            if (!desktop.wayland)
                QTRY_VERIFY_WITH_TIMEOUT((choose(command), windowTitles().contains(title)), 20000);
        }

        // The announcements present at start are old news; a new one is notified once.
        QCOMPARE(desktop.notifications.calls().size(), 0);
        desktop.portal.addItem(true);
        QTRY_VERIFY2_WITH_TIMEOUT(!desktop.notifications.calls().isEmpty(), qPrintable(desktop.output()),
                                  20000);
        const auto requests = desktop.portal.requestCount();
        QTRY_VERIFY_WITH_TIMEOUT(desktop.portal.requestCount() > requests + 1, 15000); // one more poll
        QCOMPARE(desktop.notifications.calls().size(), 1);
        const TestNotificationServer::Call call = desktop.notifications.calls().first();
        QCOMPARE(call.appName, QStringLiteral("Zelvora"));

        // A click on it opens the announcement's window (its module and web engine load), titled with
        // the announcement's title and nothing else.
        desktop.notifications.invokeAction(call.returnedId);
        const auto windowModuleLoaded = [&] {
            QFile maps(QStringLiteral("/proc/%1/maps").arg(desktop.zelvora.processId()));
            return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libzelvora-web.so");
        };
        QTRY_VERIFY2_WITH_TIMEOUT(windowModuleLoaded(), qPrintable(desktop.output()), 60000);
        if (!desktop.wayland) {
            QDeadlineTimer deadline(60000);
            QStringList titles = windowTitles();
            for (; !titles.contains(call.summary) && !deadline.hasExpired(); titles = windowTitles())
                QTest::qWait(500);
            // ZELVORA_E2E_SHOTS=folder keeps a screenshot of the display for a person to look at.
            const QString shots = qEnvironmentVariable("ZELVORA_E2E_SHOTS");
            if (!shots.isEmpty())
                QProcess::execute(QStringLiteral("import"),
                                  {QStringLiteral("-window"), QStringLiteral("root"),
                                   shots + QStringLiteral("/after-click.png")});
            QVERIFY2(
                titles.contains(call.summary),
                qPrintable(QStringLiteral("no window titled %1 among %2; program output:\n%3")
                               .arg(call.summary, titles.join(QStringLiteral(" | ")), desktop.output())));
        }
        QVERIFY2(quitsCleanly(desktop.zelvora), qPrintable(desktop.output()));
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
