#include "shell/TrayLauncher.h"

#include "context/Startup.h"
#include "fetch/AnnouncementFetcher.h"
#include "fetch/IssuerDirectory.h"
#include "history/HistoryStore.h"
#include "infra/LogCategories.h"
#include "model/AppConstants.h"
#include "model/InterfaceLanguage.h"
#include "model/Preferences.h"
#include "notify/MorningDigestSchedule.h"
#include "platform/gui/UrlOpener.h"
#include "shell/AnnouncementWindowLoader.h"
#include "shell/InterfaceTranslation.h"
#include "shell/NotificationPrompt.h"
#include "shell/TrayApplication.h"
#include "shell/TrayIconRenderer.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace {
constexpr int kQuitDelayMilliseconds = 500;

// Relaunch, quit and alert as the desktop program does them.
SettingsWindow::Services settingsServices(Startup& startup)
{
    SettingsWindow::Services hooks;
    hooks.startNewInstance = [&startup] {
        if (!SettingsWindow::startNewInstanceOfThisProgram())
            return false;
        startup.prepareRelaunch();
        return true;
    };
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

// The announcement windows come from the window module; run where the web engine would end the
// program, the shell opens the browser instead.
std::function<QWidget*(const Announcement&)> announcementWindows(AppContext& context, UrlOpener& opener)
{
    const AppEnvironment& environment = context.environment();
    const AnnouncementWindow::Services services{&opener, QUrl(context.portalOrigin()),
                                                context.paths().uiStateFile()};
    const QString refusal =
        AnnouncementWindowLoader::webEngineRefusal(environment.runAsRoot, environment.webEngineSandboxOff);
    return [services, refusal, module = environment.webModule](const Announcement& announcement) -> QWidget* {
        if (!refusal.isEmpty()) {
            qCInfo(lcAnnouncementWindowLoader, "%s", qUtf8Printable(refusal));
            auto* box = new QMessageBox(QMessageBox::Information, AppConstants::appName, refusal);
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->show();
            return nullptr;
        }
        return AnnouncementWindowLoader::create(announcement, services, module);
    };
}
} // namespace

int TrayLauncher::run(Startup& startup)
{
    AppContext& context = startup.context();
    QApplication::setQuitOnLastWindowClosed(false);
    // No application display name: Qt would append it to every window title the window manager
    // reads ("Zelvora — All Announcements — Zelvora").
    QApplication::setDesktopFileName(AppConstants::desktopEntry);
    // Every window (list, announcement, settings, about, update) shows the bell in its title bar
    // and task switcher; Wayland compositors take it from the desktop file's "Icon=zelvora".
    QApplication::setWindowIcon(TrayIconRenderer::bell(false));

    // Before the first widget: everything made afterwards is in the chosen language and direction.
    const QLocale system = QLocale::system();
    const QString language =
        InterfaceLanguage::resolve(context.preferences().interfaceLanguage(), system.uiLanguages());
    const InterfaceTranslation translation(language, InterfaceLanguage::localeFor(language, system));
    DesktopUrlOpener opener;
    const QString desktop = context.environment().desktop;
    NotificationPrompt prompt(context.preferences(), context.notifications(), {},
                              [desktop] { NotificationPrompt::openDesktopNotificationSettings(desktop); });
    // The history's own connection to the archive, for this (the interface's) thread.
    const IssuerDirectory issuers(context.paths().cacheDirectory());
    HistoryStore history(HistoryStore::pathIn(context.paths().cacheDirectory()),
                         [&issuers](const QString& symbol) { return issuers.displayName(symbol); });

    TrayApplication::Services services;
    services.history = &history;
    services.createAnnouncementWindow = announcementWindows(context, opener);
    services.showPermissionPrompt = [&prompt] { prompt.run(); };
    services.settingsServices = settingsServices(startup);
    services.itemStyle = TrayMenu::detectItemStyle();
    TrayApplication shell(context, opener, std::move(services));
    QObject::connect(&startup.digests(), &MorningDigestSchedule::due, &shell, &TrayApplication::showDigest);
    QTimer::singleShot(0, &shell, [&shell, &context] {
        shell.start();
        context.fetcher().startPolling();
    });
    return QApplication::exec();
}
