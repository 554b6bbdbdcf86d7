#include "model/Watchlist.h"

#include "model/SearchText.h"

Watchlist::Watchlist(const QSet<QString>& symbols, const QStringList& words)
{
    for (const QString& symbol : symbols) {
        if (!symbol.trimmed().isEmpty())
            m_symbols.append(symbol);
    }
    m_symbols.sort();
    for (const QString& symbol : std::as_const(m_symbols))
        m_foldedSymbols.append(SearchText::fold(symbol.trimmed()));
    QSet<QString> seen;
    for (const QString& word : words) {
        const QString folded = SearchText::fold(word.trimmed());
        if (!isUsableWord(word) || seen.contains(folded))
            continue;
        seen.insert(folded);
        m_words.append(word);
        m_foldedWords.append(folded);
    }
}

bool Watchlist::isUsableWord(const QString& word)
{
    const QString folded = SearchText::fold(word.trimmed());
    int letters = 0;
    for (const QChar c : folded) {
        // A character outside the basic plane counts once, by its first half.
        if (c.isLetterOrNumber() || c.isHighSurrogate())
            ++letters;
    }
    return letters >= kMinWordLetters;
}

QString Watchlist::matchFor(const Announcement& announcement) const
{
    if (isEmpty())
        return {};
    QStringList companies;
    for (const QString& company : announcement.companies())
        companies.append(SearchText::fold(company.trimmed()));
    for (qsizetype i = 0; i < m_symbols.size(); ++i) {
        if (companies.contains(m_foldedSymbols.at(i)))
            return m_symbols.at(i);
    }
    // Folded once per announcement, and only when a company did not already decide.
    const QString text = SearchText::fold(announcement.displayTitle()) + QLatin1Char('\n') +
                         SearchText::fold(announcement.strippedDescription());
    for (qsizetype i = 0; i < m_symbols.size(); ++i) {
        if (SearchText::containsToken(text, m_foldedSymbols.at(i)))
            return m_symbols.at(i);
    }
    for (qsizetype i = 0; i < m_words.size(); ++i) {
        if (text.contains(m_foldedWords.at(i)))
            return m_words.at(i);
    }
    return {};
}
