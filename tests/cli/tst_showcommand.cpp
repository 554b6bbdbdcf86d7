
#include "infra/Instant.h"
#include "support/TestFiles.h"
#include "support/ZelvoraProcess.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// Runs the real executable against a cache file in a temporary XDG_DATA_HOME.
class TestShowCommand : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    const Instant m_published = Instant::now().addSeconds(-3600);

    using Result = ZelvoraProcess;

    Result run(const QStringList& arguments)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.path());
        env.insert(QStringLiteral("TZ"), QStringLiteral("Asia/Riyadh"));
        env.insert(QStringLiteral("LANG"), QStringLiteral("en_US.UTF-8"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_US.UTF-8"));
        return ZelvoraProcess::run(QStringList{QStringLiteral("show")} + arguments, env, 30000);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QJsonArray cache;
        cache.append(QJsonObject{
            {QStringLiteral("id"), QStringLiteral("se_1")},
            {QStringLiteral("title"), QStringLiteral("Cash dividend & bonus")},
            {QStringLiteral("description"), QStringLiteral("<p>SAR 1.00 &amp; more</p>")},
            {QStringLiteral("link"), QStringLiteral("https://www.saudiexchange.sa/n/1")},
            {QStringLiteral("pubDate"), m_published.referenceSeconds()},
            {QStringLiteral("companies"), QJsonArray{QStringLiteral("1120"), QStringLiteral("2222")}}});
        // Older than 30 days: no longer kept.
        cache.append(
            QJsonObject{{QStringLiteral("id"), QStringLiteral("se_old")},
                        {QStringLiteral("title"), QStringLiteral("Old")},
                        {QStringLiteral("description"), QString()},
                        {QStringLiteral("link"), QString()},
                        {QStringLiteral("pubDate"), m_published.addSeconds(-40 * 86400.0).referenceSeconds()},
                        {QStringLiteral("companies"), QJsonArray()}});
        QVERIFY(writeFile(m_home.filePath(QStringLiteral("Quvex/announcements_cache.json")),
                          QJsonDocument(cache).toJson()));
    }

    void readableText()
    {
        const Result result = run({QStringLiteral("se_1")});
        QCOMPARE(result.status, 0);
        const QString out = QString::fromUtf8(result.out);
        QVERIFY2(out.startsWith(QStringLiteral("\U0001F4B0 Cash dividend & bonus\nDate: ")), qPrintable(out));
        QVERIFY(out.contains(QLatin1String("\nCompanies: 1120, 2222\n")));
        QVERIFY(out.contains(QLatin1String("\nLink: https://www.saudiexchange.sa/n/1\n")));
        QVERIFY(out.endsWith(QLatin1String("\n\nSAR 1.00 & more\n")));
    }

    void htmlIsThePageDocument()
    {
        const Result result = run({QStringLiteral("se_1"), QStringLiteral("--html")});
        QCOMPARE(result.status, 0);
        QVERIFY(result.out.startsWith("<!DOCTYPE html>\n"));
        QVERIFY(result.out.endsWith("</html>"));
        QVERIFY(result.out.contains("<h1>Cash dividend &amp; bonus</h1>"));
    }

    void errors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::newRow("unknown id") << QStringList{QStringLiteral("se_404")} << 1;
        QTest::newRow("expired") << QStringList{QStringLiteral("se_old")} << 1;
        QTest::newRow("no id") << QStringList{} << 2;
        QTest::newRow("unknown option") << QStringList{QStringLiteral("se_1"), QStringLiteral("--xml")} << 2;
    }

    void errors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        const Result result = run(arguments);
        QCOMPARE(result.status, status);
        QVERIFY(result.out.isEmpty());
        QVERIFY(result.err.startsWith(QLatin1String("zelvora: ")));
    }
};

QTEST_GUILESS_MAIN(TestShowCommand)
#include "tst_showcommand.moc"
