#include "model/Preferences.h"
#include "windows/ChoicePopup.h"
#include "windows/RulesEditor.h"

#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The settings window's rules section, offscreen, over a real settings file.
class TestRulesEditor : public QObject
{
    Q_OBJECT

    static void edit(QLineEdit* input, const QString& text)
    {
        input->setText(text);
        Q_EMIT input->editingFinished();
    }

private Q_SLOTS:
    void editsAreWrittenAtOnce()
    {
        QTemporaryDir dir;
        Preferences preferences(dir.filePath(QStringLiteral("settings.json")));
        preferences.setWatchlistSymbols({QStringLiteral("2222")});
        RulesEditor editor(preferences);
        QSignalSpy changed(&editor, &RulesEditor::rulesChanged);
        QVERIFY(!editor.nameInput()->isEnabled()); // nothing chosen yet

        editor.addRule();
        editor.addRule();
        QCOMPARE(preferences.rules().size(), 2);
        QCOMPARE(editor.ruleList()->currentRow(), 1);
        edit(editor.nameInput(), QStringLiteral("divs"));
        edit(editor.symbolsInput(), QStringLiteral("2222، 4001, 2222"));
        editor.categoryList()->item(int(AnnouncementCategory::Kind::Dividends))->setCheckState(Qt::Checked);
        editor.actionPopup()->setCurrentIndex(int(Rule::Action::Urgent));
        Q_EMIT editor.actionPopup()->activated(int(Rule::Action::Urgent));
        const Rule divs(QStringLiteral("divs"), {QStringLiteral("2222"), QStringLiteral("4001")}, {},
                        {AnnouncementCategory::Kind::Dividends}, {}, Rule::Action::Urgent);
        QCOMPARE(preferences.rules().at(1), divs);
        // A name must stay and stay its own; the Watchlist's is taken.
        for (const QString& name : {QString(), QStringLiteral("Rule 1"), QStringLiteral("watchlist")})
            edit(editor.nameInput(), name);
        QCOMPARE(preferences.rules().at(1).name(), QStringLiteral("divs"));
        QCOMPARE(editor.nameInput()->text(), QStringLiteral("divs"));

        editor.moveSelected(-1);
        QCOMPARE(preferences.rules().first(), divs);
        QCOMPARE(editor.ruleList()->currentRow(), 0);
        editor.ruleList()->setCurrentRow(1);
        editor.removeSelected();
        QCOMPARE(preferences.rules(), QList<Rule>{divs});
        QCOMPARE(preferences.watchlistSymbols(), QSet<QString>{QStringLiteral("2222")});
        QCOMPARE(changed.count(), 8);
    }
};

QTEST_MAIN(TestRulesEditor)
#include "tst_ruleseditor.moc"
