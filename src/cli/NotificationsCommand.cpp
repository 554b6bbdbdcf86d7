#include "cli/NotificationsCommand.h"

#include "cli/CommandLine.h"
#include "context/AppContext.h"
#include "context/AppEnvironment.h"
#include "notify/NotificationManager.h"

#include <QEventLoop>

namespace {
const QString kUsage = QStringLiteral("usage: zelvora notifications [status | test]");
}

NotificationsCommand::NotificationsCommand(NotificationManager& manager) : m_manager(manager) {}

void NotificationsCommand::registerIn(CommandLine& commandLine, const AppEnvironment& environment)
{
    commandLine.addCommand(
        {QStringLiteral("notifications"),
         QStringLiteral("notifications [status | test]"),
         QStringLiteral("Show the notification permission, or send a test notification"),
         CommandLine::AppKind::Core,
         {},
         [environment](const QCommandLineParser& parsed) {
             AppContext context(environment); // only its notification manager is made
             return NotificationsCommand(context.notifications()).run(parsed.positionalArguments());
         }});
}

int NotificationsCommand::run(const QStringList& arguments)
{
    if (arguments.size() > 1)
        return CommandLine::usageError(kUsage);
    const QString verb = arguments.isEmpty() ? QStringLiteral("status") : arguments.first();
    if (verb == QLatin1String("status"))
        return status();
    if (verb == QLatin1String("test"))
        return test();
    return CommandLine::usageError(kUsage);
}

int NotificationsCommand::status()
{
    const auto stored = m_manager.storedPermission();
    CommandLine::printOut(QStringLiteral("permission: ") + NotificationPermission::name(stored));
    if (stored != NotificationManager::Status::NotDetermined) {
        QEventLoop loop;
        m_manager.queryPermission([&](NotificationManager::Status now) {
            CommandLine::printOut(QStringLiteral("now: ") + NotificationPermission::name(now));
            loop.quit();
        });
        loop.exec();
    }
    return CommandLine::Success;
}

int NotificationsCommand::test()
{
    // The same path as the start-up prompt's confirm button: ask, record, confirm a second later.
    QEventLoop loop;
    int exitStatus = CommandLine::Failure;
    QObject::connect(
        &m_manager, &NotificationManager::delivered, &loop, [&](const QString&, const QString& error) {
            exitStatus = error.isEmpty() ? CommandLine::Success : CommandLine::Failure;
            if (!error.isEmpty())
                CommandLine::failure(QStringLiteral("the test notification was not shown: ") + error);
            loop.quit();
        });
    bool answered = false;
    QObject::connect(&m_manager, &NotificationManager::permissionAnswered, &loop, [&](bool granted) {
        answered = !granted; // a grant goes on to the confirmation notification
        if (!granted) {
            CommandLine::failure(QStringLiteral("no notification service answered on the session bus"));
            loop.quit();
        }
    });
    m_manager.requestPermission(true);
    if (!answered)
        loop.exec();
    return exitStatus;
}
