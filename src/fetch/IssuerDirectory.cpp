#include "fetch/IssuerDirectory.h"

#include "model/SearchText.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {
bool isSymbol(const QString& text)
{
    return !text.isEmpty() && text.size() <= IssuerDirectory::kMaxSymbolLength &&
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
    if (m_directory.isEmpty() || !file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes)
        return;
    const QJsonObject top = QJsonDocument::fromJson(file.readAll()).object();
    for (auto it = top.constBegin(); it != top.constEnd(); ++it) {
        const QJsonObject entry = it.value().toObject();
        const double seen = entry.value(QLatin1String("seen")).toDouble();
        if (!isSymbol(it.key()) || !std::isfinite(seen))
            continue;
        m_issuers.insert(it.key(), {it.key(), cleanName(entry.value(QLatin1String("en")).toString()),
                                    cleanName(entry.value(QLatin1String("ar")).toString()),
                                    Instant::fromReferenceSeconds(seen)});
    }
    trim();
}

QString IssuerDirectory::cleanName(const QString& name)
{
    QString kept;
    kept.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
            kept.append(c);
            kept.append(name.at(++i));
        } else if (!c.isSurrogate() && c.category() != QChar::Other_Control) {
            kept.append(c);
        }
    }
    kept = kept.simplified();
    if (kept.size() > kMaxNameLength)
        kept.truncate(kept.at(kMaxNameLength - 1).isHighSurrogate() ? kMaxNameLength - 1 : kMaxNameLength);
    // A cut on a space must not leave it at the end: the name read back would differ from the one saved.
    return kept.trimmed();
}

bool IssuerDirectory::trim()
{
    const qsizetype excess = m_issuers.size() - kMaxIssuers;
    if (excess <= 0)
        return false;
    std::vector<std::pair<double, QString>> byAge;
    byAge.reserve(static_cast<size_t>(m_issuers.size()));
    for (const Issuer& issuer : std::as_const(m_issuers))
        byAge.emplace_back(issuer.lastSeen.referenceSeconds(), issuer.symbol);
    std::nth_element(byAge.begin(), byAge.begin() + excess, byAge.end());
    for (auto it = byAge.cbegin(); it != byAge.cbegin() + excess; ++it)
        m_issuers.remove(it->second);
    return true;
}

bool IssuerDirectory::learn(const AnnouncementList& announcements, Instant now)
{
    bool changed = false;
    for (const Announcement& announcement : announcements) {
        const QString symbol = announcement.companies().value(0).trimmed();
        const QString name = cleanName(announcement.displayTitle());
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
    return trim() || changed;
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
    const QByteArray bytes = QJsonDocument(top).toJson(QJsonDocument::Compact);
    if (bytes.size() > kMaxFileBytes) // would not be read back
        return false;
    file.write(bytes);
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
