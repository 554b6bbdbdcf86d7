#include "TestNotificationServer.h"
#include "support/ZelvoraProcess.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// `zelvora notifications` against this process's stand-in notification service.
class TestNotificationsCommand : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

    struct Result
    {
        int status = -1;
        QString out;
        QString err;
    };

    // The event loop keeps running while the program waits for our service's answers.
    Result run(const QStringList& arguments)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path());
        const ZelvoraProcess done = ZelvoraProcess::run(arguments, env);
        return {done.status, done.text(), done.err};
    }

private Q_SLOTS:
    void withoutServiceThenWithIt()
    {
        Result result = run({QStringLiteral("notifications")});
        QCOMPARE(result.status, 0);
        QCOMPARE(result.out, QStringLiteral("permission: notDetermined\n"));

        result = run({QStringLiteral("notifications"), QStringLiteral("test")});
        QCOMPARE(result.status, 1);
        QCOMPARE(result.out, QStringLiteral("[NotificationManager] Permission granted: false\n"));
        QVERIFY(result.err.startsWith(QStringLiteral("zelvora: ")));

        TestNotificationServer server;
        QVERIFY2(server.start(), qPrintable(server.lastError()));
        result = run({QStringLiteral("notifications"), QStringLiteral("test")});
        QCOMPARE(result.status, 0);
        QCOMPARE(result.out, QStringLiteral("[NotificationManager] Permission granted: true\n"));
        QCOMPARE(server.calls().size(), 1);
        QCOMPARE(server.calls().first().summary, QStringLiteral("Zelvora"));

        result = run({QStringLiteral("notifications"), QStringLiteral("status")});
        QCOMPARE(result.out, QStringLiteral("permission: authorized\nnow: authorized\n"));

        QCOMPARE(run({QStringLiteral("notifications"), QStringLiteral("bogus")}).status, 2);
    }
};

QTEST_GUILESS_MAIN(TestNotificationsCommand)
#include "tst_notificationscommand.moc"
