#include "shell/TrayProgram.h"

#include "cli/CommandLine.h"
#include "cli/DemoMode.h"
#include "fetch/PortalOrigin.h"
#include "model/AppConstants.h"
#include "model/Log.h"
#include "platform/TerminationSignals.h"
#include "shell/AppDelegate.h"

#include <QApplication>
#include <QTimer>

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

int TrayProgram::run(const QStringList& arguments, const DemoPortalFactory& demoPortal)
{
    QStringList rest = arguments;
    QString error;
    const bool demoRequested = DemoMode::takeOption(rest);
    if (!PortalOrigin::takeOption(rest, &error))
        return CommandLine::usageError(error);
    if (!rest.isEmpty())
        return CommandLine::usageError(
            QStringLiteral("unknown option '%1'. Try 'zelvora --help'.").arg(rest.first()));

    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app)
        return CommandLine::failure(
            QStringLiteral("no display available: the tray program needs a graphical session. "
                           "Use 'zelvora watch' to watch the exchange from a terminal."));

    DemoMode demo(demoPortal);
    if (demoRequested) {
        if (!demo.start(&error))
            return CommandLine::failure(error);
        CommandLine::printOut(demo.banner());
    }

    QApplication::setQuitOnLastWindowClosed(false);
    // No application display name: Qt would append it to every window title the window manager
    // reads ("Zelvora — All Announcements — Zelvora").
    QApplication::setDesktopFileName(AppConstants::desktopEntry);

    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, app, [](int) {
        QCoreApplication::quit(); // the same path as the Quit command
    });

    AppDelegate delegate(AppDelegate::Services::defaults());
    QTimer::singleShot(0, &delegate, [&delegate] { delegate.applicationDidFinishLaunching(); });
    return QApplication::exec();
}
