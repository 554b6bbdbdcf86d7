#include "model/Preferences.h"
#include "outputs/OutputStore.h"
#include "support/LoopbackHttpServer.h"
#include "windows/OutputsEditor.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The settings window's outputs section, offscreen, over real settings and secrets files.
class TestOutputsEditor : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void addTestAndRemove()
    {
        LoopbackHttpServer receiver;
        Preferences preferences(m_dir.filePath(QStringLiteral("settings.json")));
        OutputsEditor editor(preferences, QStringLiteral("https://portal.example"));
        OutputStore store(preferences);

        // Matrix cannot work without its access token: refused with a message, nothing stored.
        editor.nameInput()->setText(QStringLiteral("room"));
        editor.kindPopup()->setCurrentIndex(int(OutputConfig::Kind::Matrix));
        editor.addressInput()->setText(QString::fromUtf8(receiver.url("")));
        QVERIFY(!editor.addFromForm());
        QVERIFY(!editor.message()->text().isEmpty());
        QVERIFY(store.outputs().isEmpty());

        editor.nameInput()->setText(QStringLiteral("hook"));
        editor.kindPopup()->setCurrentIndex(int(OutputConfig::Kind::Webhook));
        editor.addressInput()->setText(QString::fromUtf8(receiver.url("/hook")));
        editor.secretInput()->setText(QStringLiteral("tok"));
        QVERIFY(editor.addFromForm());
        QCOMPARE(store.outputs().size(), 1);
        QCOMPARE(store.secret(QStringLiteral("hook")), QStringLiteral("tok"));
        QVERIFY(editor.secretInput()->text().isEmpty());
        QCOMPARE(editor.list()->count(), 1);

        editor.list()->setCurrentRow(0);
        QSignalSpy finished(&editor, &OutputsEditor::testFinished);
        editor.testSelected();
        QVERIFY(finished.wait(10000));
        QCOMPARE(receiver.count(), 1);
        QCOMPARE(receiver.requests().first().header("Authorization"), "Bearer tok");
        QVERIFY(editor.message()->text().contains(QLatin1String("delivered")));

        editor.removeSelected();
        QVERIFY(store.outputs().isEmpty());
        QCOMPARE(editor.list()->count(), 0);
    }
};

QTEST_MAIN(TestOutputsEditor)
#include "tst_outputseditor.moc"
