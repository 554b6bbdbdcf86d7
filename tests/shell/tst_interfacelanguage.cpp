#include "model/Announcement.h"
#include "model/AnnouncementPage.h"
#include "model/InterfaceLanguage.h"
#include "model/RiyadhTime.h"
#include "shell/InterfaceTranslation.h"
#include "shell/TrayIcon.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {
struct Message
{
    QString source;
    QString type; // "unfinished", "vanished", "obsolete" or empty when finished
    QString translation;
};

QList<Message> readTs(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<Message> messages;
    QXmlStreamReader xml(&file);
    QString source;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("source"))
            source = xml.readElementText();
        else if (xml.name() == QLatin1String("translation"))
            messages.append({source, xml.attributes().value(QLatin1String("type")).toString(),
                             xml.readElementText(QXmlStreamReader::IncludeChildElements)});
    }
    return messages;
}

QSet<QString> placeholders(const QString& text)
{
    static const QRegularExpression marker(QStringLiteral("%L?[1-9]"));
    QSet<QString> found;
    for (auto it = marker.globalMatch(text); it.hasNext();)
        found.insert(it.next().captured().remove(QLatin1Char('L')));
    return found;
}

Announcement publishedAt(const QDateTime& riyadh)
{
    return Announcement(QStringLiteral("x"), QStringLiteral("t"), QString(), QString(),
                        Instant::fromDateTime(riyadh), {});
}

QDateTime riyadh(int month, int day, int hour, int minute)
{
    return QDateTime(QDate(2026, month, day), QTime(hour, minute), RiyadhTime::zone());
}
} // namespace

class TestInterfaceLanguage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void systemLanguageIsTheFirstPreferredOneZelvoraSpeaks_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("preferred");
        QTest::addColumn<QString>("language");
        const QStringList arabicSystem{QStringLiteral("ar-SA"), QStringLiteral("ar")};
        QTest::newRow("older file, Arabic system") << QString() << arabicSystem << QStringLiteral("ar");
        QTest::newRow("system, LANGUAGE=fr:ar")
            << QStringLiteral("system") << QStringList{QStringLiteral("fr-FR"), QStringLiteral("ar_EG.UTF-8")}
            << QStringLiteral("ar");
        QTest::newRow("English over Arabic system")
            << QStringLiteral("en") << arabicSystem << QStringLiteral("en");
        QTest::newRow("unknown value") << QStringLiteral("AR") << arabicSystem << QStringLiteral("ar");
    }

    void systemLanguageIsTheFirstPreferredOneZelvoraSpeaks()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, preferred);
        QFETCH(QString, language);
        QCOMPARE(InterfaceLanguage::resolve(InterfaceLanguage::fromSetting(stored), preferred), language);
    }

    void everySourceTextHasAFinishedTranslation_data()
    {
        QTest::addColumn<QString>("committed");
        QTest::addColumn<QStringList>("options");
        QTest::newRow("Arabic") << QStringLiteral(ZELVORA_AR_TS) << QStringList();
        QTest::newRow("English plurals")
            << QStringLiteral(ZELVORA_EN_TS) << QStringList{QStringLiteral("-pluralonly")};
    }

    void everySourceTextHasAFinishedTranslation()
    {
        // lupdate reads the sources as they are now into a copy of the committed file: a text added
        // without a translation comes out unfinished.
        QFETCH(QString, committed);
        QFETCH(QStringList, options);
        QTemporaryDir dir;
        const QString copy = dir.filePath(QFileInfo(committed).fileName());
        QVERIFY(QFile::copy(committed, copy));
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(QProcess::execute(
                     QStringLiteral(ZELVORA_LUPDATE),
                     options + QStringList{QStringLiteral("-silent"), QStringLiteral("-locations"),
                                           QStringLiteral("none"), QStringLiteral("-recursive"),
                                           QStringLiteral(ZELVORA_SOURCE_DIR), QStringLiteral("-ts"), copy}),
                 0);
        const QList<Message> messages = readTs(copy);
        QVERIFY(messages.size() > 10);
        QStringList problems;
        for (const Message& message : messages) {
            if (message.type == QLatin1String("vanished") || message.type == QLatin1String("obsolete"))
                continue; // no longer in the sources
            const QString where = QLatin1Char('"') + message.source + QLatin1Char('"');
            if (!message.type.isEmpty() || message.translation.trimmed().isEmpty())
                problems << where + QStringLiteral(" has no finished translation");
            else if (placeholders(message.translation) != placeholders(message.source))
                problems << where + QStringLiteral(": the translation's %-markers differ");
        }
        QVERIFY2(problems.isEmpty(),
                 qPrintable(committed +
                            QStringLiteral(" is behind the sources (update it with "
                                           "`cmake --build build/default --target update_translations`, "
                                           "then translate):\n") +
                            problems.join(QLatin1Char('\n'))));
    }

    void arabicMirrorsTheLayoutAndTranslatesEnglishDoesNot()
    {
        const QString englishTip = TrayIcon::trayTitle();
        {
            const InterfaceTranslation arabic(QStringLiteral("ar"), QLocale(QStringLiteral("ar_SA")));
            QVERIFY(arabic.hasTranslation());
            QCOMPARE(QGuiApplication::layoutDirection(), Qt::RightToLeft);
            QVERIFY(TrayIcon::trayTitle().contains(QStringLiteral("تداول")));
            // Qt's own texts come along (standard buttons).
            QCOMPARE(QCoreApplication::translate("QPlatformTheme", "OK"), QStringLiteral("حسنًا"));
        }
        QCOMPARE(QGuiApplication::layoutDirection(), Qt::LeftToRight);
        QCOMPARE(TrayIcon::trayTitle(), englishTip);

        // English brings only its plural forms.
        const InterfaceTranslation english(QStringLiteral("en"), QLocale(QStringLiteral("en_US")));
        QCOMPARE(QGuiApplication::layoutDirection(), Qt::LeftToRight);
        QCOMPARE(QCoreApplication::translate("NotificationManager",
                                             "%n announcements came while notifications waited", nullptr, 1),
                 QStringLiteral("1 announcement came while notifications waited"));
    }

    void datesAndDayWordsAreArabicWithLatinDigits()
    {
        const InterfaceTranslation arabic(QStringLiteral("ar"),
                                          InterfaceLanguage::localeFor(QStringLiteral("ar"), QLocale::c()));
        const Instant now = Instant::fromDateTime(riyadh(3, 6, 15, 0));
        const QTimeZone inRiyadh = RiyadhTime::zone();
        QCOMPARE(publishedAt(riyadh(3, 5, 23, 30)).displayDate(now, QLocale(), inRiyadh),
                 QStringLiteral("أمس 11:30 م"));
        QCOMPARE(publishedAt(riyadh(3, 6, 9, 5)).displayDate(now, QLocale(), QTimeZone::utc()),
                 QStringLiteral("9:05 ص بتوقيت الرياض"));
        // Gregorian months (the portal's dates), not the Hijri calendar Saudi Arabic defaults to.
        QCOMPARE(publishedAt(riyadh(3, 4, 14, 0)).displayDate(now, QLocale(), inRiyadh),
                 QStringLiteral("4 مارس، 2:00 م"));
        // On an English page the Arabic date keeps its order only when isolated.
        QVERIFY(AnnouncementPage::dateText(now).startsWith(QChar(0x2068)));
    }
};

QTEST_MAIN(TestInterfaceLanguage)
#include "tst_interfacelanguage.moc"
