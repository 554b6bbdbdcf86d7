#include "support/LoopbackHttpServer.h"
#include "support/TestFiles.h"
#include "support/ZelvoraProcess.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// `zelvora outputs` as a user runs it, against receivers on loopback.
class TestOutputsCommand : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    LoopbackHttpServer m_receiver{[](const httplib::Request& request, httplib::Response& response) {
        response.status = request.path == "/gone" ? 404 : 200;
    }};

    ZelvoraProcess run(const QStringList& arguments, const QByteArray& input = {})
    {
        return ZelvoraProcess::run(QStringList{u"outputs"_s} + arguments,
                                   ZelvoraProcess::environment(m_home.path()), 30000, input);
    }
    QString file(const QString& name) const { return m_home.filePath(u"config/zelvora/"_s + name); }
    QByteArray contents(const QString& name) const { return readFile(file(name)); }
    QString url(const char* path) const { return QString::fromUtf8(m_receiver.url(path)); }

private Q_SLOTS:
    // The secret, read from standard input, is kept apart from the settings, unreadable by others,
    // masked in the list and used when sending.
    void secretsStayOutOfSightButAreUsed()
    {
        const QByteArray token = "tok-0123456789-abcdef";
        ZelvoraProcess added = run({u"add"_s, u"desk"_s, u"--webhook"_s, url("/hook"), u"--token"_s, u"-"_s,
                                    u"--rule"_s, u"Watchlist"_s},
                                   token + "\n");
        QCOMPARE(added.status, 0);
        QVERIFY(!contents(u"settings.json"_s).contains(token));
        QVERIFY(contents(u"secrets.json"_s).contains(token));
        QCOMPARE(QFile(file(u"secrets.json"_s)).permissions() & 0x0077, QFile::Permissions());

        const ZelvoraProcess listed = run({u"list"_s});
        QCOMPARE(listed.status, 0);
        QVERIFY2(!listed.out.contains(token.left(8)) && listed.text().contains(u"token: ********cdef"_s),
                 listed.out.constData());
        QVERIFY(listed.text().startsWith(u"desk  webhook  "_s + url("/hook") + u"  rule: Watchlist"_s));

        const ZelvoraProcess tested = run({u"test"_s, u"desk"_s});
        QCOMPARE(tested.text(), u"desk: delivered\n"_s);
        QCOMPARE(tested.status, 0);
        QCOMPARE(m_receiver.requests().last().header("Authorization"), "Bearer " + token);
        QVERIFY(!tested.err.contains(QString::fromLatin1(token)));

        QCOMPARE(run({u"remove"_s, u"desk"_s}).status, 0);
        QVERIFY(!contents(u"secrets.json"_s).contains(token));
        QVERIFY(run({u"list"_s}).out.isEmpty());
    }

    void aRefusingReceiverFailsTheTest()
    {
        QCOMPARE(run({u"add"_s, u"old"_s, u"--ntfy"_s, url("/gone")}).status, 0);
        const ZelvoraProcess tested = run({u"test"_s, u"old"_s});
        QCOMPARE(tested.status, 1);
        QCOMPARE(tested.text(), u"old: refused: HTTP 404\n"_s);
        QCOMPARE(run({u"remove"_s, u"old"_s}).status, 0);
    }

    void wrongUseChangesNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        const QString hook = u"http://127.0.0.1:9/hook"_s;
        QTest::newRow("no kind") << QStringList{u"add"_s, u"a"_s};
        QTest::newRow("two kinds") << QStringList{u"add"_s, u"a"_s, u"--webhook"_s, hook, u"--ntfy"_s, hook};
        QTest::newRow("another kind's option")
            << QStringList{u"add"_s, u"a"_s, u"--webhook"_s, hook, u"--to"_s, u"x@y"_s};
        QTest::newRow("not a URL") << QStringList{u"add"_s, u"a"_s, u"--webhook"_s, u"file:///etc/passwd"_s};
        QTest::newRow("mail without recipient")
            << QStringList{u"add"_s, u"a"_s, u"--smtp"_s, u"smtp://127.0.0.1"_s};
        QTest::newRow("Matrix without token")
            << QStringList{u"add"_s, u"a"_s, u"--matrix"_s, hook, u"--room"_s, u"!r:x"_s};
        QTest::newRow("Telegram without chat") << QStringList{u"add"_s, u"a"_s, u"--telegram"_s, u"1:A"_s};
        QTest::newRow("unknown rule")
            << QStringList{u"add"_s, u"a"_s, u"--webhook"_s, hook, u"--rule"_s, u"none"_s};
        QTest::newRow("options outside add") << QStringList{u"list"_s, u"--token"_s, u"x"_s};
        QTest::newRow("unknown verb") << QStringList{u"send"_s, u"a"_s};
    }

    void wrongUseChangesNothing()
    {
        QFETCH(QStringList, arguments);
        const QByteArray before = contents(u"settings.json"_s);
        QCOMPARE(run(arguments).status, 2);
        QCOMPARE(contents(u"settings.json"_s), before);
    }
};

QTEST_GUILESS_MAIN(TestOutputsCommand)
#include "tst_outputscommand.moc"
