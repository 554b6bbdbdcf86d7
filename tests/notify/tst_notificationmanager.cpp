#include "model/TradingCalendar.h"
#include "support/NotificationSession.h"
#include "support/RecordingNotificationBackend.h"
#include "support/StdoutCapture.h"

#include <QSignalSpy>
#include <QThread>

using namespace Qt::StringLiterals;

class TestNotificationManager : public QObject
{
    Q_OBJECT

    NotificationSession m_session;
    std::unique_ptr<Preferences>& m_preferences = m_session.preferences;
    std::unique_ptr<TestNotificationServer>& m_server = m_session.server;
    std::unique_ptr<NotificationManager>& m_manager = m_session.manager;

    static Announcement announcement(const QString& id, const QString& description = u"Body"_s,
                                     const QStringList& companies = {})
    {
        return Announcement(id, u"Title "_s + id, description, u"https://portal.example/"_s + id, Instant(),
                            companies);
    }

    // Posts an announcement that passes every filter and waits for it, so anything posted
    // before it has been seen by the server too (the backend keeps the order).
    void postSentinel()
    {
        m_preferences->setNotificationsEnabled(true);
        m_preferences->setShowAllAnnouncements(true);
        m_manager->sendNotification(announcement(u"sentinel"_s));
        QTRY_VERIFY_WITH_TIMEOUT(!m_server->calls().isEmpty() &&
                                     m_server->calls().constLast().summary == QLatin1String("Title sentinel"),
                                 10000);
    }

private Q_SLOTS:
    void init() { m_session.start(); }
    void cleanup() { m_session.stop(); }

    // Nothing while notifications are off; a rule filters, names itself, and an urgent one stays.
    void urgentRule()
    {
        m_preferences->setShowAllAnnouncements(false);
        m_preferences->setRules({Rule(u"divs"_s, {u"2222"_s}, {}, {}, {}, Rule::Action::Urgent)});
        m_preferences->setNotificationsEnabled(false);
        m_manager->sendNotification(announcement(u"B0"_s, u"Off"_s, {u"2222"_s}));
        m_preferences->setNotificationsEnabled(true);
        m_manager->sendNotification(announcement(u"A1"_s));
        m_manager->sendNotification(announcement(u"B2"_s, u"Body"_s, {u"2222"_s}));
        postSentinel();
        QCOMPARE(m_server->calls().size(), 2);
        const auto call = m_server->calls().first();
        QCOMPARE(call.body, u"\u2B50 divs: 2222\nBody"_s);
        QCOMPARE(call.hints.value(u"urgency"_s).toInt(), 2);
        QCOMPARE(call.expireTimeout, 0);
        QVERIFY(!m_server->calls().last().hints.contains(u"urgency"_s));
    }

