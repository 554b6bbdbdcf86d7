#include "notify/NotificationPermission.h"
#include "shell/NotificationPrompt.h"
#include "support/NotificationSession.h"

#include <QApplication>
#include <QSignalSpy>

// The start-up question against a real notification service on a private session bus.
class TestNotificationPrompt : public QObject
{
    Q_OBJECT
    NotificationSession m_session;
    QList<NotificationPrompt::Alert> m_shown;
    NotificationPrompt::Answer m_reply = NotificationPrompt::Answer::Other;
    int m_settingsOpened = 0;

    void runPrompt()
    {
        NotificationPrompt prompt(
            *m_session.preferences, *m_session.manager,
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
        m_session.start();
        m_shown.clear();
        m_settingsOpened = 0;
    }
    void cleanup() { m_session.stop(); }

    void invitationLeadsToPermissionAndConfirmation()
    {
        m_reply = NotificationPrompt::Answer::FirstButton;
        runPrompt();
        QCOMPARE(m_shown, QList<NotificationPrompt::Alert>{NotificationPrompt::Alert::Invitation});
        QTRY_COMPARE(m_session.server->calls().size(), 1); // the confirmation notification
        QVERIFY(!m_session.preferences->notificationsDontAsk());

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
        QVERIFY(m_session.preferences->notificationsDontAsk());
        QVERIFY(m_session.server->calls().isEmpty());
        runPrompt(); // "Don't Ask Again" holds
        QCOMPARE(m_shown.size(), 1);
    }

    void deniedPointsToSettingsAndAsksAgainNextTime()
    {
        NotificationPermission(m_session.stateFile()).setStatus(NotificationPermission::Status::Denied);
        m_session.server->stop(); // still no notification service
        m_reply = NotificationPrompt::Answer::FirstButton;
        runPrompt();
        QCOMPARE(m_shown, QList<NotificationPrompt::Alert>{NotificationPrompt::Alert::Denied});
        QCOMPARE(m_settingsOpened, 1);
        QVERIFY(!m_session.preferences->notificationsDontAsk());
    }
};

QTEST_MAIN(TestNotificationPrompt)
#include "tst_notificationprompt.moc"
