// The settings window and its sections, offscreen, over a real settings file (and secrets file and
// issuer directory): what is stored shows, and each deliberate change is written at once.
#include "fetch/IssuerDirectory.h"
#include "infra/SettingsStore.h"
#include "model/Preferences.h"
#include "outputs/OutputStore.h"
#include "support/LoopbackHttpServer.h"
#include "windows/ChoicePopup.h"
#include "windows/OutputsEditor.h"
#include "windows/QuietHoursEditor.h"
#include "windows/RulesEditor.h"
#include "windows/SettingsWindow.h"
#include "windows/WatchlistEditor.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <QWheelEvent>

using namespace Qt::StringLiterals;

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
        hooks.restartPolling = [this] { m_calls << u"restart"_s; };
        hooks.startNewInstance = [this] {
            m_calls << u"relaunch"_s;
            return m_relaunchWorks;
        };
        hooks.quitSoon = [this] { m_calls << u"quit"_s; };
        hooks.showAlert = [this](const QString&, const QString&) { m_calls << u"alert"_s; };
        hooks.doNotTrack = true;
        return hooks;
    }

    QJsonValue stored(const char* key) const
    {
        return SettingsStore(m_preferences->filePath()).value(QString::fromLatin1(key));
    }

    static void choose(QComboBox* popup, int position)
    {
        popup->setCurrentIndex(position);
        Q_EMIT popup->activated(position); // what a user's choice sends, also for the item already shown
    }

    static void edit(QLineEdit* input, const QString& text)
    {
        input->setText(text);
        Q_EMIT input->editingFinished();
    }

    static Announcement issuerItem(const QString& symbol, const QString& name)
    {
        return Announcement(u"se_"_s + symbol, name, QString(),
                            u"https://x.test/issuer-announcements/d/?anId=1"_s,
                            Instant::fromReferenceSeconds(800000000), {symbol});
    }

