#include "TestNotificationServer.h"
#include "model/Preferences.h"
#include "notify/DBusNotificationBackend.h"
#include "notify/NotificationAuthorization.h"
#include "notify/NotificationManager.h"
#include "shell/NotificationPrompt.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The start-up question against a real notification service on a private session bus.
class TestNotificationPrompt : public QObject
{
    Q_OBJECT
    SystemClock m_clock;

    QTemporaryDir m_dir;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<TestNotificationServer> m_server;
    std::unique_ptr<NotificationManager> m_manager;
    QList<NotificationPrompt::Alert> m_shown;
    NotificationPrompt::Answer m_reply = NotificationPrompt::Answer::Other;
    int m_settingsOpened = 0;

    QString stateFile() const { return m_dir.filePath(QStringLiteral("ui-state.json")); }

    void runPrompt()
    {
        NotificationPrompt prompt(
            *m_preferences, *m_manager,
            [this](NotificationPrompt::Alert alert) {
                m_shown.append(alert);
                return m_reply;
            },
            [this] { ++m_settingsOpened; });
        QSignalSpy finished(&prompt, &NotificationPrompt::finished);
        prompt.run();
        // The status answer comes back through the bus and the event loop.
        QVERIFY(!finished.isEmpty() || finished.wait(10000));
    }

private Q_SLOTS:
    void init()
    {
        QFile::remove(m_dir.filePath(QStringLiteral("settings.json")));
        QFile::remove(stateFile());
        m_preferences = std::make_unique<Preferences>(m_dir.filePath(QStringLiteral("settings.json")));
        m_server = std::make_unique<TestNotificationServer>();
        QVERIFY(m_server->start());
        m_manager = std::make_unique<NotificationManager>(
            *m_preferences, std::make_unique<DBusNotificationBackend>(), stateFile(), m_clock);
        m_manager->setConfirmationDelay(0);
        m_shown.clear();
        m_settingsOpened = 0;
    }

    void cleanup()
    {
        m_manager.reset();
        m_server.reset();
    }

    void invitationLeadsToPermissionAndConfirmation()
    {
        m_reply = NotificationPrompt::Answer::FirstButton;
        runPrompt();
        QCOMPARE(m_shown, QList<NotificationPrompt::Alert>{NotificationPrompt::Alert::Invitation});
        QTRY_COMPARE(m_server->calls().size(), 1); // the confirmation notification
        QVERIFY(!m_preferences->notificationsDontAsk());

        // Granted: the next launch asks nothing.
        m_shown.clear();
        runPrompt();
        QVERIFY(m_shown.isEmpty());
    }

    void declineStoresDontAsk()
    {
        m_reply = NotificationPrompt::Answer::Other;
        runPrompt();
        QCOMPARE(m_shown.size(), 1);
        QVERIFY(m_preferences->notificationsDontAsk());
        QVERIFY(m_server->calls().isEmpty());
        runPrompt(); // "Don't Ask Again" holds
        QCOMPARE(m_shown.size(), 1);
    }

    void deniedPointsToSettingsAndAsksAgainNextTime()
    {
        NotificationAuthorization(stateFile()).setStatus(NotificationAuthorization::Status::Denied);
        m_server->stop(); // still no notification service
        m_reply = NotificationPrompt::Answer::FirstButton;
        runPrompt();
        QCOMPARE(m_shown, QList<NotificationPrompt::Alert>{NotificationPrompt::Alert::Denied});
        QCOMPARE(m_settingsOpened, 1);
        QVERIFY(!m_preferences->notificationsDontAsk());
    }
};

QTEST_MAIN(TestNotificationPrompt)
#include "tst_notificationprompt.moc"
