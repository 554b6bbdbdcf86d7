#pragma once

#include <QStringList>

struct AppEnvironment;
class CommandLine;
class NotificationManager;

// `zelvora notifications [status | test]`: whether desktop notifications can be shown here, and a
// confirmation notification to see one.
class NotificationsCommand
{
public:
    explicit NotificationsCommand(NotificationManager& manager);
    static void registerIn(CommandLine& commandLine, const AppEnvironment& environment);
    int run(const QStringList& arguments);

private:
    int status();
    int test();

    NotificationManager& m_manager;
};
