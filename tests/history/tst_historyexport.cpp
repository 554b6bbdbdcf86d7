#include "history/HistoryExport.h"
#include "support/TestFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

class TestHistoryExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void csvField_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("field");
        QTest::newRow("plain") << QStringLiteral("Cash dividend") << QStringLiteral("Cash dividend");
        QTest::newRow("arabic intact") << QStringLiteral("توزيع أرباح") << QStringLiteral("توزيع أرباح");
        QTest::newRow("comma") << QStringLiteral("a, b") << QStringLiteral("\"a, b\"");
        QTest::newRow("quotes doubled")
            << QStringLiteral("the \"board\"") << QStringLiteral("\"the \"\"board\"\"\"");
        QTest::newRow("line breaks") << QStringLiteral("a\nb\r\nc") << QStringLiteral("\"a\nb\r\nc\"");
        QTest::newRow("formula") << QStringLiteral("=HYPERLINK(\"x\")")
                                 << QStringLiteral("\"'=HYPERLINK(\"\"x\"\")\"");
        QTest::newRow("plus") << QStringLiteral("+966") << QStringLiteral("'+966");
        QTest::newRow("minus") << QStringLiteral("-1.5%") << QStringLiteral("'-1.5%");
        QTest::newRow("at") << QStringLiteral("@SUM(A1)") << QStringLiteral("'@SUM(A1)");
        QTest::newRow("tab") << QStringLiteral("\t=1") << QStringLiteral("'\t=1");
        QTest::newRow("carriage return") << QStringLiteral("\r=1") << QStringLiteral("\"'\r=1\"");
        QTest::newRow("formula sign later") << QStringLiteral("a=b-c") << QStringLiteral("a=b-c");
        QTest::newRow("empty") << QString() << QString();
    }
    void csvField()
    {
        QFETCH(QString, text);
        QFETCH(QString, field);
        QCOMPARE(HistoryExport::csvField(text), field);
    }

    void csvFileAndJsonFile()
    {
        // 2026-12-06T11:05:00Z: 14:05 in Riyadh.
        const Instant published =
            Instant::fromDateTime(QDateTime(QDate(2026, 12, 6), QTime(11, 5), QTimeZone::utc()));
        const HistoryRecordList records = {
            {Announcement(QStringLiteral("se_1"), QStringLiteral("=cmd|' /C calc'!A0"),
                          QStringLiteral("<p>أرباح &amp; نمو</p>"), QStringLiteral("https://x.test/1"),
                          published, {QStringLiteral("2222"), QStringLiteral("1120")}),
             true},
            {Announcement(QStringLiteral("se_2"), QStringLiteral("News"), {}, {}, published, {}), false}};
        const auto names = [](const QString& symbol) {
            return symbol == QLatin1String("2222") ? QStringLiteral("Arabian Energy, Co.") : QString();
        };
        QTemporaryDir folder;
        const QString csvPath = folder.filePath(QStringLiteral("out.csv"));
        QVERIFY(HistoryExport::write(csvPath, HistoryExport::Format::Csv, records, names, nullptr));
        QCOMPARE(readFile(csvPath),
                 QStringLiteral("\uFEFFid,published,symbol,company,category,title,text,link\r\n"
                                "se_1,2026-12-06T14:05:00+03:00,2222; 1120,\"Arabian Energy, Co.; \",other,"
                                "'=cmd|' /C calc'!A0,أرباح & نمو,https://x.test/1\r\n"
                                "se_2,2026-12-06T14:05:00+03:00,,,other,News,,\r\n")
                     .toUtf8());

        const QString jsonPath = folder.filePath(QStringLiteral("out.json"));
        QVERIFY(HistoryExport::write(jsonPath, HistoryExport::Format::Json, records, names, nullptr));
        const QJsonArray array = QJsonDocument::fromJson(readFile(jsonPath)).array();
        QCOMPARE(array.size(), 2);
        QCOMPARE(array.at(0)[QStringLiteral("companies")].toArray().size(), 2);
        QCOMPARE(array.at(0)[QStringLiteral("category")].toString(), QStringLiteral("other"));
        QCOMPARE(array.at(0)[QStringLiteral("read")].toBool(), true);
        QCOMPARE(array.at(1)[QStringLiteral("read")].toBool(), false);

        QString error;
        QVERIFY(!HistoryExport::write(folder.filePath(QStringLiteral("missing/out.csv")),
                                      HistoryExport::Format::Csv, records, names, &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestHistoryExport)
#include "tst_historyexport.moc"
