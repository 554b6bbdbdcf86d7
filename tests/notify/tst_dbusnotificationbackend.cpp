#include "TestNotificationServer.h"
#include "notify/DBusNotificationBackend.h"

#include <QSignalSpy>
#include <QTest>

// How much the backend remembers about the notifications it posted.
class TestDBusNotificationBackend : public QObject
{
    Q_OBJECT

    static NotificationRequest request(int n)
    {
        const QString id = QStringLiteral("N%1").arg(n);
        return {id, id, {}, {{QStringLiteral("id"), id}}};
    }

private Q_SLOTS:
    void rememberedNotificationsAreBounded()
    {
        TestNotificationServer server;
        QVERIFY2(server.start(), qPrintable(server.lastError()));
        DBusNotificationBackend backend;
        QSignalSpy activated(&backend, &NotificationBackend::activated);
        const int total = DBusNotificationBackend::kMaxTracked + 44;
        int done = 0;
        for (int n = 0; n < total; ++n)
            backend.post(request(n), [&done](const QString& error) {
                QVERIFY2(error.isEmpty(), qPrintable(error));
                ++done;
            });
        QTRY_COMPARE_WITH_TIMEOUT(done, total, 60000);
        QCOMPARE(backend.trackedCount(), DBusNotificationBackend::kMaxTracked);

        // The oldest were forgotten: a click on one of them is like a click on a stranger's.
        server.invokeAction(server.calls().first().returnedId);
        server.invokeAction(server.calls().last().returnedId);
        QVERIFY(activated.wait(10000));
        QCOMPARE(activated.size(), 1);
        QCOMPARE(activated.first().first().toMap().value(QStringLiteral("id")).toString(),
                 QStringLiteral("N%1").arg(total - 1));
        // The click closed it, and a closed notification is forgotten.
        QTRY_COMPARE_WITH_TIMEOUT(backend.trackedCount(), DBusNotificationBackend::kMaxTracked - 1, 10000);
    }

    void aNewServiceStartsAfresh()
    {
        auto server = std::make_unique<TestNotificationServer>();
        QVERIFY(server->start());
        DBusNotificationBackend backend;
        int done = 0;
        backend.post(request(1), [&done](const QString&) { ++done; });
        QTRY_COMPARE_WITH_TIMEOUT(done, 1, 10000);
        QCOMPARE(backend.trackedCount(), 1);

        // The desktop's service restarts: its ids start again at 1, so id 1 is no longer ours.
        server = std::make_unique<TestNotificationServer>();
        QVERIFY(server->start());
        QTRY_COMPARE_WITH_TIMEOUT(backend.trackedCount(), 0, 10000);
        backend.post(request(1), [&done](const QString&) { ++done; });
        QTRY_COMPARE_WITH_TIMEOUT(done, 2, 10000);
        QCOMPARE(server->calls().first().replacesId, 0u);
    }
};

QTEST_GUILESS_MAIN(TestDBusNotificationBackend)
#include "tst_dbusnotificationbackend.moc"
