#include "platform/gui/TrayNotificationBackend.h"
#include "windows/UpdateDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

class TestPlatformGui : public QObject
{
    Q_OBJECT

    static UpdateCheckResult available(const QString& version, const QString& download, const QString& notes)
    {
        return {UpdateCheckResult::Outcome::UpdateAvailable,
                AppcastItem{u"Zelvora"_s, u"7"_s, version, notes, download},
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
        Updater updater(u"http://127.0.0.1:9/never-used.xml"_s);
        UpdateDialog dialog(updater);
        QList<QUrl> opened;
        dialog.setUrlOpener([&](const QUrl& url) { opened.append(url); });
        dialog.showResult({UpdateCheckResult::Outcome::UpToDate, {}, {}});
        QVERIFY(!dialog.downloadButton()->isVisible());

        const QString download = u"https://dl.example/zelvora-1.2.4.tar.gz"_s;
        dialog.showResult(available(u"1.2.4"_s, download, u"https://notes.example/1.2.4"_s));
        QVERIFY(dialog.message().contains(u"1.2.4"_s));
        QVERIFY(anyLabel(dialog, [](const QLabel* label) {
            return label->isVisible() && label->text().contains(u"https://notes.example/1.2.4"_s);
        }));
        QTest::mouseClick(dialog.downloadButton(), Qt::LeftButton);
        QCOMPARE(opened, QList<QUrl>{QUrl(download)});

        dialog.showResult(
            available(u"<img src=\"/dev/zero\">"_s, u"file:///bin/sh"_s, u"javascript:alert(1)"_s));
        QVERIFY(!dialog.downloadButton()->isVisible());
        QVERIFY(!anyLabel(dialog, [](const QLabel* label) {
            return label->isVisible() && label->text().contains(u"javascript"_s);
        }));
        QVERIFY(anyLabel(dialog, [](const QLabel* label) {
            return label->text().contains(u"<img"_s) && label->textFormat() == Qt::PlainText;
        }));
    }

    void trayWithoutSystemTrayReportsAnError()
    {
        QSystemTrayIcon icon;
        TrayNotificationBackend backend(&icon);
        QSignalSpy activated(&backend, &NotificationBackend::activated);
        QString error;
        backend.post({u"A1"_s, u"t"_s, u"b"_s, {}}, [&](const QString& e) { error = e; });
        QVERIFY(!error.isEmpty());
        Q_EMIT icon.messageClicked(); // a balloon that was not ours
        QCOMPARE(activated.size(), 0);
    }
};

QTEST_MAIN(TestPlatformGui)
#include "tst_platformgui.moc"
