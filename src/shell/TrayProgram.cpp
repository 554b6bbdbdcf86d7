#include "shell/TrayProgram.h"

#include "cli/CommandLine.h"
#include "cli/DemoMode.h"
#include "cli/PortalOptions.h"
#include "context/AppContext.h"
#include "fetch/IssuerDirectory.h"
#include "fetch/WakeUpPolling.h"
#include "history/HistoryStore.h"
#include "infra/LogCategories.h"
#include "model/AppConstants.h"
#include "model/InterfaceLanguage.h"
#include "notify/MorningDigestSchedule.h"
#include "platform/TerminationSignals.h"
#include "platform/gui/UrlOpener.h"
#include "shell/AnnouncementWindowLoader.h"
#include "shell/InterfaceTranslation.h"
#include "shell/NotificationPrompt.h"
#include "shell/TrayIconRenderer.h"
#include "shell/TrayShell.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace {
constexpr int kQuitDelayMilliseconds = 500;

// Relaunch, quit and alert as the desktop program does them.
SettingsWindow::Hooks settingsHooks(AnnouncementFetcher& fetcher, const QString& issuerDirectory)
{
    SettingsWindow::Hooks hooks;
    hooks.issuerDirectory = issuerDirectory;
    hooks.restartPolling = [&fetcher] { fetcher.restartPolling(); };
    hooks.startNewInstance = &SettingsWindow::startNewInstanceOfThisProgram;
    hooks.quitSoon = [] {
        QTimer::singleShot(kQuitDelayMilliseconds, qApp, [] { QCoreApplication::quit(); });
    };
    hooks.showAlert = [](const QString& message, const QString& informative) {
        QMessageBox alert;
        alert.setText(message);
        alert.setInformativeText(informative);
        alert.setStandardButtons(QMessageBox::Ok);
        alert.exec();
    };
    return hooks;
}

// The shell's services, taken from the context: the tray program's whole object graph.
TrayShell::Services shellServices(AppContext& context, NotificationPrompt& prompt, UrlOpener& opener,
                                  HistoryStore& history)
{
    TrayShell::Services services;
    AnnouncementFetcher& fetcher = context.fetcher();
    NotificationManager& notifications = context.notifications();
    TelemetryService& telemetry = context.telemetry();
    services.startPolling = [&fetcher] { fetcher.startPolling(); };
    services.pollNow = [&fetcher] { fetcher.poll(); };
    services.findAnnouncement = [&fetcher](const QString& id) { return fetcher.announcement(id); };
    services.keptAnnouncements = [&fetcher] { return fetcher.announcements(); };
    services.tellAnnouncements = [&notifications](const AnnouncementList& list, std::optional<Instant> since,
                                                  const AnnouncementList& released) {
        notifications.tell(list, since, released);
    };
    services.announcementsRefreshed = [&telemetry](int count) { telemetry.announcementsRefreshed(count); };
    services.appLaunched = [&telemetry] { telemetry.appLaunched(); };
    services.settingsOpened = [&telemetry] { telemetry.settingsOpened(); };
    services.announcementOpened = [&telemetry](const QString& title) { telemetry.announcementOpened(title); };
    services.showPermissionPrompt = [&prompt] { prompt.run(); };
    services.pollStatus = [&fetcher] { return fetcher.pollStatus(); };
    services.notifyNotWatching = [&notifications](const QString& problem) {
        notifications.sendNotWatchingNotification(problem);
    };
    services.setFallbackNotifications = [&notifications](std::unique_ptr<NotificationBackend> fallback) {
        notifications.setFallbackBackend(std::move(fallback));
    };
    const AnnouncementWindow::Services windowServices{&opener, QUrl(context.portalOrigin()),
                                                      context.paths().uiStateFile()};
    services.createAnnouncementWindow = [windowServices](const Announcement& announcement) -> QWidget* {
        // Started anyway, the web engine would end the tray program; the shell opens the browser.
        if (const QString refusal = AnnouncementWindowLoader::webEngineRefusal(); !refusal.isEmpty()) {
            qCInfo(lcAnnouncementWindowLoader, "%s", qUtf8Printable(refusal));
            auto* box = new QMessageBox(QMessageBox::Information, AppConstants::appName, refusal);
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->show();
            return nullptr;
        }
        return AnnouncementWindowLoader::create(announcement, windowServices);
    };
    services.settingsHooks = settingsHooks(fetcher, context.paths().cacheDirectory());
    services.settingsHooks.history = &history;
    services.settingsHooks.clock = &context.clock();
    services.history = &history;
    Preferences& preferences = context.preferences();
    services.historyDays = [&preferences] { return preferences.historyDays(); };
    services.issuerDirectory = context.paths().cacheDirectory();
    services.opener = &opener;
    services.preferences = &context.preferences();
    services.uiStateFile = context.paths().uiStateFile();
    services.updater = &context.updater();
    services.itemStyle = TrayMenu::detectItemStyle();
    return services;
}
} // namespace

