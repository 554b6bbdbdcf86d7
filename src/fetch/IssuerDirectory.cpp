#include "fetch/IssuerDirectory.h"

#include "model/SearchText.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <algorithm>
#include <cmath>

namespace {
bool isSymbol(const QString& text)
{
    return !text.isEmpty() && text.size() <= 12 &&
           std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isLetterOrNumber(); });
}

// Issuer announcements carry the issuer's name as their title; market news carries a headline.
bool namesItsIssuer(const Announcement& announcement)
{
    return announcement.companies().size() == 1 &&
           announcement.link().contains(QLatin1String("/issuer-announcements/"));
}
} // namespace

IssuerDirectory::IssuerDirectory(QString directory) : m_directory(std::move(directory))
{
    load();
}

QString IssuerDirectory::path() const
{
    return m_directory + QLatin1Char('/') + fileName;
}

void IssuerDirectory::load()
{
    QFile file(path());
    if (m_directory.isEmpty() || !file.open(QIODevice::ReadOnly) || file.size() > 4 * 1024 * 1024)
        return;
    const QJsonObject top = QJsonDocument::fromJson(file.readAll()).object();
    for (auto it = top.constBegin(); it != top.constEnd(); ++it) {
        const QJsonObject entry = it.value().toObject();
        const double seen = entry.value(QLatin1String("seen")).toDouble();
        if (!isSymbol(it.key()) || !std::isfinite(seen))
            continue;
        m_issuers.insert(it.key(),
                         {it.key(), entry.value(QLatin1String("en")).toString().left(kMaxNameLength),
                          entry.value(QLatin1String("ar")).toString().left(kMaxNameLength),
                          Instant::fromReferenceSeconds(seen)});
    }
}

bool IssuerDirectory::learn(const AnnouncementList& announcements, Instant now)
{
    bool changed = false;
    for (const Announcement& announcement : announcements) {
        const QString symbol = announcement.companies().value(0).trimmed();
        const QString name = announcement.displayTitle().left(kMaxNameLength);
        if (!namesItsIssuer(announcement) || !isSymbol(symbol) || name.isEmpty())
            continue;
        Issuer& issuer = m_issuers[symbol];
        issuer.symbol = symbol;
        QString& slot = announcement.isArabic() ? issuer.arabic : issuer.english;
        // A day's granularity is enough to know who was seen last; it saves a write per poll.
        const bool stale = issuer.lastSeen.referenceSeconds() < now.referenceSeconds() - 86400;
        if (slot != name || stale) {
            slot = name;
            issuer.lastSeen = now;
            changed = true;
        }
    }
    while (m_issuers.size() > kMaxIssuers) {
        const auto oldest =
            std::min_element(m_issuers.cbegin(), m_issuers.cend(), [](const Issuer& a, const Issuer& b) {
                return a.lastSeen.referenceSeconds() < b.lastSeen.referenceSeconds();
            });
        m_issuers.erase(oldest);
        changed = true;
    }
    return changed;
}

bool IssuerDirectory::save() const
{
    QJsonObject top;
    for (const Issuer& issuer : m_issuers) {
        top.insert(issuer.symbol, QJsonObject{{QStringLiteral("en"), issuer.english},
                                              {QStringLiteral("ar"), issuer.arabic},
                                              {QStringLiteral("seen"), issuer.lastSeen.referenceSeconds()}});
    }
    if (m_directory.isEmpty() || !QDir().mkpath(m_directory))
        return false;
    QSaveFile file(path());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(top).toJson(QJsonDocument::Compact));
    return file.commit();
}

const IssuerDirectory::Issuer* IssuerDirectory::find(const QString& symbol) const
{
    const auto it = m_issuers.constFind(symbol.trimmed());
    return it == m_issuers.constEnd() ? nullptr : &it.value();
}

QString IssuerDirectory::displayName(const QString& symbol) const
{
    const Issuer* issuer = find(symbol);
    if (!issuer)
        return {};
    if (issuer->english.isEmpty() || issuer->arabic.isEmpty())
        return issuer->english + issuer->arabic;
    return issuer->english + QStringLiteral(" \u00B7 ") + issuer->arabic;
}

QList<IssuerDirectory::Issuer> IssuerDirectory::search(const QString& text) const
{
    const QString needle = SearchText::fold(text.trimmed());
    QList<Issuer> found;
    if (needle.isEmpty())
        return found;
    for (const Issuer& issuer : m_issuers) {
        if (issuer.symbol.startsWith(text.trimmed(), Qt::CaseInsensitive) ||
            SearchText::fold(issuer.english).contains(needle) ||
            SearchText::fold(issuer.arabic).contains(needle))
            found.append(issuer);
    }
    return found;
}
