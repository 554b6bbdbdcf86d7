#include "model/Preferences.h"
#include "telemetry/TelemetryService.h"
#include "windows/SettingsWindow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

class TestSettingsWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Preferences> m_preferences;
    QStringList m_calls;
    bool m_relaunchWorks = true;

    SettingsWindow::Hooks hooks()
    {
        SettingsWindow::Hooks hooks;
        hooks.restartPolling = [this] { m_calls << QStringLiteral("restart"); };
        hooks.startNewInstance = [this] {
            m_calls << QStringLiteral("relaunch");
            return m_relaunchWorks;
        };
        hooks.quitSoon = [this] { m_calls << QStringLiteral("quit"); };
        hooks.showAlert = [this](const QString& message, const QString& informative) {
            m_calls << message + QStringLiteral(" | ") + informative;
        };
        return hooks;
    }

    static void choose(QComboBox* popup, int position)
    {
        popup->setCurrentIndex(position);
        Q_EMIT popup->activated(position); // what a user's choice sends, also for the item already shown
    }

private Q_SLOTS:
    void init()
    {
        m_preferences = std::make_unique<Preferences>(m_dir.filePath(QStringLiteral("settings.json")));
        m_preferences->store().update([](QJsonObject& all) {
            all = QJsonObject();
            return true;
        });
        m_calls.clear();
        m_relaunchWorks = true;
    }

    void newUserSeesTheDefaults()
    {
        SettingsWindow window(*m_preferences, hooks());
        // A new user: English, 3 minutes, both boxes on.
        QCOMPARE(window.languagePopup()->currentIndex(), 0);
        QCOMPARE(window.pollIntervalPopup()->currentIndex(), 0);
        QVERIFY(window.notificationsCheckbox()->isChecked());
        QVERIFY(window.showAllCheckbox()->isChecked());
        // Building the window writes nothing.
        QVERIFY(m_preferences->store().snapshot().isEmpty());
    }

    void pollIntervalPositions_data()
    {
        QTest::addColumn<double>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("180") << 180.0 << QStringLiteral("Every 3 minutes");
        QTest::newRow("300") << 300.0 << QStringLiteral("Every 5 minutes");
        QTest::newRow("600") << 600.0 << QStringLiteral("Every 10 minutes");
        QTest::newRow("900") << 900.0 << QStringLiteral("Every 3 minutes");
        QTest::newRow("30") << 30.0 << QStringLiteral("Every 3 minutes");
        QTest::newRow("300.5") << 300.5 << QStringLiteral("Every 3 minutes");
    }

    void pollIntervalPositions()
    {
        QFETCH(double, stored);
        QFETCH(QString, shown);
        m_preferences->setPollInterval(stored);
        SettingsWindow window(*m_preferences, hooks());
        QCOMPARE(window.pollIntervalPopup()->currentText(), shown);
    }

    void choosingAnIntervalStoresItAndRestartsPolling_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<double>("stored");
        QTest::newRow("3 minutes") << 0 << 180.0;
        QTest::newRow("5 minutes") << 1 << 300.0;
        QTest::newRow("10 minutes") << 2 << 600.0;
    }

    void choosingAnIntervalStoresItAndRestartsPolling()
    {
        QFETCH(int, position);
        QFETCH(double, stored);
        m_preferences->setPollInterval(900);
        SettingsWindow window(*m_preferences, hooks());
        choose(window.pollIntervalPopup(), position);
        QCOMPARE(m_preferences->pollInterval(), stored);
        QCOMPARE(m_calls, QStringList{QStringLiteral("restart")});
        // The same choice again still stores and restarts.
        choose(window.pollIntervalPopup(), position);
        QCOMPARE(m_calls.size(), 2);
    }

    void onlyADeliberateChoiceActs()
    {
        SettingsWindow window(*m_preferences, hooks());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (QComboBox* popup : {window.languagePopup(), window.pollIntervalPopup()}) {
            // A scroll passing over the closed pop-up, and keys pressed while it has the focus.
            const QPoint centre = popup->rect().center();
            QWheelEvent wheel(centre, popup->mapToGlobal(centre), QPoint(), QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(popup, &wheel);
            popup->setFocus();
            for (const Qt::Key key : {Qt::Key_Down, Qt::Key_End, Qt::Key_PageDown, Qt::Key_A, Qt::Key_Return})
                QTest::keyClick(popup, key);
            QCOMPARE(popup->currentIndex(), 0);
        }
        QVERIFY(m_calls.isEmpty());
        QVERIFY(m_preferences->store().snapshot().isEmpty());

        // Opening the list and choosing in it is a choice.
        QComboBox* interval = window.pollIntervalPopup();
        QTest::keyClick(interval, Qt::Key_Space);
        QTRY_VERIFY(interval->view()->isVisible());
        QTest::keyClick(interval->view(), Qt::Key_Down);
        QTest::keyClick(interval->view(), Qt::Key_Return);
        QCOMPARE(m_preferences->pollInterval(), 300.0);
        QCOMPARE(m_calls, QStringList{QStringLiteral("restart")});
    }

    void languagePositions_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("position");
        QTest::newRow("ar") << QStringLiteral("ar") << 1;
        QTest::newRow("en") << QStringLiteral("en") << 0;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("fr") << QStringLiteral("fr") << 0;
        QTest::newRow("AR") << QStringLiteral("AR") << 0;
    }

    void languagePositions()
    {
        QFETCH(QString, stored);
        QFETCH(int, position);
        m_preferences->setLanguage(stored);
        SettingsWindow window(*m_preferences, hooks());
        QCOMPARE(window.languagePopup()->currentIndex(), position);
    }

    void choosingALanguageStoresItAndRelaunches()
    {
        SettingsWindow window(*m_preferences, hooks());
        choose(window.languagePopup(), 1);
        QCOMPARE(m_preferences->language(), QStringLiteral("ar"));
        QCOMPARE(m_calls, (QStringList{QStringLiteral("relaunch"), QStringLiteral("quit")}));
        // The language already shown: stored and relaunched all the same.
        choose(window.languagePopup(), 1);
        QCOMPARE(m_calls.size(), 4);
        choose(window.languagePopup(), 0);
        QCOMPARE(m_preferences->language(), QStringLiteral("en"));
    }

    void interfaceLanguageIsShownStoredAndRelaunches()
    {
        m_preferences->store().setValue(QStringLiteral("interfaceLanguage"), QStringLiteral("ar"));
        {
            SettingsWindow window(*m_preferences, hooks());
            QCOMPARE(window.interfaceLanguagePopup()->currentIndex(), 2);
        }
        // A file from before the setting, or a value from elsewhere, reads as System.
        for (const QJsonValue& older : {QJsonValue(), QJsonValue(QStringLiteral("fr")), QJsonValue(true)}) {
            m_preferences->store().setValue(QStringLiteral("interfaceLanguage"), older);
            SettingsWindow window(*m_preferences, hooks());
            QCOMPARE(window.interfaceLanguagePopup()->currentIndex(), 0);
        }
        SettingsWindow window(*m_preferences, hooks());
        choose(window.interfaceLanguagePopup(), 1);
        QCOMPARE(m_preferences->store().value(QStringLiteral("interfaceLanguage")).toString(),
                 QStringLiteral("en"));
        choose(window.interfaceLanguagePopup(), 0);
        QCOMPARE(m_preferences->store().value(QStringLiteral("interfaceLanguage")).toString(),
                 QStringLiteral("system"));
        QCOMPARE(m_calls.count(QStringLiteral("relaunch")), 2);
        QCOMPARE(m_calls.count(QStringLiteral("quit")), 2);
        QCOMPARE(m_preferences->language(), QStringLiteral("en")); // the feed language is untouched
    }

    void failedRelaunchKeepsThisInstance()
    {
        m_relaunchWorks = false;
        SettingsWindow window(*m_preferences, hooks());
        choose(window.languagePopup(), 1);
        QCOMPARE(m_preferences->language(), QStringLiteral("ar"));
        QCOMPARE(m_calls, QStringList{QStringLiteral("relaunch")});
    }

    void checkboxesWriteAtOnce()
    {
        m_preferences->setShowAllAnnouncements(false);
        SettingsWindow window(*m_preferences, hooks());
        QVERIFY(window.notificationsCheckbox()->isChecked());
        QVERIFY(!window.showAllCheckbox()->isChecked());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QTest::mouseClick(window.notificationsCheckbox(), Qt::LeftButton);
        QCOMPARE(m_preferences->notificationsEnabled(), false);
        QTest::mouseClick(window.showAllCheckbox(), Qt::LeftButton);
        QCOMPARE(m_preferences->showAllAnnouncements(), true);
        QTest::mouseClick(window.notificationsCheckbox(), Qt::LeftButton);
        QCOMPARE(m_preferences->notificationsEnabled(), true);
        // Stored as real truth values, not left to the defaults.
        QCOMPARE(m_preferences->store().value(QStringLiteral("notificationsEnabled")), QJsonValue(true));

        // Usage statistics: on for a new user; off stops the very next signal.
        QVERIFY(window.usageStatisticsCheckbox()->isChecked());
        QTest::mouseClick(window.usageStatisticsCheckbox(), Qt::LeftButton);
        QVERIFY(!TelemetryService(m_preferences->store(), QStringLiteral("http://127.0.0.1:9/"))
                     .sharingAllowed());
        QVERIFY(m_calls.isEmpty());
    }

    void reenablingThePromptStoresFalseAndAlertsEachTime()
    {
        m_preferences->setNotificationsDontAsk(true);
        SettingsWindow window(*m_preferences, hooks());
        const QString alert =
            QStringLiteral("Notification prompt re-enabled | The notification permission dialog "
                           "will appear on next app launch.");
        QTest::mouseClick(window.resetPromptButton(), Qt::LeftButton);
        QCOMPARE(m_preferences->notificationsDontAsk(), false);
        QCOMPARE(m_preferences->store().value(QStringLiteral("notificationsDontAsk")), QJsonValue(false));
        QTest::mouseClick(window.resetPromptButton(), Qt::LeftButton);
        QCOMPARE(m_calls, (QStringList{alert, alert}));
    }
};

QTEST_MAIN(TestSettingsWindow)
#include "tst_settingswindow.moc"
