// `zelvora watch` as a systemd notify service: the real program against the portal simulator, with this
// test standing in for the service manager's notification socket; and the shipped unit file as systemd
// reads it.
#include "portalsim/PortalSimulator.h"
#include "support/TestFiles.h"
#include "support/ZelvoraProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// A unix datagram socket where the program sends its state, as systemd's NOTIFY_SOCKET.
struct NotifySocket
{
    QString path;
    int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    bool bound = false;

    explicit NotifySocket(const QString& at) : path(at)
    {
        sockaddr_un address{.sun_family = AF_UNIX, .sun_path = {}};
        const QByteArray bytes = QFile::encodeName(path);
        std::memcpy(address.sun_path, bytes.constData(),
                    std::min<size_t>(bytes.size(), sizeof address.sun_path - 1));
        bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~NotifySocket() { ::close(fd); }

    // The next message, waiting with the event loop running; empty on time-out.
    QByteArray next()
    {
        QByteArray message;
        (void)QTest::qWaitFor(
            [&] {
                char buffer[4096];
                message = QByteArray(buffer, std::max<ssize_t>(::recv(fd, buffer, sizeof buffer, 0), 0));
                return !message.isEmpty();
            },
            60000);
        return message;
    }
};

class TestServiceNotifier : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<NotifySocket> m_socket;
    QProcess m_watch;

    void startWatch(const QString& origin)
    {
        QProcessEnvironment env = ZelvoraProcess::environment(m_home->path(), origin);
        env.insert(u"NOTIFY_SOCKET"_s, m_socket->path);
        env.insert(u"WATCHDOG_USEC"_s, u"300000"_s); // pings every 150 ms
        env.remove(u"WATCHDOG_PID"_s);
        m_watch.setProcessEnvironment(env);
        m_watch.start(QStringLiteral(ZELVORA_EXE), {u"watch"_s});
        QVERIFY(m_watch.waitForStarted());
    }

    // The messages up to and including the first that starts with `prefix` (all of them on time-out).
    QByteArrayList until(const QByteArray& prefix)
    {
        QByteArrayList messages;
        while (messages.isEmpty() || !messages.last().startsWith(prefix)) {
            const QByteArray message = m_socket->next();
            if (message.isEmpty())
                break;
            messages.append(message);
        }
        return messages;
    }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        m_socket = std::make_unique<NotifySocket>(m_home->filePath(u"notify"_s));
        QVERIFY(m_socket->bound);
    }

    void cleanup()
    {
        if (m_watch.state() != QProcess::NotRunning) {
            m_watch.kill();
            m_watch.waitForFinished();
        }
    }

    // Ready only when the first poll has ended; the watchdog is pinged all the while, and the last
    // word before the program ends is that it stops.
    void readyAfterTheFirstPollWatchdogMeanwhile()
    {
        portalsim::PortalSimulator sim({.issuerItems = 5, .marketItems = 5});
        QVERIFY(sim.start());
        sim.setFault(portalsim::Feed::IssuerEN, 0, portalsim::Fault{.hold = true});
        startWatch(QString::fromStdString(sim.origin()));

        for (int ping = 0; ping < 3; ++ping)
            QCOMPARE(m_socket->next(), QByteArray("WATCHDOG=1"));
        QVERIFY(QTest::qWaitFor([&] { return sim.requestCount() == 1; })); // still held
        sim.releaseHeld();
        QByteArrayList messages = until("READY=1");
        QVERIFY2(messages.size() >= 2 && messages.last() == "READY=1" &&
                     messages.at(messages.size() - 2).endsWith(": 0 new, 10 kept"),
                 messages.join('|'));

        ::kill(static_cast<pid_t>(m_watch.processId()), SIGTERM);
        QVERIFY(until("STOPPING=1").endsWith("STOPPING=1"));
        QVERIFY(m_watch.state() == QProcess::NotRunning || m_watch.waitForFinished());
        QCOMPARE(m_watch.exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_watch.exitCode(), 0);
    }

    // A portal that refuses every connection still ends the first poll: ready, saying so.
    void readyWhenThePortalRefuses()
    {
        startWatch(u"http://127.0.0.1:1"_s);
        const QByteArrayList messages = until("READY=1");
        QVERIFY2(messages.size() >= 2 && messages.last() == "READY=1" &&
                     messages.at(messages.size() - 2).endsWith(": 0 new, 0 kept; no feed answered"),
                 messages.join('|'));
        QCOMPARE(m_watch.state(), QProcess::Running);
    }

    void unitFileAsSystemdReadsIt()
    {
        const QString analyze = QStandardPaths::findExecutable(u"systemd-analyze"_s);
        if (analyze.isEmpty())
            QSKIP("needs systemd-analyze (systemd)");
        QByteArray unit = readFile(QStringLiteral(ZELVORA_UNIT_TEMPLATE));
        unit.replace("@ZELVORA_BINDIR@",
                     QFile::encodeName(QFileInfo(QStringLiteral(ZELVORA_EXE)).absolutePath()));
        const QString file = m_home->filePath(u"zelvora.service"_s);
        QVERIFY(writeFile(file, unit));
        QProcess verify;
        verify.start(analyze, {u"verify"_s, file});
        QVERIFY(verify.waitForFinished());
        const QByteArray errors = verify.readAllStandardError();
        QVERIFY2(verify.exitCode() == 0 && !errors.contains("zelvora.service"), errors.constData());
    }
};

QTEST_GUILESS_MAIN(TestServiceNotifier)
#include "tst_servicenotifier.moc"
