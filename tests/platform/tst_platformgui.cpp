#include "platform/gui/TrayNotificationBackend.h"
#include "windows/UpdateDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class TestPlatformGui : public QObject
{
    Q_OBJECT

    static UpdateCheckResult available(const QString& download, const QString& notes)
    {
        return {UpdateCheckResult::Outcome::UpdateAvailable,
                AppcastItem{QStringLiteral("Zelvora"), QStringLiteral("7"), QStringLiteral("1.2.4"), notes,
                            download},
                {}};
    }

private Q_SLOTS:
    void dialogStates()
    {
        Updater updater(QStringLiteral("http://127.0.0.1:9/never-used.xml"));
        UpdateDialog dialog(updater);
        QList<QUrl> opened;
        dialog.setUrlOpener([&](const QUrl& url) { opened.append(url); });

        dialog.showResult({UpdateCheckResult::Outcome::UpToDate, {}, {}});
        QVERIFY(!dialog.downloadButton()->isVisible());

        dialog.showResult(available(QStringLiteral("https://dl.example/zelvora-1.2.4.tar.gz"),
                                    QStringLiteral("https://notes.example/1.2.4")));
        QVERIFY(dialog.message().contains(QStringLiteral("1.2.4")));
        QVERIFY(dialog.downloadButton()->isVisible());
        const auto labels = dialog.findChildren<QLabel*>();
        QVERIFY(std::any_of(labels.cbegin(), labels.cend(), [](QLabel* label) {
            return label->isVisible() &&
                   label->text().contains(QStringLiteral("https://notes.example/1.2.4"));
        }));
        QTest::mouseClick(dialog.downloadButton(), Qt::LeftButton);
        QCOMPARE(opened, QList<QUrl>{QUrl(QStringLiteral("https://dl.example/zelvora-1.2.4.tar.gz"))});
    }

    void dialogOpensOnlyWebAddresses()
    {
        Updater updater(QStringLiteral("http://127.0.0.1:9/never-used.xml"));
        UpdateDialog dialog(updater);
        dialog.showResult(available(QStringLiteral("file:///bin/sh"), QStringLiteral("javascript:alert(1)")));
        QVERIFY(!dialog.downloadButton()->isVisible());
        const auto labels = dialog.findChildren<QLabel*>();
        QVERIFY(std::none_of(labels.cbegin(), labels.cend(), [](QLabel* label) {
            return label->isVisible() && label->text().contains(QStringLiteral("javascript"));
        }));

        // A version text that looks like HTML is shown as text, never read as markup (an <img> would
        // be loaded from the disk).
        dialog.showResult({UpdateCheckResult::Outcome::UpdateAvailable,
                           AppcastItem{QStringLiteral("Zelvora"),
                                       QStringLiteral("7"),
                                       QStringLiteral("<img src=\"/dev/zero\">"),
                                       {},
                                       {}},
                           {}});
        const auto shown = dialog.findChildren<QLabel*>();
        QVERIFY(std::any_of(shown.cbegin(), shown.cend(), [](QLabel* label) {
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
