#pragma once

#include "outputs/OutputMessage.h"

#include <QDateTime>
#include <QList>
#include <QTimeZone>

// An Arabic announcement with markup and an entity in its text, as the portal sends them.
inline OutputItem arabicItem(const QString& id = QStringLiteral("se_42"))
{
    const Instant published =
        Instant::fromDateTime(QDateTime(QDate(2026, 12, 6), QTime(11, 5), QTimeZone::utc()));
    return OutputItem::of(Announcement(id, QStringLiteral("أرامكو تعلن عن توزيع أرباح نقدية 📈"),
                                       QStringLiteral("<p>أعلنت الشركة عن توزيع &amp; أرباح</p>"),
                                       QStringLiteral("https://www.saudiexchange.sa/n/") + id, published,
                                       {QStringLiteral("2222"), QStringLiteral("1120")}),
                          QStringLiteral("أرامكو السعودية"), QStringLiteral("Dividends"));
}

inline QList<OutputItem> burst(int count)
{
    QList<OutputItem> items;
    for (int i = 0; i < count; ++i)
        items.append(arabicItem(QStringLiteral("se_%1").arg(i)));
    return items;
}
