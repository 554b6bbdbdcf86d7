// `zelvora autostart on` with hostile program paths, read back by GLib's own desktop-entry loader.
#include "cli/AutostartCommand.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestAutostartCommand : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString entryPath() const { return m_dir.filePath(QStringLiteral("config/autostart/zelvora.desktop")); }

    int runOn(const QString& program)
    {
        const AppPaths paths(m_dir.filePath(QStringLiteral("config")),
                             m_dir.filePath(QStringLiteral("data")));
        return AutostartCommand(program, paths).run({QStringLiteral("on")});
    }

private Q_SLOTS:
    void launcherRunsExactlyThisProgram_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("space") << QStringLiteral("my programs");
        QTest::newRow("shell characters") << QStringLiteral("a\"b`c$HOME\\d'e");
        QTest::newRow("desktop-entry escapes") << QStringLiteral("x\\ny\\sz=[Desktop Entry]");
    }

    void launcherRunsExactlyThisProgram()
    {
        const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
        if (gio.isEmpty())
            QSKIP("needs gio (libglib2.0-bin)");
        QFETCH(QString, folder);
        const QString program = m_dir.filePath(folder + QStringLiteral("/zelvora"));
        const QString record = m_dir.filePath(QStringLiteral("launched"));
        QVERIFY(QDir().mkpath(m_dir.filePath(folder)));
        QFile script(program);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(
            "#!/bin/sh\nprintf '%s' \"$0\" > \"$ZELVORA_TEST_RECORD.tmp\" && mv \"$ZELVORA_TEST_RECORD.tmp\" "
            "\"$ZELVORA_TEST_RECORD\"\n");
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        script.close();

        QCOMPARE(runOn(program), 0);
        QFile::remove(record);
        QProcess launcher;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ZELVORA_TEST_RECORD"), record);
        launcher.setProcessEnvironment(env);
        launcher.start(gio, {QStringLiteral("launch"), entryPath()});
        QVERIFY(launcher.waitForFinished(30000));
        QVERIFY2(launcher.exitCode() == 0, launcher.readAllStandardError().constData());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 30000);
        QFile launched(record);
        QVERIFY(launched.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(launched.readAll()), program);
    }

    void injectionIsRefusedOrEscaped()
    {
        // A line feed would add "Hidden=true" and a second Exec= line: refused, nothing written.
        QFile::remove(entryPath());
        QCOMPARE(runOn(QStringLiteral("/opt/z\nHidden=true\nExec=/bin/evil")), 1);
        QCOMPARE(runOn(QStringLiteral("/opt/z\u009b")), 1);
        QVERIFY(!QFile::exists(entryPath()));
        // % would start a field code (%u, %f): it is doubled.
        QCOMPARE(AutostartCommand::execArgument(QStringLiteral("/opt/100%u/zelvora")),
                 QStringLiteral("\"/opt/100%%u/zelvora\""));
    }
};

QTEST_GUILESS_MAIN(TestAutostartCommand)
#include "tst_autostartcommand.moc"