private Q_SLOTS:
    void init()
    {
        for (const QString& name : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(m_dir.filePath(name));
        m_preferences = std::make_unique<Preferences>(m_dir.filePath(u"settings.json"_s));
        m_calls.clear();
        m_relaunchWorks = true;
    }

    // The page shows what is stored, writes each change in the stored form, and lifts one mute.
    void quietHoursPage()
    {
        m_preferences->setQuietHours(u"22:00-07:00"_s);
        m_preferences->muteSymbols({u"1010"_s, u"2222"_s}, Instant::now().addSeconds(3600));
        QuietHoursEditor editor(*m_preferences);
        QCOMPARE(editor.modeChoice()->currentIndex(), 2);
        QCOMPARE(editor.fromTime()->time(), QTime(22, 0));
        editor.fromTime()->setTime(QTime(23, 30));
        editor.toTime()->setTime(QTime(23, 30)); // no span: the stored one stays
        QCOMPARE(m_preferences->quietHours().text(), u"23:30-07:00"_s);
        editor.modeChoice()->setCurrentIndex(1);
        QVERIFY(m_preferences->quietHours().isOutsideTrading());
        editor.modeChoice()->setCurrentIndex(0);
        QVERIFY(m_preferences->quietHours().isOff());
        // The digest: off until chosen, then at the time shown.
        QVERIFY(!editor.digestChoice()->isChecked() && !editor.digestTime()->isEnabled());
        editor.digestChoice()->setChecked(true);
        editor.digestTime()->setTime(QTime(8, 45));
        QCOMPARE(stored("digestTime").toString(), u"08:45"_s);
        editor.digestChoice()->setChecked(false);
        QCOMPARE(m_preferences->digestTime(), std::nullopt);

        const QList<QPushButton*> unmute = editor.findChildren<QPushButton*>();
        QCOMPARE(unmute.size(), 2);
        unmute.first()->click();
        QCOMPARE(m_preferences->mutedSymbols().keys(), QStringList{u"2222"_s});
    }

    void storedValuesShowAsTheirPositions()
    {
        // Values the pop-ups do not offer show the first entry.
        const struct
        {
            double interval;
            const char* language;
            int intervalPosition, languagePosition;
        } rows[] = {{300, "ar", 1, 1}, {600, "en", 2, 0}, {900, "fr", 0, 0}, {300.5, "AR", 0, 0}};
        for (const auto& row : rows) {
            m_preferences->setPollInterval(row.interval);
            m_preferences->setLanguage(QString::fromLatin1(row.language));
            SettingsWindow window(*m_preferences, hooks());
            QCOMPARE(window.pollIntervalPopup()->currentIndex(), row.intervalPosition);
            QCOMPARE(window.languagePopup()->currentIndex(), row.languagePosition);
        }
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
        QCOMPARE(m_calls, QStringList(3, u"restart"_s));
    }

    void choosingALanguageStoresItAndRelaunches()
    {
        SettingsWindow window(*m_preferences, hooks());
        choose(window.languagePopup(), 1);
        QCOMPARE(m_preferences->language(), u"ar"_s);
        QCOMPARE(m_calls, (QStringList{u"relaunch"_s, u"quit"_s}));
        // A failed relaunch keeps this instance.
        m_relaunchWorks = false;
        m_calls.clear();
        choose(window.languagePopup(), 0);
        QCOMPARE(m_preferences->language(), u"en"_s);
        QCOMPARE(m_calls, QStringList{u"relaunch"_s});
    }

    void interfaceLanguageIsShownStoredAndRelaunches()
    {
        const QString key = u"interfaceLanguage"_s;
        SettingsStore(m_preferences->filePath()).setValue(key, u"ar"_s);
        QCOMPARE(SettingsWindow(*m_preferences, hooks()).interfaceLanguagePopup()->currentIndex(), 2);
        // A file from before the setting, or a value from elsewhere, reads as System.
        for (const QJsonValue& older : {QJsonValue(), QJsonValue(u"fr"_s), QJsonValue(true)}) {
            SettingsStore(m_preferences->filePath()).setValue(key, older);
            QCOMPARE(SettingsWindow(*m_preferences, hooks()).interfaceLanguagePopup()->currentIndex(), 0);
        }
        SettingsWindow window(*m_preferences, hooks());
        choose(window.interfaceLanguagePopup(), 1);
        QCOMPARE(stored("interfaceLanguage").toString(), u"en"_s);
        choose(window.interfaceLanguagePopup(), 0);
        QCOMPARE(stored("interfaceLanguage").toString(), u"system"_s);
        QCOMPARE(m_calls.count(u"relaunch"_s), 2);
        QCOMPARE(m_preferences->language(), u"en"_s); // the feed language is untouched
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
        QCOMPARE(stored("notificationsEnabled"), QJsonValue(true)); // a real truth value, not the default
        // Usage statistics: shown off while DO_NOT_TRACK turns them off.
        QVERIFY(!window.usageStatisticsCheckbox()->isChecked() &&
                !window.usageStatisticsCheckbox()->isEnabled());
        SettingsWindow::Services tracked = hooks();
        tracked.doNotTrack = false; // without it: on for a new user, and the box switches them
        SettingsWindow sharing(*m_preferences, tracked);
        QVERIFY(sharing.usageStatisticsCheckbox()->isChecked());
        sharing.usageStatisticsCheckbox()->click();
        QVERIFY(!m_preferences->shareUsageStatistics());
        QTest::mouseClick(window.automaticUpdatesCheckbox(), Qt::LeftButton);
        QVERIFY(!m_preferences->automaticUpdateChecks());

        QTest::mouseClick(window.resetPromptButton(), Qt::LeftButton);
        QCOMPARE(stored("notificationsDontAsk"), QJsonValue(false));
        QCOMPARE(m_calls, QStringList{u"alert"_s});
    }

    void watchlistAddsBySymbolNameOrDigitsAndRefusesTheRest()
    {
        IssuerDirectory issuers(m_dir.path());
        issuers.learn({issuerItem(u"2222"_s, u"Arabian Energy Co."_s),
                       issuerItem(u"2222"_s, u"شركة الطاقة العربية"_s),
                       issuerItem(u"1020"_s, u"Najd Commercial Bank"_s),
                       issuerItem(u"1060"_s, u"Gulf Investment Bank"_s)},
                      Instant::fromReferenceSeconds(800000000));
        QVERIFY(issuers.save());
        WatchlistEditor editor(*m_preferences, m_dir.path());
        QSignalSpy changed(&editor, &WatchlistEditor::watchlistChanged);
        const auto type = [&editor](const QString& text) {
            editor.symbolInput()->setText(text);
            QTest::keyClick(editor.symbolInput(), Qt::Key_Return);
        };
        type(u"energy"_s);                             // part of a name
        type(u"1060  \u2014  Gulf Investment Bank"_s); // a chosen completion
        type(u"9999"_s);                               // not seen yet, but a symbol's shape
        QCOMPARE(m_preferences->watchlistSymbols(), (QSet<QString>{u"2222"_s, u"1060"_s, u"9999"_s}));
        QCOMPARE(editor.symbolList()->item(1)->text(),
                 u"2222  \u2014  \u2068Arabian Energy Co. \u00B7 شركة الطاقة العربية\u2069"_s);
        QVERIFY(editor.message()->text().isEmpty());
        for (const QString& wrong : {u"bank"_s, u"abc"_s, u"22222"_s}) {
            type(wrong);
            QVERIFY2(editor.message()->text().contains(wrong), qPrintable(editor.message()->text()));
            QCOMPARE(editor.symbolInput()->text(), wrong); // kept for correcting
        }
        QCOMPARE(changed.size(), 3); // the tray menu follows each change, and only a change
        QTest::keyClick(editor.symbolInput(), Qt::Key_Backspace);
        QVERIFY(editor.message()->text().isEmpty()); // the message goes once the user corrects

        editor.show();
        editor.symbolList()->setFocus();
        editor.symbolList()->setCurrentRow(0); // 1060
        QTest::keyClick(editor.symbolList(), Qt::Key_Delete);
        QCOMPARE(m_preferences->watchlistSymbols().size(), 2);
    }

    void watchlistWords()
    {
        WatchlistEditor editor(*m_preferences, m_dir.path());
        // A one-letter word would match nearly everything: refused, with a message naming it.
        edit(editor.wordsInput(), u" dividend ،توزيع  أرباح, Dividend,, x, "_s);
        QCOMPARE(m_preferences->watchWords(), (QStringList{u"dividend"_s, u"توزيع أرباح"_s}));
        QCOMPARE(editor.wordsInput()->text(), u"dividend, توزيع أرباح"_s);
        QVERIFY(editor.message()->text().contains(u"\u201Cx\u201D"_s));
        // Changed elsewhere (the command line) while the window was hidden: shown as stored.
        Preferences(m_preferences->filePath()).setWatchWords({u"rights issue"_s});
        editor.reload();
        QCOMPARE(editor.wordsInput()->text(), u"rights issue"_s);
    }

    void rulesAreWrittenAtOnce()
    {
        m_preferences->setWatchlistSymbols({u"2222"_s});
        RulesEditor editor(*m_preferences);
        QSignalSpy changed(&editor, &RulesEditor::rulesChanged);
        QVERIFY(!editor.nameInput()->isEnabled()); // nothing chosen yet
        editor.addRule();
        editor.addRule();
        QCOMPARE(m_preferences->rules().size(), 2);
        QCOMPARE(editor.ruleList()->currentRow(), 1);
        edit(editor.nameInput(), u"divs"_s);
        edit(editor.symbolsInput(), u"2222، 4001, 2222"_s);
        editor.categoryList()->item(int(AnnouncementCategory::Kind::Dividends))->setCheckState(Qt::Checked);
        choose(editor.actionPopup(), int(Rule::Action::Urgent));
        const Rule divs(u"divs"_s, {u"2222"_s, u"4001"_s}, {}, {AnnouncementCategory::Kind::Dividends}, {},
                        Rule::Action::Urgent);
        QCOMPARE(m_preferences->rules().at(1), divs);
        // A name must stay and stay its own; the Watchlist's is taken.
        for (const QString& name : {QString(), u"Rule 1"_s, u"watchlist"_s})
            edit(editor.nameInput(), name);
        QCOMPARE(m_preferences->rules().at(1).name(), u"divs"_s);
        QCOMPARE(editor.nameInput()->text(), u"divs"_s);

        editor.moveSelected(-1);
        QCOMPARE(m_preferences->rules().first(), divs);
        QCOMPARE(editor.ruleList()->currentRow(), 0);
        editor.ruleList()->setCurrentRow(1);
        editor.removeSelected();
        QCOMPARE(m_preferences->rules(), QList<Rule>{divs});
        QCOMPARE(m_preferences->watchlistSymbols(), QSet<QString>{u"2222"_s});
        QCOMPARE(changed.count(), 8);
    }

    void outputsAddTestAndRemove()
    {
        LoopbackHttpServer receiver;
        OutputsEditor editor(*m_preferences, u"https://portal.example"_s);
        OutputStore store(*m_preferences);
        const auto fill = [&editor](const char* name, OutputConfig::Kind kind, const QByteArray& address) {
            editor.nameInput()->setText(QString::fromLatin1(name));
            editor.kindPopup()->setCurrentIndex(int(kind));
            editor.addressInput()->setText(QString::fromUtf8(address));
        };
        // Matrix cannot work without its access token: refused with a message, nothing stored.
        fill("room", OutputConfig::Kind::Matrix, receiver.url(""));
        QVERIFY(!editor.addFromForm());
        QVERIFY(!editor.message()->text().isEmpty());
        QVERIFY(store.outputs().isEmpty());

        fill("hook", OutputConfig::Kind::Webhook, receiver.url("/hook"));
        editor.secretInput()->setText(u"tok"_s);
        QVERIFY(editor.addFromForm());
        QCOMPARE(store.secret(u"hook"_s), u"tok"_s);
        QVERIFY(editor.secretInput()->text().isEmpty());
        QCOMPARE(editor.list()->count(), 1);

        editor.list()->setCurrentRow(0);
        QSignalSpy finished(&editor, &OutputsEditor::testFinished);
        editor.testSelected();
        QVERIFY(finished.wait(10000));
        QCOMPARE(receiver.requests().value(0).header("Authorization"), "Bearer tok");
        QVERIFY(editor.message()->text().contains(u"delivered"_s));
        editor.removeSelected();
        QVERIFY(store.outputs().isEmpty());
        QCOMPARE(editor.list()->count(), 0);
    }
};

QTEST_MAIN(TestSettingsWindow)
#include "tst_settingswindow.moc"
