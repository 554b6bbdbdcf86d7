#include "history/HistoryExport.h"

#include "fetch/AnnouncementCache.h"
#include "model/AnnouncementCategory.h"
#include "model/RiyadhTime.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

QJsonObject HistoryExport::toJson(const HistoryRecord& record)
{
    QJsonObject object = AnnouncementCache::toJson(record.announcement);
    object.insert(QStringLiteral("category"),
                  AnnouncementCategory::key(AnnouncementCategory::of(record.announcement)));
    object.insert(QStringLiteral("read"), record.read);
    return object;
}

QByteArray HistoryExport::json(const HistoryRecordList& records)
{
    QJsonArray array;
    for (const HistoryRecord& record : records)
        array.append(toJson(record));
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

QString HistoryExport::csvField(const QString& text)
{
    QString field = text;
    // Spreadsheets run a cell starting with these as a formula (tab and CR are stripped before).
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (!field.isEmpty() && formulaStarts.contains(field.front()))
        field.prepend(QLatin1Char('\''));
    if (field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('"')) ||
        field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r'))) {
        field.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        field = QLatin1Char('"') + field + QLatin1Char('"');
    }
    return field;
}

QByteArray HistoryExport::csv(const HistoryRecordList& records,
                              const AnnouncementSearch::CompanyNames& companyNames)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    QString out = QStringLiteral("id,published,symbol,company,category,title,text,link\r\n");
    for (const HistoryRecord& record : records) {
        const Announcement& announcement = record.announcement;
        QStringList names;
        for (const QString& symbol : announcement.companies()) {
            if (companyNames)
                names.append(companyNames(symbol));
        }
        const QStringList fields = {
            announcement.id(),
            RiyadhTime::format(announcement.pubDate(), QStringLiteral("yyyy-MM-dd'T'HH:mm:ssxxx"), english),
            announcement.companies().join(QStringLiteral("; ")),
            names.join(QStringLiteral("; ")),
            AnnouncementCategory::key(AnnouncementCategory::of(announcement)),
            announcement.displayTitle(),
            announcement.strippedDescription(),
            announcement.link(),
        };
        QStringList quoted;
        for (const QString& field : fields)
            quoted.append(csvField(field));
        out += quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

bool HistoryExport::write(const QString& path, Format format, const HistoryRecordList& records,
                          const AnnouncementSearch::CompanyNames& companyNames, QString* error)
{
    QSaveFile file(path);
    const QByteArray bytes = format == Format::Csv ? csv(records, companyNames) : json(records);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
