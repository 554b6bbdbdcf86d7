#include "archive/SqlStatement.h"

#include "model/AnnouncementCategory.h"

#include <QJsonArray>
#include <QJsonDocument>

QString SqlStatement::companiesText(const QStringList& companies)
{
    return QString::fromUtf8(
        QJsonDocument(QJsonArray::fromStringList(companies)).toJson(QJsonDocument::Compact));
}

QStringList SqlStatement::companies(const QString& text)
{
    QStringList out;
    for (const QJsonValue& value : QJsonDocument::fromJson(text.toUtf8()).array())
        out.append(value.toString());
    return out;
}

Announcement SqlStatement::announcement(sqlite3_stmt* statement, int first)
{
    Announcement announcement(text(statement, first), text(statement, first + 1), text(statement, first + 2),
                              text(statement, first + 3),
                              Instant::fromReferenceSeconds(sqlite3_column_double(statement, first + 4)),
                              companies(text(statement, first + 5)));
    AnnouncementCategory::assume(announcement, text(statement, first + 6));
    return announcement;
}
