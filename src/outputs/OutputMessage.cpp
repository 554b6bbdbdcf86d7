#include "outputs/OutputMessage.h"

#include "model/AnnouncementCategory.h"
#include "model/RiyadhTime.h"

#include <QCryptographicHash>

OutputItem OutputItem::of(const Announcement& announcement, const QString& company, const QString& rule)
{
    return {announcement, company, AnnouncementCategory::key(AnnouncementCategory::of(announcement)), rule};
}

QString OutputItem::symbol() const
{
    return announcement.companies().value(0);
}

QString OutputItem::date() const
{
    return announcement.pubDate().toDateTime().toTimeZone(RiyadhTime::zone()).toString(Qt::ISODate);
}

QJsonObject OutputItem::toJson() const
{
    return {{QStringLiteral("id"), announcement.id()},
            {QStringLiteral("title"), announcement.displayTitle()},
            {QStringLiteral("text"), announcement.strippedDescription()},
            {QStringLiteral("symbol"), symbol()},
            {QStringLiteral("company"), company},
            {QStringLiteral("category"), category},
            {QStringLiteral("date"), date()},
            {QStringLiteral("link"), announcement.link()},
            {QStringLiteral("rule"), rule}};
}

OutputMessage::OutputMessage(QList<OutputItem> items) : m_items(std::move(items)) {}

OutputMessage OutputMessage::sample(Instant now, const QString& portalOrigin)
{
    const Announcement announcement(QStringLiteral("zelvora-test-%1").arg(qint64(now.unixSeconds())),
                                    tr("Zelvora test announcement"),
                                    tr("This output works: Zelvora will send new announcements here."),
                                    portalOrigin, now, {QStringLiteral("2222")});
    return OutputMessage({OutputItem::of(announcement, tr("Saudi Arabian Oil Co."), {})});
}

QString OutputMessage::key() const
{
    if (m_items.size() == 1)
        return m_items.first().announcement.id();
    QCryptographicHash digest(QCryptographicHash::Sha256);
    for (const OutputItem& item : m_items) {
        digest.addData(item.announcement.id().toUtf8());
        digest.addData(QByteArrayView("\n"));
    }
    return QStringLiteral("summary-") + QString::fromLatin1(digest.result().toHex().left(32));
}

QString OutputMessage::title() const
{
    if (m_items.size() == 1)
        return m_items.first().announcement.displayTitle();
    return tr("%n new announcements", nullptr, int(m_items.size()));
}

QString OutputMessage::body() const
{
    if (m_items.size() == 1) {
        const Announcement& announcement = m_items.first().announcement;
        const QString text = announcement.strippedDescription();
        return text.isEmpty() ? announcement.link() : text + QStringLiteral("\n\n") + announcement.link();
    }
    QStringList lines;
    for (const OutputItem& item : m_items.mid(0, kSummaryLines)) {
        const QString symbol = item.symbol();
        lines.append((symbol.isEmpty() ? QString() : symbol + QStringLiteral(" · ")) +
                     item.announcement.displayTitle());
    }
    if (m_items.size() > kSummaryLines)
        lines.append(tr("and %n more", nullptr, int(m_items.size() - kSummaryLines)));
    return lines.join(QLatin1Char('\n'));
}

QString OutputMessage::link() const
{
    return m_items.size() == 1 ? m_items.first().announcement.link() : QString();
}

QStringList OutputMessage::symbols() const
{
    QStringList symbols;
    for (const OutputItem& item : m_items) {
        for (const QString& symbol : item.announcement.companies()) {
            if (!symbols.contains(symbol))
                symbols.append(symbol);
        }
    }
    return symbols;
}
