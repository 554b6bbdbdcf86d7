#pragma once

#include "infra/Instant.h"
#include "model/Announcement.h"

#include <QList>
#include <QMap>
#include <QString>

// Symbol -> the issuer's English and Arabic names, learned from the issuer announcements of every poll
// (their title is the issuer's name) and kept in "issuers.json" beside the announcement cache. Unlike
// the cache it outlives the 30-day window: a company that announced once stays findable by name.
class IssuerDirectory
{
public:
    static inline const QString fileName = QStringLiteral("issuers.json");
    static constexpr int kMaxIssuers = 3000;   // the exchange lists well under half that
    static constexpr int kMaxNameLength = 160; // characters
    static constexpr int kMaxSymbolLength = 12;
    // A larger file is not read. What is written stays below it: a name holds no control character
    // (which JSON would write as six bytes), so each character takes at most three bytes.
    static constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;
    static_assert(qint64{kMaxIssuers} * (3 * kMaxSymbolLength + 2 * 3 * kMaxNameLength + 96) < kMaxFileBytes);

    struct Issuer
    {
        QString symbol;
        QString english;
        QString arabic;
        Instant lastSeen;
    };

    // Reads the file in `directory`; a missing or unreadable file gives an empty directory.
    explicit IssuerDirectory(QString directory);

    // Adds or updates the issuers named by these announcements; true when anything changed.
    bool learn(const AnnouncementList& announcements, Instant now);
    // The name as kept: control characters and broken surrogate pairs removed, spaces simplified,
    // at most kMaxNameLength characters.
    static QString cleanName(const QString& name);

    // Writes the file atomically; failure leaves the old file.
    bool save() const;

    bool isEmpty() const { return m_issuers.isEmpty(); }
    const Issuer* find(const QString& symbol) const;
    // "English name" or the Arabic one, both when both are known; empty for an unknown symbol.
    QString displayName(const QString& symbol) const;
    QList<Issuer> issuers() const { return m_issuers.values(); } // by symbol
    // Issuers whose symbol starts with `text` or whose name contains it (SearchText folding).
    QList<Issuer> search(const QString& text) const;

private:
    QString path() const;
    void load();
    bool trim(); // drops the issuers seen longest ago beyond kMaxIssuers, in one pass

    QString m_directory;
    QMap<QString, Issuer> m_issuers;
};
