#pragma once

#include "model/Announcement.h"

#include <QSet>
#include <QString>
#include <QStringList>

// What the user watches: company symbols and watch words. The one rule deciding whether an
// announcement concerns the user, for notifications, the menu's watchlist section and the tray dot.
class Watchlist
{
public:
    Watchlist() = default;
    // Words that are not usable (isUsableWord) are left out.
    Watchlist(const QSet<QString>& symbols, const QStringList& words);

    // A watch word needs two letters or digits once folded: one letter occurs in nearly every text.
    static constexpr int kMinWordLetters = 2;
    static bool isUsableWord(const QString& word);

    const QStringList& symbols() const { return m_symbols; } // sorted
    const QStringList& words() const { return m_words; }
    bool isEmpty() const { return m_symbols.isEmpty() && m_foldedWords.isEmpty(); }

    // The symbol or watch word that makes the announcement a match (symbols first), or an empty text.
    // A symbol matches a company of the announcement, or stands as a word of its own in the title or
    // the description text; a watch word occurs anywhere in them, in folded form (SearchText).
    QString matchFor(const Announcement& announcement) const;
    bool matches(const Announcement& announcement) const { return !matchFor(announcement).isEmpty(); }

private:
    QStringList m_symbols;
    QStringList m_words;
    QStringList m_foldedSymbols;
    QStringList m_foldedWords; // parallel to m_words, unusable words left out of both
};
