#pragma once

#include "TestNotificationServer.h"
#include "model/Preferences.h"
#include "notify/DBusNotificationBackend.h"
#include "notify/NotificationManager.h"

#include <QTemporaryDir>
#include <QTest>

// A notification manager over settings and state files of its own, posting over the private session
// bus to the test notification server. start() in init() gives each test empty files, a running
// server and a manager that confirms at once; stop() in cleanup().
struct NotificationSession
{
    QTemporaryDir dir;
    SystemClock clock;
    std::unique_ptr<Preferences> preferences;
    std::unique_ptr<TestNotificationServer> server;
    std::unique_ptr<NotificationManager> manager;

    QString stateFile() const { return dir.filePath(QStringLiteral("ui-state.json")); }

    void start()
    {
        QFile::remove(dir.filePath(QStringLiteral("settings.json")));
        QFile::remove(stateFile());
        preferences = std::make_unique<Preferences>(dir.filePath(QStringLiteral("settings.json")));
        server = std::make_unique<TestNotificationServer>();
        QVERIFY2(server->start(), qPrintable(server->lastError()));
        makeManager(std::make_unique<DBusNotificationBackend>());
    }

    void makeManager(std::unique_ptr<NotificationBackend> backend)
    {
        manager = std::make_unique<NotificationManager>(*preferences, std::move(backend), stateFile(), clock);
        manager->setConfirmationDelay(0);
    }

    void stop()
    {
        manager.reset();
        server.reset();
    }
};
