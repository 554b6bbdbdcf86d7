// The log handler: "[Component] message" lines on the stream it is given, whole from any thread;
// messages of Qt's own categories go on to the handler before it, silenced categories nowhere.
#include "infra/LogCategories.h"
#include "infra/LogOutput.h"

#include <QFile>
#include <QTest>
#include <QThread>
#include <cstdio>

using namespace Qt::StringLiterals;

Q_LOGGING_CATEGORY(lcQtOwn, "qt.test.own")

namespace {
QStringList s_passedOn;

void recordPassedOn(QtMsgType, const QMessageLogContext&, const QString& message)
{
    s_passedOn.append(message);
}

QString contents(FILE* stream)
{
    std::fflush(stream);
    std::rewind(stream);
    QFile file;
    return file.open(stream, QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
} // namespace

class TestLogOutput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void linesOnTheStreamGiven()
    {
        FILE* stream = std::tmpfile();
        const QtMessageHandler before = qInstallMessageHandler(&recordPassedOn);
        {
            const LogOutput log(stream);
            qCInfo(lcFetcher, "Cannot write %s", "/x/poll-status.json");
            qCInfo(lcNotificationManager, "Permission granted: %s", "true");
            qCWarning(lcQtOwn, "Qt's own");
            QLoggingCategory::setFilterRules(u"zelvora.fetcher.info=false"_s);
            qCInfo(lcFetcher, "silenced");
            QLoggingCategory::setFilterRules({});
        }
        qCInfo(lcFetcher, "after"); // the handler before it is back
        qInstallMessageHandler(before);
        QCOMPARE(contents(stream), QStringLiteral("[Fetcher] Cannot write /x/poll-status.json\n"
                                                  "[NotificationManager] Permission granted: true\n"));
        QCOMPARE(s_passedOn, (QStringList{u"Qt's own"_s, u"after"_s}));
        std::fclose(stream);
    }

    void linesStayWholeAcrossThreads()
    {
        FILE* stream = std::tmpfile();
        const QString text(300, u'x');
        {
            const LogOutput log(stream);
            const auto write = [&text] {
                for (int i = 0; i < 500; ++i)
                    qCInfo(lcFetcher, "%s", qUtf8Printable(text));
            };
            const std::unique_ptr<QThread> worker(QThread::create(write));
            worker->start();
            write();
            worker->wait();
        }
        const QStringList lines = contents(stream).split(u'\n');
        QCOMPARE(lines.size(), 1001); // and an empty last part after the final line feed
        for (const QString& line : lines.mid(0, 1000))
            QCOMPARE(line, u"[Fetcher] "_s + text);
        std::fclose(stream);
    }
};

QTEST_GUILESS_MAIN(TestLogOutput)
#include "tst_logoutput.moc"
