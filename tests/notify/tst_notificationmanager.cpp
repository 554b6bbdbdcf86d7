#include "model/TradingCalendar.h"
#include "support/NotificationSession.h"
#include "support/StdoutCapture.h"

#include <QSignalSpy>
#include <QThread>

// Records what would be shown; fails every post when told to.
class FakeBackend : public NotificationBackend
{
public:
    QList<NotificationRequest> posted;
    QString failWith;
    bool available = true;

    void post(const NotificationRequest& request, Completion completion) override
    {
        if (failWith.isEmpty())
            posted.append(request);
        completion(failWith);
    }
    void queryAvailability(AvailabilityHandler handler) override { handler(available, {}); }
};

class TestNotificationManager : public QObject
{
    Q_OBJECT

    NotificationSession m_session;
    std::unique_ptr<Preferences>& m_preferences = m_session.preferences;
    std::unique_ptr<TestNotificationServer>& m_server = m_session.server;
    std::unique_ptr<NotificationManager>& m_manager = m_session.manager;

    void makeManager(std::unique_ptr<NotificationBackend> backend)
    {
        m_session.makeManager(std::move(backend));
    }

    static Announcement announcement(const QString& id, const QString& description = QStringLiteral("Body"),
                                     const QStringList& companies = {})
    {
        return Announcement(id, QStringLiteral("Title ") + id, description,
                            QStringLiteral("https://portal.example/") + id, Instant(), companies);
    }

    // Posts an announcement that passes every filter and waits for it, so anything posted
    // before it has been seen by the server too (the backend keeps the order).
    void postSentinel()
    {
        m_preferences->setNotificationsEnabled(true);
        m_preferences->setShowAllAnnouncements(true);
        m_manager->sendNotification(announcement(QStringLiteral("sentinel")));
        QTRY_VERIFY_WITH_TIMEOUT(!m_server->calls().isEmpty() &&
                                     m_server->calls().constLast().summary == QLatin1String("Title sentinel"),
                                 10000);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(QDBusConnection::sessionBus().isConnected()); }

    void init() { m_session.start(); }
    void cleanup() { m_session.stop(); }

    // A click on it opens nothing, so it offers no "Open" button.
    void notWatchingOffersNoOpen()
    {
        m_manager->sendNotWatchingNotification(
            QStringLiteral("Can't reach the Saudi Exchange since 1:20 PM"));
        QTRY_COMPARE_WITH_TIMEOUT(m_server->calls().size(), 1, 10000);
        QVERIFY(m_server->calls().first().actions.isEmpty());
    }

