#include "shell/AnnouncementMenuLine.h"

#include "model/AnnouncementHeadline.h"
#include "model/UnicodeText.h"
#include "shell/AnnouncementMenuItem.h"

#include <algorithm>

namespace {
// Arabic runs are isolated so that the date and symbol after them keep their places.
QString isolated(const QString& text, bool rightToLeft)
{
    return rightToLeft ? QChar(0x2067) + text + QChar(0x2069) : text;
}
} // namespace

QString AnnouncementMenuLine::text(const Announcement& announcement, const QString& emoji,
                                   const QString& date)
{
    const bool rightToLeft = announcement.isArabic();
    const QString fullTitle = announcement.displayTitle();
    const QString headline = AnnouncementMenuLine::headline(announcement);
    // Without a headline (market news repeats its title) the title gets the whole width.
    const QString title =
        AnnouncementMenuItem::shortened(fullTitle, headline.isEmpty() ? kTextLength : kTitleLength);
    QString line = emoji + QLatin1Char(' ') + isolated(title, rightToLeft);
    if (!headline.isEmpty()) {
        const int room = std::max(kTextLength - int(UnicodeText::graphemeCount(title)), kTitleLength / 2);
        line += QStringLiteral(" \u2014 ") +
                isolated(AnnouncementMenuItem::shortened(headline, room), rightToLeft);
    }
    const QStringList& companies = announcement.companies();
    if (!companies.isEmpty())
        line += QStringLiteral("  \u00B7  ") + companies.first() +
                (companies.size() > 1 ? QStringLiteral(" +%1").arg(companies.size() - 1) : QString());
    if (!date.isEmpty())
        line += QStringLiteral("  \u00B7  ") + date;
    return line;
}

QString AnnouncementMenuLine::headline(const Announcement& announcement)
{
    return AnnouncementHeadline::of(announcement);
}

QString AnnouncementMenuLine::escapedForExport(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('_'), QLatin1String("__"));
    // Qt exports only the first "&" as an access key ("_"); doubled, it still shows as "&".
    const qsizetype ampersand = escaped.indexOf(QLatin1Char('&'));
    if (ampersand >= 0)
        escaped.insert(ampersand, QLatin1Char('&'));
    return escaped;
}
