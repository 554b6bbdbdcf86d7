#include "model/AnnouncementHeadline.h"

QString AnnouncementHeadline::of(const Announcement& announcement)
{
    const QString title = announcement.displayTitle();
    const QString description = announcement.strippedDescription().simplified();
    if (title.isEmpty())
        return description;
    // English puts the name first ("Arabian Energy Co. announces ..."), Arabic after the verb and
    // often after "company" ("تعلن شركة أرامكو عن ..." reads "announces company Aramco about ...").
    const qsizetype at = description.indexOf(title);
    if (at < 0 || at > kNameWithin)
        return description;
    QString before = description.left(at).trimmed();
    const QString company = QStringLiteral("\u0634\u0631\u0643\u0629"); // "شركة"
    if (before == company || before.endsWith(QLatin1Char(' ') + company))
        before.chop(company.size());
    return (before.trimmed() + QLatin1Char(' ') + description.mid(at + title.size()).trimmed()).trimmed();
}
