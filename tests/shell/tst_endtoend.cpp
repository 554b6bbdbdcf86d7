// The tray program as a user runs it: a display with a tray host that reads the exported menu, a
// session bus with a notification service, and the portal simulator as the exchange. Started by
// run-with-display.sh.
#include "TestNotificationServer.h"
#include "portalsim/PortalSimulator.h"
#include "support/TestFiles.h"
#include "support/ZelvoraProcess.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

// What KDE Plasma and GNOME's AppIndicator extension put on the session bus: a StatusNotifierWatcher
// with a host registered, with which tray items register.
class StatusNotifierWatcherStandIn : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)

public:
    bool start()
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        return bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), this,
                                  QDBusConnection::ExportAllContents) &&
               bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"));
    }
    bool isHostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList items() const { return m_items; }

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString& serviceOrPath)
    {
        // Items pass either their bus name or an object path on the caller's connection.
        const QString item = serviceOrPath.startsWith(QLatin1Char('/'))
                                 ? message().service() + serviceOrPath
                                 : serviceOrPath + QStringLiteral("/StatusNotifierItem");
        m_items.append(item);
        Q_EMIT StatusNotifierItemRegistered(item);
    }
    void RegisterStatusNotifierHost(const QString&) {}

Q_SIGNALS:
    void StatusNotifierItemRegistered(const QString& item);

private:
    QStringList m_items;
};

namespace {
// The titles of the top-level windows as the window manager reads them.
QStringList windowTitles()
{
    QProcess xwininfo;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8")); // titles in UTF-8 as they are
    xwininfo.setProcessEnvironment(env);
    xwininfo.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-children")});
    xwininfo.waitForFinished(10000);
    static const QRegularExpression window(QStringLiteral("^\\s+0x[0-9a-f]+ \"(.*)\": \\("),
                                           QRegularExpression::MultilineOption);
    QStringList titles;
    for (auto it = window.globalMatch(QString::fromUtf8(xwininfo.readAllStandardOutput())); it.hasNext();)
        titles << it.next().captured(1);
    return titles;
}

struct LayoutItem
{
    int id = 0;
    QVariantMap properties;
    QList<LayoutItem> children;

    QString label() const { return properties.value(QStringLiteral("label")).toString(); }
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
    if (item.properties.value(QStringLiteral("type")).toString() == QLatin1String("separator"))
        return QStringLiteral("----");
    QString label = item.label();
    label.replace(QRegularExpression(QStringLiteral("_(.)")), QStringLiteral("\\1"));
    if (label.endsWith(QLatin1Char('_')))
        label.chop(1);
    QStringList keys;
    if (item.properties.contains(QStringLiteral("shortcut"))) {
        const QDBusArgument shortcut =
            item.properties.value(QStringLiteral("shortcut")).value<QDBusArgument>();
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
    if (!item.properties.value(QStringLiteral("enabled"), true).toBool())
        label += QStringLiteral("    (disabled)");
    return label;
}

// A session whose tray host reads items over D-Bus, with a notification service, and the portal;
// the program's tray item as that host reads it (com.canonical.dbusmenu).
struct DBusDesktop
{
    StatusNotifierWatcherStandIn watcher;
    TestNotificationServer notifications;
    portalsim::PortalSimulator portal{{.issuerItems = 30, .marketItems = 12}}; // both menu sections
    QProcess zelvora;
    QString log;
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");

    bool start() { return watcher.start() && notifications.start() && portal.start(); }

    // Starts the program with its files in `home` and waits until its tray item has registered.
    bool startProgram(const QTemporaryDir& home)
    {
        const QString origin = QString::fromStdString(portal.origin());
        QProcessEnvironment env = ZelvoraProcess::environment(home.path(), origin);
        env.insert(QStringLiteral("DO_NOT_TRACK"), QStringLiteral("1"));
        env.insert(QStringLiteral("ZELVORA_MIN_POLL_INTERVAL"), QStringLiteral("1"));
        env.insert(QStringLiteral("ZELVORA_APPCAST_URL"), origin + QStringLiteral("/appcast.xml"));
        env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
        env.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"),
                   QStringLiteral("--disable-gpu --no-sandbox"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"),
                   wayland ? QStringLiteral("wayland") : QStringLiteral("xcb"));
        zelvora.setProcessEnvironment(env);
        zelvora.setProcessChannelMode(QProcess::MergedChannels);
        zelvora.start(QStringLiteral(ZELVORA_EXE), {});
        return zelvora.waitForStarted() &&
               QTest::qWaitFor([this] { return !watcher.items().isEmpty(); }, 30000);
    }

