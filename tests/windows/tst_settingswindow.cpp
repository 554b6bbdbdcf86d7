#include "infra/SettingsStore.h"
#include "model/Preferences.h"
#include "windows/QuietHoursEditor.h"
#include "windows/SettingsWindow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <QWheelEvent>

class TestSettingsWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Preferences> m_preferences;
    QStringList m_calls;
    bool m_relaunchWorks = true;

    SettingsWindow::Services hooks()
    {
        SettingsWindow::Services hooks;
        hooks.restartPolling = [this] { m_calls << QStringLiteral("restart"); };
        hooks.startNewInstance = [this] {
            m_calls << QStringLiteral("relaunch");
            return m_relaunchWorks;
        };
        hooks.quitSoon = [this] { m_calls << QStringLiteral("quit"); };
        hooks.showAlert = [this](const QString&, const QString&) { m_calls << QStringLiteral("alert"); };
        hooks.doNotTrack = true;
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
        SettingsStore(m_preferences->filePath()).update([](QJsonObject& all) {
            all = QJsonObject();
            return true;
        });
        m_calls.clear();
        m_relaunchWorks = true;
    }

    // The page shows what is stored, writes each change in the stored form, and lifts one mute.
    void quietHoursPage()
    {
        m_preferences->setQuietHours(QStringLiteral("22:00-07:00"));
        m_preferences->muteSymbols({QStringLiteral("1010"), QStringLiteral("2222")},
                                   Instant::now().addSeconds(3600));
        QuietHoursEditor editor(*m_preferences);
        QCOMPARE(editor.modeChoice()->currentIndex(), 2);
        QCOMPARE(editor.fromTime()->time(), QTime(22, 0));
        editor.fromTime()->setTime(QTime(23, 30));
        QCOMPARE(m_preferences->quietHours().text(), QStringLiteral("23:30-07:00"));
        editor.toTime()->setTime(QTime(23, 30)); // no span: the stored one stays
        QCOMPARE(m_preferences->quietHours().text(), QStringLiteral("23:30-07:00"));
        editor.modeChoice()->setCurrentIndex(1);
        QVERIFY(m_preferences->quietHours().isOutsideTrading());
        editor.modeChoice()->setCurrentIndex(0);
        QVERIFY(m_preferences->quietHours().isOff());
        // The digest: off until chosen, then at the time shown.
        QVERIFY(!editor.digestChoice()->isChecked() && !editor.digestTime()->isEnabled());
        editor.digestChoice()->setChecked(true);
        editor.digestTime()->setTime(QTime(8, 45));
        QCOMPARE(SettingsStore(m_preferences->filePath()).value(QStringLiteral("digestTime")).toString(),
                 QStringLiteral("08:45"));
        editor.digestChoice()->setChecked(false);
        QCOMPARE(m_preferences->digestTime(), std::nullopt);

        const QList<QPushButton*> unmute = editor.findChildren<QPushButton*>();
        QCOMPARE(unmute.size(), 2);
        unmute.first()->click();
        QCOMPARE(m_preferences->mutedSymbols().keys(), QStringList{QStringLiteral("2222")});
    }

    void storedValuesShowAsTheirPositions_data()
    {
        QTest::addColumn<double>("interval");
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("intervalPosition");
        QTest::addColumn<int>("languagePosition");
        QTest::newRow("300, ar") << 300.0 << QStringLiteral("ar") << 1 << 1;
        QTest::newRow("600, en") << 600.0 << QStringLiteral("en") << 2 << 0;
        // Values the pop-ups do not offer show the first entry.
        QTest::newRow("900, fr") << 900.0 << QStringLiteral("fr") << 0 << 0;
        QTest::newRow("300.5, AR") << 300.5 << QStringLiteral("AR") << 0 << 0;
    }

    void storedValuesShowAsTheirPositions()
    {
        QFETCH(double, interval);
        QFETCH(QString, language);
        m_preferences->setPollInterval(interval);
        m_preferences->setLanguage(language);
        SettingsWindow window(*m_preferences, hooks());
        QTEST(window.pollIntervalPopup()->currentIndex(), "intervalPosition");
        QTEST(window.languagePopup()->currentIndex(), "languagePosition");
    }

    // A new user sees the defaults; nothing is written until a deliberate choice.
    void onlyADeliberateChoiceActs()
    {
        SettingsWindow window(*m_preferences, hooks());
        QVERIFY(window.notificationsCheckbox()->isChecked() && window.showAllCheckbox()->isChecked());
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
        QVERIFY(SettingsStore(m_preferences->filePath()).snapshot().isEmpty());

        // Opening the list and choosing in it is a choice.
        QComboBox* interval = window.pollIntervalPopup();
        QTest::keyClick(interval, Qt::Key_Space);
        QTRY_VERIFY(interval->view()->isVisible());
        QTest::keyClick(interval->view(), Qt::Key_Down);
        QTest::keyClick(interval->view(), Qt::Key_Return);
        QCOMPARE(m_preferences->pollInterval(), 300.0);
        choose(interval, 2);
        choose(interval, 2); // the same choice again still stores and restarts
        QCOMPARE(m_preferences->pollInterval(), 600.0);
        QCOMPARE(m_calls, QStringList(3, QStringLiteral("restart")));
    }

    void choosingALanguageStoresItAndRelaunches()
    {
        SettingsWindow window(*m_preferences, hooks());
        choose(window.languagePopup(), 1);
        QCOMPARE(m_preferences->language(), QStringLiteral("ar"));
        QCOMPARE(m_calls, (QStringList{QStringLiteral("relaunch"), QStringLiteral("quit")}));
        choose(window.languagePopup(), 1); // the language already shown: all the same
        QCOMPARE(m_calls.size(), 4);

        // A failed relaunch keeps this instance.
        m_relaunchWorks = false;
        m_calls.clear();
        choose(window.languagePopup(), 0);
        QCOMPARE(m_preferences->language(), QStringLiteral("en"));
        QCOMPARE(m_calls, QStringList{QStringLiteral("relaunch")});
    }

    void interfaceLanguageIsShownStoredAndRelaunches()
    {
        SettingsStore(m_preferences->filePath())
            .setValue(QStringLiteral("interfaceLanguage"), QStringLiteral("ar"));
        QCOMPARE(SettingsWindow(*m_preferences, hooks()).interfaceLanguagePopup()->currentIndex(), 2);
        // A file from before the setting, or a value from elsewhere, reads as System.
        for (const QJsonValue& older : {QJsonValue(), QJsonValue(QStringLiteral("fr")), QJsonValue(true)}) {
            SettingsStore(m_preferences->filePath()).setValue(QStringLiteral("interfaceLanguage"), older);
            QCOMPARE(SettingsWindow(*m_preferences, hooks()).interfaceLanguagePopup()->currentIndex(), 0);
        }
        SettingsWindow window(*m_preferences, hooks());
        choose(window.interfaceLanguagePopup(), 1);
        QCOMPARE(
            SettingsStore(m_preferences->filePath()).value(QStringLiteral("interfaceLanguage")).toString(),
            QStringLiteral("en"));
        choose(window.interfaceLanguagePopup(), 0);
        QCOMPARE(
            SettingsStore(m_preferences->filePath()).value(QStringLiteral("interfaceLanguage")).toString(),
            QStringLiteral("system"));
        QCOMPARE(m_calls.count(QStringLiteral("relaunch")), 2);
        QCOMPARE(m_preferences->language(), QStringLiteral("en")); // the feed language is untouched
    }

    void checkboxesAndThePromptButtonWriteAtOnce()
    {
        m_preferences->setShowAllAnnouncements(false);
        m_preferences->setNotificationsDontAsk(true);
        SettingsWindow window(*m_preferences, hooks());
        QVERIFY(!window.showAllCheckbox()->isChecked());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QTest::mouseClick(window.notificationsCheckbox(), Qt::LeftButton);
        QCOMPARE(m_preferences->notificationsEnabled(), false);
        QTest::mouseClick(window.showAllCheckbox(), Qt::LeftButton);
        QCOMPARE(m_preferences->showAllAnnouncements(), true);
        QTest::mouseClick(window.notificationsCheckbox(), Qt::LeftButton);
        // Stored as real truth values, not left to the defaults.
        QCOMPARE(SettingsStore(m_preferences->filePath()).value(QStringLiteral("notificationsEnabled")),
                 QJsonValue(true));
        // Usage statistics: shown off while DO_NOT_TRACK turns them off.
        QVERIFY(!window.usageStatisticsCheckbox()->isChecked() &&
                !window.usageStatisticsCheckbox()->isEnabled());
        SettingsWindow::Services tracked = hooks();
        tracked.doNotTrack = false; // without it: on for a new user, and the box switches them
        SettingsWindow sharing(*m_preferences, tracked);
        QVERIFY(sharing.usageStatisticsCheckbox()->isChecked());
        sharing.usageStatisticsCheckbox()->click();
        QVERIFY(!m_preferences->shareUsageStatistics());
        // The update switch stops the automatic checks.
        QTest::mouseClick(window.automaticUpdatesCheckbox(), Qt::LeftButton);
        QVERIFY(!m_preferences->automaticUpdateChecks());

        QTest::mouseClick(window.resetPromptButton(), Qt::LeftButton);
        QCOMPARE(SettingsStore(m_preferences->filePath()).value(QStringLiteral("notificationsDontAsk")),
                 QJsonValue(false));
        QTest::mouseClick(window.resetPromptButton(), Qt::LeftButton);
        QCOMPARE(m_calls, (QStringList{QStringLiteral("alert"), QStringLiteral("alert")}));
    }
};

QTEST_MAIN(TestSettingsWindow)
#include "tst_settingswindow.moc"
