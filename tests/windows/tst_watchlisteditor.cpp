#include "fetch/IssuerDirectory.h"
#include "model/Preferences.h"
#include "windows/WatchlistEditor.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The settings window's watchlist section, offscreen, over a real settings file and issuer directory.
class TestWatchlistEditor : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Preferences> m_preferences;

    static Announcement issuerItem(const QString& symbol, const QString& name)
    {
        return Announcement(QStringLiteral("se_") + symbol, name, QString(),
                            QStringLiteral("https://x.test/issuer-announcements/d/?anId=1"),
                            Instant::fromReferenceSeconds(800000000), {symbol});
    }

    void type(WatchlistEditor& editor, const QString& text)
    {
        editor.symbolInput()->setText(text);
        QTest::keyClick(editor.symbolInput(), Qt::Key_Return);
    }

private Q_SLOTS:
    void init()
    {
        QFile::remove(m_dir.filePath(QStringLiteral("settings.json")));
        m_preferences = std::make_unique<Preferences>(m_dir.filePath(QStringLiteral("settings.json")));
        IssuerDirectory issuers(m_dir.path());
        issuers.learn({issuerItem(QStringLiteral("2222"), QStringLiteral("Arabian Energy Co.")),
                       issuerItem(QStringLiteral("2222"), QStringLiteral("شركة الطاقة العربية")),
                       issuerItem(QStringLiteral("1020"), QStringLiteral("Najd Commercial Bank")),
                       issuerItem(QStringLiteral("1060"), QStringLiteral("Gulf Investment Bank"))},
                      Instant::fromReferenceSeconds(800000000));
        QVERIFY(issuers.save());
    }

    void addsBySymbolNameOrDigitsAndRefusesTheRest()
    {
        WatchlistEditor editor(*m_preferences, m_dir.path());
        QSignalSpy changed(&editor, &WatchlistEditor::watchlistChanged);
        type(editor, QStringLiteral("energy"));                             // part of a name
        type(editor, QStringLiteral("1060  \u2014  Gulf Investment Bank")); // a chosen completion
        type(editor, QStringLiteral("9999")); // not seen yet, but a symbol's shape
        QCOMPARE(m_preferences->watchlistSymbols(),
                 (QSet<QString>{QStringLiteral("2222"), QStringLiteral("1060"), QStringLiteral("9999")}));
        QCOMPARE(editor.symbolList()->item(1)->text(),
                 QStringLiteral("2222  \u2014  \u2068Arabian Energy Co. \u00B7 شركة الطاقة العربية\u2069"));
        QVERIFY(editor.message()->text().isEmpty());

        for (const QString& wrong :
             {QStringLiteral("bank"), QStringLiteral("abc"), QStringLiteral("22222")}) {
            type(editor, wrong);
            QVERIFY2(editor.message()->text().contains(wrong), qPrintable(editor.message()->text()));
            QCOMPARE(editor.symbolInput()->text(), wrong); // kept for correcting
        }
        QCOMPARE(m_preferences->watchlistSymbols().size(), 3);
        QCOMPARE(changed.size(), 3); // the tray menu follows each change, and only a change
        QVERIFY(editor.message()->text().contains(QLatin1String("neither a known symbol nor four digits")));
        QTest::keyClick(editor.symbolInput(), Qt::Key_Backspace);
        QVERIFY(editor.message()->text().isEmpty()); // the message goes once the user corrects
    }

    void removesByDeleteKeyAndEditsWords()
    {
        m_preferences->setWatchlistSymbols({QStringLiteral("2222"), QStringLiteral("1020")});
        WatchlistEditor editor(*m_preferences, m_dir.path());
        editor.show();
        editor.symbolList()->setFocus();
        editor.symbolList()->setCurrentRow(0); // 1020
        QTest::keyClick(editor.symbolList(), Qt::Key_Delete);
        QCOMPARE(m_preferences->watchlistSymbols(), QSet<QString>{QStringLiteral("2222")});

        // A one-letter word would match nearly everything: refused, with a message naming it.
        editor.wordsInput()->setText(QStringLiteral(" dividend ،توزيع  أرباح, Dividend,, x, "));
        Q_EMIT editor.wordsInput()->editingFinished();
        QCOMPARE(m_preferences->watchWords(),
                 (QStringList{QStringLiteral("dividend"), QStringLiteral("توزيع أرباح")}));
        QCOMPARE(editor.wordsInput()->text(), QStringLiteral("dividend, توزيع أرباح"));
        QVERIFY(editor.message()->text().contains(QStringLiteral("\u201Cx\u201D")));

        // Changed elsewhere (the command line) while the window was hidden: shown as stored.
        Preferences(m_dir.filePath(QStringLiteral("settings.json")))
            .setWatchWords({QStringLiteral("rights issue")});
        editor.reload();
        QCOMPARE(editor.wordsInput()->text(), QStringLiteral("rights issue"));
    }
};

QTEST_MAIN(TestWatchlistEditor)
#include "tst_watchlisteditor.moc"
