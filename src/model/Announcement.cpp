#include "model/Announcement.h"

#include "model/DisplayTime.h"
#include "model/UnicodeText.h"

#include <QCoreApplication>
#include <QHashFunctions>
#include <QRegularExpression>

Announcement::Announcement(QString id, QString title, QString description, QString link, Instant pubDate,
                           QStringList companies)
    : m_id(std::move(id)), m_title(std::move(title)), m_description(std::move(description)),
      m_link(std::move(link)), m_pubDate(pubDate), m_companies(std::move(companies))
{
}

bool Announcement::isArabic() const
{
    const QString first = UnicodeText::firstGrapheme(m_title);
    for (const char32_t scalar : first.toUcs4()) {
        if ((scalar >= 0x0600 && scalar <= 0x06FF) || (scalar >= 0x0750 && scalar <= 0x077F) ||
            (scalar >= 0xFB50 && scalar <= 0xFDFF) || (scalar >= 0xFE70 && scalar <= 0xFEFF))
            return true;
    }
    return false;
}

Qt::LayoutDirection Announcement::textDirection() const
{
    return isArabic() ? Qt::RightToLeft : Qt::LeftToRight;
}

Qt::Alignment Announcement::textAlignment() const
{
    return isArabic() ? Qt::AlignRight : Qt::AlignLeft;
}

QString Announcement::displayDate() const
{
    return displayDate(Instant::now(), QLocale());
}

QString Announcement::displayDate(Instant now, const QLocale& locale, const QTimeZone& system) const
{
    return DisplayTime::announcement(m_pubDate, now, locale, system);
}

namespace {
// Only HTML's own elements (and comments) are markup: "Arabian & <Energy> Co" keeps its "<Energy>".
// Elements that break a line or a cell leave a space, so a table's cells do not run together.
const QRegularExpression& markupPattern()
{
    static const QRegularExpression markup(
        QStringLiteral(
            "<!--.*?-->|<(/?)(?:(a|abbr|b|bdi|bdo|big|code|em|font|i|img|ins|del|kbd|label|mark|q|s|samp|"
            "small|span|strike|strong|sub|sup|time|tt|u|var|wbr)|(address|article|aside|blockquote|br|"
            "caption|center|col|colgroup|dd|div|dl|dt|figcaption|figure|footer|h[1-6]|header|hr|li|main|"
            "nav|ol|p|pre|section|table|tbody|td|tfoot|th|thead|tr|ul))(?=[\\s/>])[^<>]*>"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    return markup;
}

QString withoutMarkup(const QString& html)
{
    QString text;
    qsizetype last = 0;
    for (auto it = markupPattern().globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        text += QStringView(html).mid(last, match.capturedStart() - last);
        if (match.hasCaptured(3))
            text += QLatin1Char(' ');
        last = match.capturedEnd();
    }
    text += QStringView(html).mid(last);
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&#39;"), QLatin1String("'"));
    text.replace(QLatin1String("&nbsp;"), QLatin1String(" "));
    // QString::trimmed strips exactly the Unicode space separators, tab, U+000A-U+000D, U+0085,
    // U+2028 and U+2029.
    return text.trimmed();
}

// "&#8364;" and "&#x20AC;"; references to nothing a text can hold stay as written.
QString withNumericReferencesDecoded(const QString& text)
{
    static const QRegularExpression reference(QStringLiteral("&#(?:([0-9]{1,7})|[xX]([0-9A-Fa-f]{1,6}));"));
    QString out;
    qsizetype last = 0;
    for (auto it = reference.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const bool decimal = match.hasCaptured(1);
        bool ok = false;
        const uint scalar = decimal ? match.captured(1).toUInt(&ok, 10) : match.captured(2).toUInt(&ok, 16);
        if (!ok || scalar == 0 || scalar > 0x10FFFF || (scalar >= 0xD800 && scalar <= 0xDFFF))
            continue;
        out += QStringView(text).mid(last, match.capturedStart() - last);
        const char32_t character = scalar;
        out += QString::fromUcs4(&character, 1);
        last = match.capturedEnd();
    }
    out += QStringView(text).mid(last);
    return out;
}
} // namespace

QString Announcement::strippedDescription() const
{
    return withNumericReferencesDecoded(withoutMarkup(m_description));
}

QString Announcement::displayTitle() const
{
    // The Saudi riyal sign (U+20C1, the portal draws it with a web font of its own) is in no font
    // here yet: written as its currency code, as the headlines themselves do ("SAR 1.50 per share").
    return withNumericReferencesDecoded(withoutMarkup(m_title))
        .replace(QChar(0x20C1), QLatin1String("SAR"))
        .simplified();
}

bool operator==(const Announcement& a, const Announcement& b)
{
    return a.m_id == b.m_id && a.m_title == b.m_title && a.m_description == b.m_description &&
           a.m_link == b.m_link && a.m_pubDate == b.m_pubDate && a.m_companies == b.m_companies;
}

size_t qHash(const Announcement& announcement, size_t seed)
{
    return qHashMulti(seed, announcement.id(), announcement.title(), announcement.description(),
                      announcement.link(), announcement.pubDate().referenceSeconds(),
                      announcement.companies());
}