    void filter_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("showAll");
        QTest::addColumn<QStringList>("watchlist");
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QStringList>("companies");
        QTest::addColumn<QString>("body"); // empty: nothing posted
        const QStringList none;
        const QStringList aramco{QStringLiteral("2222")};
        const QString plain = QStringLiteral("Body");
        const QString no;
        QTest::newRow("disabled beats everything") << false << true << none << none << aramco << no;
        QTest::newRow("show all ignores the watchlist") << true << true << aramco << none << none << plain;
        QTest::newRow("watchlist miss") << true << false << aramco << QStringList{QStringLiteral("dividend")}
                                        << QStringList{QStringLiteral("1120")} << no;
        QTest::newRow("watchlist hit names the symbol")
            << true << false << aramco << none << aramco << QStringLiteral("\u2B50 Watchlist: 2222\nBody");
        QTest::newRow("watch word hit, also when showing all")
            << true << true << none << QStringList{QStringLiteral("BODY")} << none
            << QStringLiteral("\u2B50 Watchlist: BODY\nBody");
    }

    void filter()
    {
        QFETCH(bool, enabled);
        QFETCH(bool, showAll);
        QFETCH(QStringList, watchlist);
        QFETCH(QStringList, words);
        QFETCH(QStringList, companies);
        QFETCH(QString, body);
        m_preferences->setNotificationsEnabled(enabled);
        m_preferences->setShowAllAnnouncements(showAll);
        m_preferences->setWatchlistSymbols(QSet<QString>(watchlist.cbegin(), watchlist.cend()));
        m_preferences->setWatchWords(words);
        m_manager->sendNotification(announcement(QStringLiteral("A1"), QStringLiteral("Body"), companies));
        postSentinel();
        QCOMPARE(m_server->calls().size(), body.isEmpty() ? 1 : 2);
        if (!body.isEmpty()) {
            QCOMPARE(m_server->calls().first().summary, QStringLiteral("Title A1"));
            QCOMPARE(m_server->calls().first().body, body);
        }
    }

    // A user's rule filters like the watchlist, names itself, and an urgent one stays until dismissed.
    void urgentRule()
    {
        m_preferences->setShowAllAnnouncements(false);
        m_preferences->setRules(
            {Rule(QStringLiteral("divs"), {QStringLiteral("2222")}, {}, {}, {}, Rule::Action::Urgent)});
        m_manager->sendNotification(announcement(QStringLiteral("A1"), QStringLiteral("Body"), {}));
        m_manager->sendNotification(
            announcement(QStringLiteral("B2"), QStringLiteral("Body"), {QStringLiteral("2222")}));
        postSentinel();
        QCOMPARE(m_server->calls().size(), 2);
        const auto call = m_server->calls().first();
        QCOMPARE(call.body, QStringLiteral("\u2B50 divs: 2222\nBody"));
        QCOMPARE(call.hints.value(QStringLiteral("urgency")).toInt(), 2);
        QCOMPARE(call.expireTimeout, 0);
        QVERIFY(!m_server->calls().last().hints.contains(QStringLiteral("urgency")));
    }

    void content_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("body");
        const QString longTitle = QString(300, QLatin1Char('T'));
        const QString latin = QString(250, QLatin1Char('x'));
        // Each letter carries a mark (fatha): 120 clusters of two code units each.
        QString arabic;
        for (int i = 0; i < 120; ++i)
            arabic += QString::fromUtf8("\u0628\u064E");
        const QString ellipsis(QChar(0x2026));
        QTest::newRow("one long word: cut in it") << longTitle << latin << latin.left(99) + ellipsis;
        QTest::newRow("arabic with marks: whole clusters")
            << longTitle << arabic << arabic.left(198) + ellipsis;
        QTest::newRow("cut after the last whole word, no dangling comma")
            << longTitle << QString(90, QLatin1Char('a')) + QStringLiteral(" bb, cccccccccccc dd")
            << QString(90, QLatin1Char('a')) + QStringLiteral(" bb") + ellipsis;
        QTest::newRow("short text whole")
            << longTitle << QStringLiteral("<p>Cash &amp; dividend</p>") << QStringLiteral("Cash & dividend");
        QTest::newRow("the company the title names is not repeated")
            << "Arabian Energy Co."
            << "Arabian Energy Co. announces a cash dividend"
            << "Announces a cash dividend";
        QTest::newRow("nor in Arabic") << "المراعي"
                                       << "تعلن شركة "
                                          "المراعي عن "
                                          "توزيع"
                                       << "تعلن عن توزيع";
        QTest::newRow("empty") << longTitle << QString() << QString();
    }

    void content()
    {
        QFETCH(QString, title);
        QFETCH(QString, description);
        QFETCH(QString, body);
        m_manager->sendNotification(Announcement(QStringLiteral("A1"), title, description,
                                                 QStringLiteral("https://portal.example/a1"), Instant(), {}));
        QTRY_COMPARE_WITH_TIMEOUT(m_server->calls().size(), 1, 10000);
        const TestNotificationServer::Call call = m_server->calls().first();
        QCOMPARE(call.summary, title);
        QCOMPARE(call.body, body);
        QCOMPARE(call.actions, (QStringList{QStringLiteral("default"), QStringLiteral("Open")}));
    }

    // Titles go out as text without tags; to a server that reads markup, title and body are escaped.
    void markupIsEscapedForServersThatReadIt_data()
    {
        QTest::addColumn<bool>("markup");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("body");
        QTest::newRow("plain server")
            << false << QStringLiteral("S&P Bold 1 < 2") << QStringLiteral("S&P <b>");
        QTest::newRow("body-markup server")
            << true << QStringLiteral("S&amp;P Bold 1 &lt; 2") << QStringLiteral("S&amp;P &lt;b&gt;");
    }

    void markupIsEscapedForServersThatReadIt()
    {
        QFETCH(bool, markup);
        QFETCH(QString, summary);
        QFETCH(QString, body);
        if (markup)
            m_server->setCapabilities({QStringLiteral("body"), QStringLiteral("body-markup")});
        makeManager(std::make_unique<DBusNotificationBackend>()); // asks for capabilities afresh
        m_manager->sendNotification(Announcement(
            QStringLiteral("A1"), QStringLiteral("S&amp;P &lt;b&gt;Bold&lt;/b&gt; 1 &lt; 2"),
            QStringLiteral("S&amp;P &lt;b&gt;"), QStringLiteral("https://portal.example/A1"), Instant(), {}));
        QTRY_COMPARE_WITH_TIMEOUT(m_server->calls().size(), 1, 10000);
        QCOMPARE(m_server->calls().first().summary, summary);
        QCOMPARE(m_server->calls().first().body, body);
    }

    void secondPostForOneIdReplacesTheFirst()
    {
        m_manager->sendNotification(announcement(QStringLiteral("A1")));
        m_manager->sendNotification(announcement(QStringLiteral("A1")));
        m_manager->sendNotification(announcement(QStringLiteral("B2")));
        QTRY_COMPARE_WITH_TIMEOUT(m_server->calls().size(), 3, 10000);
        const auto calls = m_server->calls();
        QCOMPARE(calls.at(1).replacesId, calls.at(0).returnedId);
        QCOMPARE(calls.at(2).replacesId, 0u);

        // Once the desktop closed it, the next post is a new notification.
        m_server->close(calls.at(0).returnedId);
        postSentinel(); // the bus keeps the server's order: the close arrives before this reply
        m_manager->sendNotification(announcement(QStringLiteral("A1")));
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
        m_manager->sendNotification(announcement(QStringLiteral("A1")));
        m_manager->sendNotification(announcement(QStringLiteral("B2")));
        QTRY_COMPARE_WITH_TIMEOUT(m_server->calls().size(), 2, 10000);
        const uint ours = m_server->calls().at(0).returnedId;

        // Another program's notification on the same service, and an action we never offered.
        const uint foreign =
            m_server->Notify(QStringLiteral("Other"), 0, {}, QStringLiteral("x"), {}, {}, {}, -1);
        m_server->invokeAction(foreign);
        m_server->invokeAction(m_server->calls().at(1).returnedId, QStringLiteral("snooze"));
        m_server->invokeAction(ours);

        QTRY_COMPARE_WITH_TIMEOUT(broadcasts.size(), 1, 10000);
        QCOMPARE(broadcasts.first(),
                 (QVariantMap{{QStringLiteral("id"), QStringLiteral("A1")},
                              {QStringLiteral("link"), QStringLiteral("https://portal.example/A1")}}));
        QVERIFY(onMainThread);
    }

    // "Mute This Company Today" is offered where there is a company; invoked, it mutes the company until
    // the end of the Riyadh day, and a later announcement of it is held.
    void muteActionMutesTheCompanyForTheRestOfTheDay()
    {
        m_manager->sendNotification(
            announcement(QStringLiteral("A1"), QStringLiteral("Body"), {QStringLiteral("2222")}));
        m_manager->sendNotification(announcement(QStringLiteral("B2")));
        QTRY_COMPARE_WITH_TIMEOUT(m_server->calls().size(), 2, 10000);
        const auto calls = m_server->calls();
        QCOMPARE(calls.at(0).actions,
                 (QStringList{QStringLiteral("default"), QStringLiteral("Open"), QStringLiteral("mute"),
                              QStringLiteral("Mute This Company Today")}));
        QCOMPARE(calls.at(1).actions.size(), 2);

        QSignalSpy opened(m_manager.get(), &NotificationManager::announcementActivated);
        const Instant before = Instant::now();
        m_server->invokeAction(calls.at(1).returnedId, QStringLiteral("mute")); // not offered there
        m_server->invokeAction(calls.at(0).returnedId, QStringLiteral("mute"));
        QTRY_VERIFY_WITH_TIMEOUT(m_preferences->mutedSymbols().contains(QStringLiteral("2222")), 10000);
        QCOMPARE(m_preferences->mutedSymbols().size(), 1);
        const Instant until = m_preferences->mutedSymbols().value(QStringLiteral("2222"));
        QCOMPARE(TradingCalendar::riyadhMinute(until), 0);
        QCOMPARE(TradingCalendar::riyadhDay(until), TradingCalendar::riyadhDay(before).addDays(1));
        QVERIFY(opened.isEmpty()); // muting opens nothing
        const NotificationGate gate = m_preferences->notificationGate();
        QCOMPARE(gate.judge(announcement(QStringLiteral("C3"), {}, {QStringLiteral("2222")}), true, before),
                 NotificationGate::Verdict::Muted);
    }

    void permissionWithServerSendsTheConfirmation()
    {
        StdoutCapture out;
        bool notDetermined = false; // until asked, answered at once without probing the service
        m_manager->queryPermission([&](NotificationManager::Status s) {
            notDetermined = s == NotificationManager::Status::NotDetermined;
        });
        QVERIFY(notDetermined);
        QCOMPARE(m_server->serverInformationCalls(), 0);
        m_manager->requestPermission(true);
        QTRY_COMPARE_WITH_TIMEOUT(m_server->calls().size(), 1, 10000);
        const TestNotificationServer::Call call = m_server->calls().first();
        QCOMPARE(call.summary, QStringLiteral("Zelvora"));
        QVERIFY(call.actions.isEmpty()); // it opens nothing, so it offers no "Open"
        QCOMPARE(out.text(), QStringLiteral("[NotificationManager] Permission granted: true\n"));
        QCOMPARE(NotificationPermission(m_session.stateFile()).status(),
                 NotificationManager::Status::Authorized);

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
        QCOMPARE(out.text(), QStringLiteral("[NotificationManager] Permission granted: false\n"));

        // Once answered, the status follows whether a service is there now.
        QVERIFY(m_server->start());
        NotificationManager::Status status = NotificationManager::Status::NotDetermined;
        bool answered = false;
        m_manager->queryPermission([&](NotificationManager::Status s) {
            status = s;
            answered = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(answered, 10000);
        QCOMPARE(status, NotificationManager::Status::Authorized);
        QCOMPARE(m_manager->storedPermission(), NotificationManager::Status::Authorized);
    }

    void noServerLogsTheDeliveryError()
    {
        m_server->stop();
        StdoutCapture out;
        m_manager->sendNotification(announcement(QStringLiteral("A1")));
        QTRY_VERIFY_WITH_TIMEOUT(!out.text().isEmpty(), 10000);
        QVERIFY2(out.text().startsWith(QStringLiteral("[NotificationManager] Error sending notification: "
                                                      "org.freedesktop.DBus.Error.ServiceUnknown")),
                 qPrintable(out.text()));
        QCOMPARE(out.text().count(QLatin1Char('\n')), 1);
    }

    void noServerUsesTheFallback()
    {
        m_server->stop();
        auto fallback = std::make_unique<FakeBackend>();
        FakeBackend* shown = fallback.get();
        m_manager->setFallbackBackend(std::move(fallback));
        StdoutCapture out;
        m_manager->sendNotification(announcement(QStringLiteral("A1")));
        QTRY_COMPARE_WITH_TIMEOUT(shown->posted.size(), 1, 10000);
        QCOMPARE(shown->posted.first().identifier, QStringLiteral("A1"));
        QCOMPARE(out.text(), QString()); // shown another way: not an error

        QSignalSpy spy(m_manager.get(), &NotificationManager::announcementActivated);
        Q_EMIT shown->activated(shown->posted.first().data);
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.first().first().toMap().value(QStringLiteral("id")).toString(), QStringLiteral("A1"));
    }

    void noBusAtAll()
    {
        makeManager(
            std::make_unique<DBusNotificationBackend>(QDBusConnection(QStringLiteral("never-connected"))));
        StdoutCapture out;
        m_manager->sendNotification(announcement(QStringLiteral("A1")));
        m_manager->requestPermission(true);
        QVERIFY2(out.text().startsWith(
                     QStringLiteral("[NotificationManager] Error sending notification: no session bus")),
                 qPrintable(out.text()));
        QVERIFY(
            out.text().contains(QStringLiteral("\n[NotificationManager] Permission error: no session bus")));
        QVERIFY(out.text().endsWith(QStringLiteral("\n[NotificationManager] Permission granted: false\n")));
    }

    void onlyARequestThatAsksForTheTestSendsIt()
    {
        auto backend = std::make_unique<FakeBackend>();
        FakeBackend* fake = backend.get();
        makeManager(std::move(backend));
        StdoutCapture out;
        m_manager->requestPermission(false);
        m_manager->requestPermission(true);
        QTRY_COMPARE_WITH_TIMEOUT(fake->posted.size(), 1, 10000);
        QCoreApplication::processEvents();
        QCOMPARE(fake->posted.size(), 1); // the first request scheduled nothing
        QVERIFY(fake->posted.first().data.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestNotificationManager)
#include "tst_notificationmanager.moc"
