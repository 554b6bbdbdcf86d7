#include "support/ZelvoraProcess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Runs the real executable against a settings file in a temporary XDG_CONFIG_HOME.
class TestDefaultsCommand : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

    struct Result
    {
        int status;
        QString out;
        QString err;
    };

    Result run(const QStringList& arguments, const QString& configHome = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome.isEmpty() ? m_home.path() : configHome);
        const ZelvoraProcess done = ZelvoraProcess::run(arguments, env, 30000);
        return {done.status, done.text().trimmed(), done.err};
    }

    QByteArray settingsBytes() const
    {
        QFile file(m_home.filePath(QStringLiteral("zelvora/settings.json")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void versionAndHelp()
    {
        QCOMPARE(run({QStringLiteral("--version")}).out, QStringLiteral("Zelvora 1.2.3 (6)"));
        const Result help = run({QStringLiteral("--help")});
        QCOMPARE(help.status, 0);
        QVERIFY(help.out.contains(QLatin1String("defaults")));
        QCOMPARE(run({QStringLiteral("no-such-command")}).status, 2);
    }

    void roundTripEveryType_data()
    {
        QTest::addColumn<QStringList>("write");
        QTest::addColumn<QString>("read");
        QTest::newRow("string") << QStringList{QStringLiteral("language"), QStringLiteral("-string"),
                                               QStringLiteral("ar")}
                                << QStringLiteral("ar");
        QTest::newRow("bool") << QStringList{QStringLiteral("showAllAnnouncements"), QStringLiteral("-bool"),
                                             QStringLiteral("false")}
                              << QStringLiteral("false");
        QTest::newRow("float") << QStringList{QStringLiteral("pollInterval"), QStringLiteral("-float"),
                                              QStringLiteral("600.5")}
                               << QStringLiteral("600.5");
        QTest::newRow("array") << QStringList{QStringLiteral("watchlistSymbols"), QStringLiteral("-array"),
                                              QStringLiteral("2222"), QStringLiteral("1120")}
                               << QStringLiteral("[\"2222\",\"1120\"]");
        QTest::newRow("date") << QStringList{QStringLiteral("lastPollDate"), QStringLiteral("-date"),
                                             QStringLiteral("2026-03-04T05:06:07Z")}
                              << QStringLiteral("2026-03-04T05:06:07.000Z");
    }

    void roundTripEveryType()
    {
        QFETCH(QStringList, write);
        QFETCH(QString, read);
        const Result written = run(QStringList{QStringLiteral("defaults"), QStringLiteral("write")} + write);
        QVERIFY2(written.status == 0, qPrintable(written.err));
        const Result value = run({QStringLiteral("defaults"), QStringLiteral("read"), write.first()});
        QCOMPARE(value.status, 0);
        QCOMPARE(value.out, read);
        QCOMPARE(run({QStringLiteral("defaults"), QStringLiteral("delete"), write.first()}).status, 0);
        QCOMPARE(run({QStringLiteral("defaults"), QStringLiteral("read"), write.first()}).status, 1);
    }

    void badInputLeavesFileUnchanged_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("bad bool") << QStringList{QStringLiteral("write"),
                                                 QStringLiteral("notificationsEnabled"),
                                                 QStringLiteral("-bool"), QStringLiteral("perhaps")};
        QTest::newRow("bad float") << QStringList{QStringLiteral("write"), QStringLiteral("pollInterval"),
                                                  QStringLiteral("-float"), QStringLiteral("3x")};
        QTest::newRow("bad date") << QStringList{QStringLiteral("write"), QStringLiteral("lastPollDate"),
                                                 QStringLiteral("-date"), QStringLiteral("yesterday")};
        QTest::newRow("unknown flag") << QStringList{QStringLiteral("write"), QStringLiteral("language"),
                                                     QStringLiteral("-text"), QStringLiteral("ar")};
        QTest::newRow("missing value")
            << QStringList{QStringLiteral("write"), QStringLiteral("language"), QStringLiteral("-string")};
        QTest::newRow("unknown verb") << QStringList{QStringLiteral("erase"), QStringLiteral("language")};
    }

    void badInputLeavesFileUnchanged()
    {
        QFETCH(QStringList, arguments);
        QCOMPARE(run({QStringLiteral("defaults"), QStringLiteral("write"), QStringLiteral("language"),
                      QStringLiteral("-string"), QStringLiteral("en")})
                     .status,
                 0);
        const QByteArray before = settingsBytes();
        const Result result = run(QStringList{QStringLiteral("defaults")} + arguments);
        QCOMPARE(result.status, 2);
        QVERIFY(result.err.startsWith(QLatin1String("zelvora: ")));
        QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
        QCOMPARE(settingsBytes(), before);
    }

    void watchlistFront()
    {
        QCOMPARE(run({QStringLiteral("watchlist"), QStringLiteral("add"), QStringLiteral("2222"),
                      QStringLiteral("1120")})
                     .status,
                 0);
        QCOMPARE(run({QStringLiteral("watchlist"), QStringLiteral("remove"), QStringLiteral("2222")}).status,
                 0);
        QCOMPARE(run({QStringLiteral("watchlist")}).out, QStringLiteral("1120"));
        QCOMPARE(run({QStringLiteral("watchlist"), QStringLiteral("add")}).status, 2);

        // Watch words: one word or phrase per call, the same word (folded) only once.
        for (const QString& word : {QStringLiteral("rights  issue"), QStringLiteral("توزيع أرباح"),
                                    QStringLiteral("Rights Issue"), QStringLiteral("Dividend")})
            QCOMPARE(run({QStringLiteral("watchlist"), QStringLiteral("add-word"), word}).status, 0);
        QCOMPARE(run({QStringLiteral("watchlist"), QStringLiteral("remove-word"), QStringLiteral("DIVIDEND")})
                     .status,
                 0);
        QCOMPARE(run({QStringLiteral("watchlist"), QStringLiteral("list")}).out,
                 QStringLiteral("1120\nword: rights issue\nword: توزيع أرباح"));
        QCOMPARE(run({QStringLiteral("watchlist"), QStringLiteral("add-word"), QStringLiteral("a"),
                      QStringLiteral("b")})
                     .status,
                 2);
        QCOMPARE(run({QStringLiteral("watchlist"), QStringLiteral("add-word"), QStringLiteral("  ")}).status,
                 2);
        // A settings file that cannot be written (a file stands where its folder should be).
        QTemporaryDir blocked;
        QFile(blocked.filePath(QStringLiteral("zelvora"))).open(QIODevice::WriteOnly);
        for (const char* verb : {"add", "remove"}) {
            const Result failed = run(
                {QStringLiteral("watchlist"), QLatin1String(verb), QStringLiteral("2222")}, blocked.path());
            QCOMPARE(failed.status, 1);
            QVERIFY2(failed.err.contains(QLatin1String("zelvora: could not write ")), qPrintable(failed.err));
        }
    }

    void dataOnStandardOutputLogOnStandardError()
    {
        QDir().mkpath(m_home.filePath(QStringLiteral("zelvora")));
        QFile file(m_home.filePath(QStringLiteral("zelvora/settings.json")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("{broken");
        file.close();
        for (const QStringList& arguments :
             {QStringList{QStringLiteral("defaults"), QStringLiteral("read")},
              QStringList{QStringLiteral("watchlist"), QStringLiteral("list")}}) {
            const Result result = run(arguments);
            QCOMPARE(result.status, 0);
            QVERIFY2(!result.out.contains(QLatin1String("[Preferences]")), qPrintable(result.out));
            QVERIFY(result.err.contains(QLatin1String("[Preferences] Settings file ")));
        }
        QFile::remove(file.fileName());
    }
};

QTEST_GUILESS_MAIN(TestDefaultsCommand)
#include "tst_defaultscommand.moc"
