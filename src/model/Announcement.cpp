#include "model/Announcement.h"

#include "model/RiyadhTime.h"
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

QString Announcement::displayDate(Instant now, const QLocale& locale) const
{
    const QDate day = RiyadhTime::calendarDay(m_pubDate);
    const QDate today = RiyadhTime::calendarDay(now);
    // Date patterns (Unicode UTS #35: quoted text is kept as it is) are translated with the
    // interface, so each language orders day, month and time its own way.
    const char* pattern = nullptr;
    if (day == today)
        pattern = QT_TRANSLATE_NOOP("Announcement", "h:mm a");
    else if (day == today.addDays(-1))
        pattern = QT_TRANSLATE_NOOP("Announcement", "'Yesterday' h:mm a");
    else
        pattern = QT_TRANSLATE_NOOP("Announcement", "MMM d, h:mm a");
    return RiyadhTime::format(m_pubDate, QCoreApplication::translate("Announcement", pattern), locale);
}

namespace {
QString withoutMarkup(const QString& html)
{
    // Deleting the first match of <[^>]+> and searching again from the start gives the same text as
    // one left-to-right pass: a deletion can never create a match that begins before it.
    static const QRegularExpression markup(QStringLiteral("<[^>]+>"));
    QString text = html;
    text.remove(markup);
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
    return withoutMarkup(m_description);
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