    // What the program has written so far.
    QString output()
    {
        log += QString::fromUtf8(zelvora.readAll());
        return log;
    }

    QDBusMessage menuCall(const QString& method, const QVariantList& arguments) const
    {
        const QString item = watcher.items().first();
        const QString service = item.section(QLatin1Char('/'), 0, 0);
        const QString path = QLatin1Char('/') + item.section(QLatin1Char('/'), 1);
        const QDBusReply<QDBusVariant> menu =
            QDBusInterface(service, path, QStringLiteral("org.freedesktop.DBus.Properties"))
                .call(QStringLiteral("Get"), QStringLiteral("org.kde.StatusNotifierItem"),
                      QStringLiteral("Menu"));
        const QString menuPath = qvariant_cast<QDBusObjectPath>(menu.value().variant()).path();
        QDBusMessage call = QDBusMessage::createMethodCall(service, menuPath,
                                                           QStringLiteral("com.canonical.dbusmenu"), method);
        call.setArguments(arguments);
        return QDBusConnection::sessionBus().call(call);
    }

    QList<LayoutItem> menu() const
    {
        const QDBusMessage reply = menuCall(QStringLiteral("GetLayout"), {0, -1, QStringList()});
        return reply.arguments().size() == 2
                   ? layoutItem(reply.arguments().at(1).value<QDBusArgument>()).children
                   : QList<LayoutItem>();
    }

    // Every poll rebuilds the menu and its item ids, so each click is made on a fresh layout.
    void choose(const QString& label) const
    {
        menuCall(QStringLiteral("AboutToShow"), {0});
        for (const LayoutItem& item : menu()) {
            if (item.label() == label)
                menuCall(QStringLiteral("Event"),
                         {item.id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u});
        }
    }
};
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
        if (!desktop.wayland && qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs a display (run through run-with-display.sh)");
        QVERIFY2(desktop.start(), qPrintable(desktop.notifications.lastError()));

        // Poll every 2 seconds and skip the start-up question, so the test needs no clicks on alerts.
        QTemporaryDir home;
        QVERIFY(writeFile(
            home.filePath(QStringLiteral("config/zelvora/settings.json")),
            R"({"pollInterval": 2, "notificationsDontAsk": true, "watchlistSymbols": ["3010", "2290", "1020"]})"));
        QVERIFY2(desktop.startProgram(home), qPrintable(desktop.output()));
        // After the first poll: header, commands, both sections.
        QTRY_VERIFY2_WITH_TIMEOUT(desktop.menu().size() > 25, qPrintable(desktop.output()), 30000);
        QStringList lines;
        for (const LayoutItem& item : desktop.menu())
            lines << drawn(item);
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

        // Choosing commands in the host's menu opens the windows, titled exactly so (chosen again
        // until the window shows).
        const QList<std::pair<QString, QString>> commands{
            {QStringLiteral("View All (30 days)..."), QStringLiteral("Zelvora \u2014 All Announcements")},
            {QStringLiteral("Settings\u2026"), QStringLiteral("Settings \u2014 Zelvora")}};
        for (const auto& [command, title] : commands) {
            desktop.choose(command);
            if (!desktop.wayland)
                QTRY_VERIFY_WITH_TIMEOUT((desktop.choose(command), windowTitles().contains(title)), 20000);
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
        if (!desktop.wayland)
            QTRY_VERIFY2_WITH_TIMEOUT(
                windowTitles().contains(call.summary),
                qPrintable(
                    QStringLiteral("no window titled %1 among %2; program output:\n%3")
                        .arg(call.summary, windowTitles().join(QStringLiteral(" | ")), desktop.output())),
                60000);

        // Logging out (SIGTERM) quits like the Quit command: a clean exit with status 0.
        ::kill(static_cast<pid_t>(desktop.zelvora.processId()), SIGTERM);
        QVERIFY2(desktop.zelvora.waitForFinished(30000) &&
                     desktop.zelvora.exitStatus() == QProcess::NormalExit && desktop.zelvora.exitCode() == 0,
                 qPrintable(desktop.output()));
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
