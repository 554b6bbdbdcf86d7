#include "shell/AnnouncementWindowLoader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

// The module runs as the user once loaded, so a copy that others could have written is refused.
class TestAnnouncementWindowLoader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void refusesModulesOthersCanWrite_data()
    {
        QTest::addColumn<int>("fileMode");
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<bool>("throughLink"); // named by a symbolic link in a safe folder
        QTest::addColumn<bool>("refused");
        QTest::newRow("owner only") << 0755 << 0755 << false << false;
        QTest::newRow("group-writable file") << 0775 << 0755 << false << true;
        QTest::newRow("world-writable file") << 0757 << 0755 << false << true;
        QTest::newRow("world-writable folder, sticky") << 0755 << 01777 << false << true;
        QTest::newRow("group-writable folder") << 0755 << 0775 << false << true;
        QTest::newRow("link to a safe file") << 0755 << 0755 << true << false;
        QTest::newRow("link into a world-writable folder") << 0755 << 0777 << true << true;
    }

    void refusesModulesOthersCanWrite()
    {
        QFETCH(int, fileMode);
        QFETCH(int, folderMode);
        QFETCH(bool, throughLink);
        QFETCH(bool, refused);
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("lib")));
        const QString folder = root.filePath(QStringLiteral("lib"));
        const QString module = folder + QStringLiteral("/libzelvora-web.so");
        QVERIFY(QFile(module).open(QIODevice::WriteOnly));
        QCOMPARE(::chmod(QFile::encodeName(module).constData(), static_cast<mode_t>(fileMode)), 0);
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), static_cast<mode_t>(folderMode)), 0);
        QString path = module;
        if (throughLink) {
            path = root.filePath(QStringLiteral("link.so"));
            QVERIFY(QFile::link(module, path));
        }
        QCOMPARE(!AnnouncementWindowLoader::refusal(path).isEmpty(), refused);
    }
};

QTEST_GUILESS_MAIN(TestAnnouncementWindowLoader)
#include "tst_announcementwindowloader.moc"
