#include "syndication/FeedContent.h"

#include "model/AnnouncementCategory.h"
#include "model/AnnouncementHeadline.h"
#include "model/RiyadhTime.h"

#include <QUrl>
#include <algorithm>

namespace {
const QString kTagPrefix = QStringLiteral("tag:zelvora.org,2026:");

bool allowedInXml(char32_t c)
{
    return c == 0x9 || c == 0xA || (c >= 0x20 && c <= 0x7E) || (c >= 0xA0 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD && !(c >= 0xFDD0 && c <= 0xFDEF)) ||
           (c >= 0x10000 && c <= 0x10FFFF && (c & 0xFFFE) != 0xFFFE);
}
} // namespace

FeedContent::FeedContent(const AnnouncementList& announcements, QString portalOrigin, QString language,
                         Instant now)
    : m_id(kTagPrefix + QStringLiteral("announcements")), m_portalOrigin(std::move(portalOrigin)),
      m_language(std::move(language))
{
    Instant newest = announcements.isEmpty() ? now : announcements.first().pubDate();
    m_entries.reserve(announcements.size());
    for (const Announcement& announcement : announcements) {
        newest = std::max(newest, announcement.pubDate());
        const QString title = safeText(announcement.displayTitle());
        const QString description =
            safeText(announcement.strippedDescription().replace(QLatin1String("\r\n"), QLatin1String("\n")));
        m_entries.append({kTagPrefix + QStringLiteral("announcement/") +
                              QString::fromLatin1(QUrl::toPercentEncoding(announcement.id())),
                          title, safeText(AnnouncementHeadline::of(announcement)),
                          description.isEmpty() ? title : description, safeText(announcement.link()),
                          dateText(announcement.pubDate()), announcement.companies(),
                          AnnouncementCategory::key(AnnouncementCategory::of(announcement)),
                          announcement.isArabic() ? QStringLiteral("ar") : QStringLiteral("en")});
        for (QString& symbol : m_entries.last().symbols)
            symbol = safeText(symbol.simplified());
    }
    m_updated = dateText(newest);
}

QString FeedContent::title() const
{
    return tr("Zelvora \u2014 Saudi Exchange announcements");
}

QString FeedContent::author() const
{
    return tr("Saudi Exchange");
}

QString FeedContent::safeText(const QString& text)
{
    QString safe = text;
    for (qsizetype i = 0; i < safe.size(); ++i) {
        const QChar unit = safe.at(i);
        if (unit.isHighSurrogate() && i + 1 < safe.size() && safe.at(i + 1).isLowSurrogate()) {
            if (!allowedInXml(QChar::surrogateToUcs4(unit, safe.at(i + 1))))
                safe.replace(i, 2, QChar::ReplacementCharacter);
            else
                ++i;
        } else if (unit.isSurrogate() || !allowedInXml(unit.unicode())) {
            safe[i] = QChar::ReplacementCharacter;
        }
    }
    return safe;
}

QString FeedContent::dateText(Instant instant)
{
    return instant.toDateTime().toTimeZone(RiyadhTime::zone()).toString(Qt::ISODate);
}
