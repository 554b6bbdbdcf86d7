// `zelvora service` against stand-ins for systemctl and loginctl that record how they were called.
#include "cli/ServiceCommand.h"
#include "support/StdoutCapture.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using namespace Qt::StringLiterals;

class TestServiceCommand : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // A program that appends its name and arguments to "calls", prints "<name> output" and exits with
    // `status`; loginctl's `show-user` prints `linger` instead.
    QString standIn(const QString& name, int status, const QString& linger = u"no"_s)
    {
        const QString path = m_dir.filePath(name);
        writeFile(path, QStringLiteral(
                            "#!/bin/sh\necho %1 \"$@\" >> '%2'\n"
                            "if [ \"$1\" = show-user ]; then echo %3; else echo %1 output; fi\nexit %4\n")
                            .arg(name, m_dir.filePath(u"calls"_s), linger)
                            .arg(status)
                            .toUtf8());
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    QString calls() const { return QString::fromUtf8(readFile(m_dir.filePath(u"calls"_s))); }

private Q_SLOTS:
    void init() { QFile::remove(m_dir.filePath(u"calls"_s)); }

    void runsTheToolsAndExplains_data()
    {
        // arguments | systemctl's exit status ("missing": none there) | loginctl's Linger | exit status |
        // calls | the last line holds
        QTest::addColumn<QStringList>("row");
        for (const char* row :
             {"enable|0|no|0|systemctl --user enable --now zelvora.service;SHOW|unless lingering is on",
              "enable|0|yes|0|systemctl --user enable --now zelvora.service;SHOW|Lingering is on",
              "enable --linger|0|no|0|systemctl --user enable --now zelvora.service;loginctl enable-linger|"
              "Lingering is on",
              "enable --linger|1|no|1|systemctl --user enable --now zelvora.service|systemctl output",
              "disable|0|no|0|systemctl --user disable --now zelvora.service|is stopped",
              "status|3|no|1|systemctl --user status --no-pager zelvora.service|systemctl output",
              "disable --linger|0|no|2||", "status|missing|no|1||"})
            QTest::newRow(row) << QString::fromLatin1(row).split(QLatin1Char('|'));
    }

    void runsTheToolsAndExplains()
    {
        QFETCH(QStringList, row);
        const QString systemctl = row[1] == u"missing"_s ? m_dir.filePath(u"no-such-systemctl"_s)
                                                         : standIn(u"systemctl"_s, row[1].toInt());
        const ServiceCommand command({systemctl, standIn(u"loginctl"_s, 0, row[2])});
        QStringList arguments = row[0].split(QLatin1Char(' '));
        const bool linger = arguments.removeAll(u"--linger"_s) > 0;
        StdoutCapture out;
        QCOMPARE(command.run(arguments, linger), row[3].toInt());
        const QString showUser = u"loginctl show-user %1 --property=Linger --value"_s.arg(::getuid());
        const QString expected =
            row[4].isEmpty()
                ? QString()
                : QString(row[4]).replace(u"SHOW"_s, showUser).replace(QLatin1Char(';'), QLatin1Char('\n')) +
                      QLatin1Char('\n');
        QCOMPARE(calls(), expected);
        QVERIFY2(out.text().trimmed().section(QLatin1Char('\n'), -1).contains(row[5]),
                 qPrintable(out.text()));
    }
};

QTEST_GUILESS_MAIN(TestServiceCommand)
#include "tst_servicecommand.moc"
