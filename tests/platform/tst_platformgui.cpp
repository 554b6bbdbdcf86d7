#include "platform/gui/TrayNotificationBackend.h"
#include "windows/UpdateDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class TestPlatformGui : public QObject
{
    Q_OBJECT

    static UpdateCheckResult available(const QString& version, const QString& download, const QString& notes)
    {
        return {UpdateCheckResult::Outcome::UpdateAvailable,
                AppcastItem{QStringLiteral("Zelvora"), QStringLiteral("7"), version, notes, download},
                {}};
    }

    static bool anyLabel(const UpdateDialog& dialog, const std::function<bool(const QLabel*)>& test)
    {
        const auto labels = dialog.findChildren<QLabel*>();
        return std::any_of(labels.cbegin(), labels.cend(), test);
    }

private Q_SLOTS:
    // The update dialog opens only web addresses, and shows the version as text, never as markup (an
    // <img> would be loaded from the disk).
    void updateDialog()
    {
        Updater updater(QStringLiteral("http://127.0.0.1:9/never-used.xml"));
        UpdateDialog dialog(updater);
        QList<QUrl> opened;
        dialog.setUrlOpener([&](const QUrl& url) { opened.append(url); });
        dialog.showResult({UpdateCheckResult::Outcome::UpToDate, {}, {}});
        QVERIFY(!dialog.downloadButton()->isVisible());

        const QString download = QStringLiteral("https://dl.example/zelvora-1.2.4.tar.gz");
        dialog.showResult(
            available(QStringLiteral("1.2.4"), download, QStringLiteral("https://notes.example/1.2.4")));
        QVERIFY(dialog.message().contains(QStringLiteral("1.2.4")));
        QVERIFY(anyLabel(dialog, [](const QLabel* label) {
            return label->isVisible() &&
                   label->text().contains(QStringLiteral("https://notes.example/1.2.4"));
        }));
        QTest::mouseClick(dialog.downloadButton(), Qt::LeftButton);
        QCOMPARE(opened, QList<QUrl>{QUrl(download)});

        dialog.showResult(available(QStringLiteral("<img src=\"/dev/zero\">"),
                                    QStringLiteral("file:///bin/sh"), QStringLiteral("javascript:alert(1)")));
        QVERIFY(!dialog.downloadButton()->isVisible());
        QVERIFY(!anyLabel(dialog, [](const QLabel* label) {
            return label->isVisible() && label->text().contains(QStringLiteral("javascript"));
        }));
        QVERIFY(anyLabel(dialog, [](const QLabel* label) {
            return label->text().contains(QLatin1String("<img")) && label->textFormat() == Qt::PlainText;
        }));
    }

    void trayWithoutSystemTrayReportsAnError()
    {
        QSystemTrayIcon icon;
        TrayNotificationBackend backend(&icon);
        QSignalSpy activated(&backend, &NotificationBackend::activated);
        QString error;
        backend.post({QStringLiteral("A1"), QStringLiteral("t"), QStringLiteral("b"), {}},
                     [&](const QString& e) { error = e; });
        QVERIFY(!error.isEmpty());
        Q_EMIT icon.messageClicked(); // a balloon that was not ours
        QCOMPARE(activated.size(), 0);
    }
};

QTEST_MAIN(TestPlatformGui)
#include "tst_platformgui.moc"