bool TrayProgram::displayAvailable()
{
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (!platform.isEmpty())
        return true; // the user chose a platform (offscreen, wayland, ...)
#ifdef Q_OS_MACOS
    return true;
#else
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
#endif
}

int TrayProgram::run(const QCommandLineParser& parsed, const AppEnvironment& environment)
{
    QString error;
    AppPaths paths = environment.paths;
    QString portalOrigin = environment.portalOrigin;
    const bool demoRequested = PortalOptions::demo(parsed);
    if (!PortalOptions::readOrigin(parsed, &portalOrigin, &error))
        return CommandLine::usageError(error);
    if (!parsed.positionalArguments().isEmpty())
        return CommandLine::usageError(QStringLiteral("unexpected argument '%1'. Try 'zelvora --help'.")
                                           .arg(parsed.positionalArguments().first()));

    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app)
        return CommandLine::failure(
            QStringLiteral("no display available: the tray program needs a graphical session. "
                           "Use 'zelvora watch' to watch the exchange from a terminal."));

    DemoMode demo(environment.demoPortal, environment.demoHome);
    if (demoRequested) {
        if (!demo.start(paths, &error))
            return CommandLine::failure(error);
        paths = demo.paths();
        portalOrigin = demo.origin();
        CommandLine::printOut(demo.banner());
    }

    QApplication::setQuitOnLastWindowClosed(false);
    // No application display name: Qt would append it to every window title the window manager
    // reads ("Zelvora — All Announcements — Zelvora").
    QApplication::setDesktopFileName(AppConstants::desktopEntry);
    // Every window (list, announcement, settings, about, update) shows the bell in its title bar
    // and task switcher; Wayland compositors take it from the desktop file's "Icon=zelvora".
    QApplication::setWindowIcon(TrayIconRenderer::bell(false));

    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, app, [](int) {
        QCoreApplication::quit(); // the same path as the Quit command
    });

    AppContext context(paths, portalOrigin, *environment.clock);
    // Before the first widget: everything made afterwards is in the chosen language and direction.
    const QLocale system = QLocale::system();
    const QString language = InterfaceLanguage::resolve(
        InterfaceLanguage::stored(context.preferences().store()), system.uiLanguages());
    const InterfaceTranslation translation(language, InterfaceLanguage::localeFor(language, system));
    WakeUpPolling wakeUps(context.fetcher(), QDBusConnection::systemBus());
    wakeUps.watchSystemNetwork();
    DesktopUrlOpener opener;
    NotificationPrompt prompt(context.preferences(), context.notifications());
    // The history's own connection to the archive, for this (the interface's) thread.
    const IssuerDirectory issuers(context.paths().cacheDirectory());
    HistoryStore history(HistoryStore::pathIn(context.paths().cacheDirectory()),
                         [&issuers](const QString& symbol) { return issuers.displayName(symbol); });
    TrayShell::Services services = shellServices(context, prompt, opener, history);
    if (demoRequested) {
        // A relaunch (a language change) goes on with the demo's own settings, not the user's again.
        services.settingsHooks.startNewInstance = [start = services.settingsHooks.startNewInstance, &demo] {
            if (!start || !start())
                return false;
            demo.handOver();
            return true;
        };
    }
    TrayShell shell(std::move(services), context.clock());
    QObject::connect(&context.fetcher(), &AnnouncementFetcher::pollFinished, &shell,
                     &TrayShell::handleAnnouncementsUpdated, Qt::QueuedConnection);
    QObject::connect(&context.notifications(), &NotificationManager::announcementActivated, &shell,
                     &TrayShell::handleOpenAnnouncement, Qt::QueuedConnection);
    // Checked after every poll, so a digest missed while the program was off comes with the kept list.
    MorningDigestSchedule digests(
        context.preferences(), context.clock(), [&context] { return context.fetcher().announcements(); },
        context.paths().uiStateFile());
    QObject::connect(&context.fetcher(), &AnnouncementFetcher::pollFinished, &digests,
                     &MorningDigestSchedule::check, Qt::QueuedConnection);
    QObject::connect(&digests, &MorningDigestSchedule::due, &shell,
                     [&shell, &context](const MorningDigest& digest) {
                         shell.showDigest(digest);
                         context.notifications().sendDigest(digest);
                     });
    QTimer::singleShot(0, &shell, [&shell] { shell.start(); });
    return QApplication::exec();
}