    void body_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("body");
        const QString latin(250, QLatin1Char('x'));
        const QString arabic = u"\u0628\u064E"_s.repeated(120); // 120 clusters, each with a mark
        const QString ellipsis(QChar(0x2026));
        QTest::newRow("one long word: cut in it") << latin << latin.left(99) + ellipsis;
        QTest::newRow("arabic with marks: whole clusters") << arabic << arabic.left(198) + ellipsis;
        QTest::newRow("cut after the last whole word, no dangling comma")
            << QString(90, QLatin1Char('a')) + u" bb, cccccccccccc dd"_s
            << QString(90, QLatin1Char('a')) + u" bb"_s + ellipsis;
        QTest::newRow("short text whole") << "<p>Cash &amp; dividend</p>"
                                          << "Cash & dividend";
        QTest::newRow("the company the title names is not repeated")
            << "Arabian Energy Co. announces a cash dividend"
            << "Announces a cash dividend";
        QTest::newRow("empty") << QString() << QString();
    }

    void body()
    {
        QFETCH(QString, description);
        const Announcement announcement(u"A1"_s, u"Arabian Energy Co."_s, description, {}, Instant(), {});
        QTEST(NotificationManager::bodyText(announcement), "body");
    }

    // Titles go out as text without tags; to a server that reads markup, title and body are escaped.
    void markupIsEscapedForServersThatReadIt_data()
    {
        QTest::addColumn<bool>("markup");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("body");
        QTest::newRow("plain server") << false << "S&P Bold 1 < 2"
                                      << "S&P <b>";
        QTest::newRow("body-markup server") << true << "S&amp;P Bold 1 &lt; 2"
                                            << "S&amp;P &lt;b&gt;";
    }

    void markupIsEscapedForServersThatReadIt()
    {
        QFETCH(bool, markup);
        if (markup)
            m_server->setCapabilities({u"body"_s, u"body-markup"_s});
        m_session.makeManager(std::make_unique<DBusNotificationBackend>()); // asks for capabilities afresh
        m_manager->sendNotification(Announcement(u"A1"_s, u"S&amp;P &lt;b&gt;Bold&lt;/b&gt; 1 &lt; 2"_s,
                                                 u"S&amp;P &lt;b&gt;"_s, u"https://portal.example/A1"_s,
                                                 Instant(), {}));
        QTRY_COMPARE_WITH_TIMEOUT(m_server->calls().size(), 1, 10000);
        QTEST(m_server->calls().first().summary, "summary");
        QTEST(m_server->calls().first().body, "body");
    }

    void secondPostForOneIdReplacesTheFirst()
    {
        m_manager->sendNotification(announcement(u"A1"_s));
        m_manager->sendNotification(announcement(u"A1"_s));
        m_manager->sendNotification(announcement(u"B2"_s));
        QTRY_COMPARE_WITH_TIMEOUT(m_server->calls().size(), 3, 10000);
        const auto calls = m_server->calls();
        QCOMPARE(calls.at(1).replacesId, calls.at(0).returnedId);
        QCOMPARE(calls.at(2).replacesId, 0u);

        // Once the desktop closed it, the next post is a new notification.
        m_server->close(calls.at(0).returnedId);
        postSentinel(); // the bus keeps the server's order: the close arrives before this reply
        m_manager->sendNotification(announcement(u"A1"_s));
        QTRY_COMPARE_WITH_TIMEOUT(m_server->calls().size(), 5, 10000);
        QCOMPARE(m_server->calls().at(4).replacesId, 0u);
    }

    void clickOnOursBroadcastsIdAndLinkOnTheMainThread()
    {
        QObject context; // the connection ends with this test
        QList<QVariantMap> broadcasts;
        bool onMainThread = false;
        connect(m_manager.get(), &NotificationManager::announcementActivated, &context,
                [&](const QVariantMap& data) {
                    broadcasts.append(data);
                    onMainThread = QThread::currentThread() == qApp->thread();
                });
        m_manager->sendNotification(announcement(u"A1"_s));
        m_manager->sendNotification(announcement(u"B2"_s));
        QTRY_COMPARE_WITH_TIMEOUT(m_server->calls().size(), 2, 10000);

        // Another program's notification on the same service, and an action we never offered.
        const uint foreign = m_server->Notify(u"Other"_s, 0, {}, u"x"_s, {}, {}, {}, -1);
        m_server->invokeAction(foreign);
        m_server->invokeAction(m_server->calls().at(1).returnedId, u"snooze"_s);
        m_server->invokeAction(m_server->calls().at(0).returnedId);

        QTRY_COMPARE_WITH_TIMEOUT(broadcasts.size(), 1, 10000);
        QCOMPARE(broadcasts.first(),
                 (QVariantMap{{u"id"_s, u"A1"_s}, {u"link"_s, u"https://portal.example/A1"_s}}));
        QVERIFY(onMainThread);
    }

    // "Mute This Company Today" is offered where there is a company; invoked, it mutes the company until
    // the end of the Riyadh day.
    void muteActionMutesTheCompanyForTheRestOfTheDay()
    {
        m_manager->sendNotification(announcement(u"A1"_s, u"Body"_s, {u"2222"_s}));
        m_manager->sendNotification(announcement(u"B2"_s));
        QTRY_COMPARE_WITH_TIMEOUT(m_server->calls().size(), 2, 10000);
        const auto calls = m_server->calls();
        QCOMPARE(calls.at(0).actions,
                 (QStringList{u"default"_s, u"Open"_s, u"mute"_s, u"Mute This Company Today"_s}));
        QCOMPARE(calls.at(1).actions, (QStringList{u"default"_s, u"Open"_s}));

        QSignalSpy opened(m_manager.get(), &NotificationManager::announcementActivated);
        const Instant before = Instant::now();
        m_server->invokeAction(calls.at(1).returnedId, u"mute"_s); // not offered there
        m_server->invokeAction(calls.at(0).returnedId, u"mute"_s);
        QTRY_VERIFY_WITH_TIMEOUT(!m_preferences->mutedSymbols().isEmpty(), 10000);
        QCOMPARE(m_preferences->mutedSymbols().keys(), QStringList{u"2222"_s});
        const Instant until = m_preferences->mutedSymbols().value(u"2222"_s);
        QCOMPARE(until, TradingCalendar::at(TradingCalendar::riyadhDay(before).addDays(1), 0));
        QVERIFY(opened.isEmpty()); // muting opens nothing
    }

    void permissionWithServerSendsTheConfirmation()
    {
        bool notDetermined = false; // until asked, answered at once without probing the service
        m_manager->queryPermission([&](NotificationManager::Status s) {
            notDetermined = s == NotificationManager::Status::NotDetermined;
        });
        QVERIFY(notDetermined);
        QCOMPARE(m_server->serverInformationCalls(), 0);
        StdoutCapture out;
        m_manager->requestPermission(true);
        QTRY_COMPARE_WITH_TIMEOUT(m_server->calls().size(), 1, 10000);
        const TestNotificationServer::Call call = m_server->calls().first();
        QCOMPARE(call.summary, u"Zelvora"_s);
        QVERIFY(call.actions.isEmpty()); // it opens nothing, so it offers no "Open"

        // Its click carries no user info, so the broadcast is an empty dictionary.
        QSignalSpy spy(m_manager.get(), &NotificationManager::announcementActivated);
        m_server->invokeAction(call.returnedId);
        QVERIFY(spy.wait(10000));
        QCOMPARE(spy.first().first().toMap(), QVariantMap());
    }

    void permissionWithoutServerIsDenied()
    {
        m_server->stop();
        StdoutCapture out;
        m_manager->requestPermission(true);
        QTRY_COMPARE_WITH_TIMEOUT(m_manager->storedPermission(), NotificationManager::Status::Denied, 10000);
        QCOMPARE(out.text(), u"[NotificationManager] Permission granted: false\n"_s);

        // Once answered, the status follows whether a service is there now.
        QVERIFY(m_server->start());
        std::optional<NotificationManager::Status> status;
        m_manager->queryPermission([&](NotificationManager::Status s) { status = s; });
        QTRY_VERIFY_WITH_TIMEOUT(status, 10000);
        QCOMPARE(*status, NotificationManager::Status::Authorized);
        QCOMPARE(m_manager->storedPermission(), NotificationManager::Status::Authorized);
    }

    // Without a service the error is logged, once; with a fallback the notification is shown that way.
    void noServerLogsOrUsesTheFallback()
    {
        m_server->stop();
        StdoutCapture out;
        m_manager->sendNotification(announcement(u"A1"_s));
        QTRY_VERIFY_WITH_TIMEOUT(!out.text().isEmpty(), 10000);
        QVERIFY2(out.text().startsWith(QStringLiteral("[NotificationManager] Error sending notification: "
                                                      "org.freedesktop.DBus.Error.ServiceUnknown")),
                 qPrintable(out.text()));
        QCOMPARE(out.text().count(QLatin1Char('\n')), 1);

        QList<NotificationRequest> shown;
        auto fallback = std::make_unique<RecordingNotificationBackend>(shown);
        RecordingNotificationBackend* backend = fallback.get();
        m_manager->setFallbackBackend(std::move(fallback));
        m_manager->sendNotification(announcement(u"B2"_s));
        QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 1, 10000);
        QCOMPARE(shown.first().identifier, u"B2"_s);
        QCOMPARE(out.text().count(QLatin1Char('\n')), 1); // shown another way: not an error
        QSignalSpy spy(m_manager.get(), &NotificationManager::announcementActivated);
        Q_EMIT backend->activated(shown.first().data);
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.first().first().toMap().value(u"id"_s).toString(), u"B2"_s);
    }

    void noBusAtAll()
    {
        m_session.makeManager(
            std::make_unique<DBusNotificationBackend>(QDBusConnection(u"never-connected"_s)));
        StdoutCapture out;
        m_manager->sendNotification(announcement(u"A1"_s));
        m_manager->requestPermission(true);
        const QStringList lines = out.text().split(u'\n');
        QVERIFY2(
            lines.size() == 4 &&
                lines[0].startsWith(u"[NotificationManager] Error sending notification: no session bus"_s) &&
                lines[1].startsWith(u"[NotificationManager] Permission error: no session bus"_s) &&
                lines[2] == u"[NotificationManager] Permission granted: false"_s,
            qPrintable(out.text()));
    }

    void onlyARequestThatAsksForTheTestSendsIt()
    {
        QList<NotificationRequest> posted;
        m_session.makeManager(std::make_unique<RecordingNotificationBackend>(posted));
        StdoutCapture out;
        m_manager->requestPermission(false);
        m_manager->requestPermission(true);
        QTRY_COMPARE_WITH_TIMEOUT(posted.size(), 1, 10000);
        QCoreApplication::processEvents();
        QCOMPARE(posted.size(), 1); // the first request scheduled nothing
        QVERIFY(posted.first().data.isEmpty());
    }

    // The backend remembers a bounded number of the notifications it posted: a click on one it forgot is
    // like a click on a stranger's.
    void rememberedNotificationsAreBounded()
    {
        DBusNotificationBackend backend;
        QSignalSpy activated(&backend, &NotificationBackend::activated);
        const int total = DBusNotificationBackend::kMaxTracked + 44;
        int done = 0;
        for (int n = 0; n < total; ++n)
            backend.post({QString::number(n), {}, {}, {{u"id"_s, n}}}, [&done](const QString& error) {
                QVERIFY2(error.isEmpty(), qPrintable(error));
                ++done;
            });
        QTRY_COMPARE_WITH_TIMEOUT(done, total, 60000);
        QCOMPARE(backend.trackedCount(), DBusNotificationBackend::kMaxTracked);
        m_server->invokeAction(m_server->calls().first().returnedId);
        m_server->invokeAction(m_server->calls().last().returnedId);
        QVERIFY(activated.wait(10000));
        QCOMPARE(activated.size(), 1);
        QCOMPARE(activated.first().first().toMap().value(u"id"_s).toInt(), total - 1);
        // The click closed it, and a closed notification is forgotten.
        QTRY_COMPARE_WITH_TIMEOUT(backend.trackedCount(), DBusNotificationBackend::kMaxTracked - 1, 10000);
    }

    // The desktop's service restarts: its ids start again at 1, so id 1 is no longer ours.
    void aNewServiceStartsAfresh()
    {
        DBusNotificationBackend backend;
        int done = 0;
        const NotificationRequest request{u"N1"_s, u"N1"_s, {}, {}};
        backend.post(request, [&done](const QString&) { ++done; });
        QTRY_COMPARE_WITH_TIMEOUT(done, 1, 10000);
        QCOMPARE(backend.trackedCount(), 1);
        m_server = std::make_unique<TestNotificationServer>();
        QVERIFY(m_server->start());
        QTRY_COMPARE_WITH_TIMEOUT(backend.trackedCount(), 0, 10000);
        backend.post(request, [&done](const QString&) { ++done; });
        QTRY_COMPARE_WITH_TIMEOUT(done, 2, 10000);
        QCOMPARE(m_server->calls().first().replacesId, 0u);
    }
};

QTEST_GUILESS_MAIN(TestNotificationManager)
#include "tst_notificationmanager.moc"
