#pragma once

#include "model/Announcement.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <optional>

// What kind of announcement an item is, read from its headline: for an issuer announcement the first
// sentence of its text (its title is only the issuer's name), for market news its title. Keywords are
// English and Arabic, matched as whole words in SearchText's folded form; an Arabic word may carry the
// article and the attached particles (وال، بال، لل…) and a pronoun ending (ها، هم). When several
// categories match, the first in the order of Kind wins.
class AnnouncementCategory
{
    Q_DECLARE_TR_FUNCTIONS(AnnouncementCategory)
public:
    enum class Kind { Trading, Assembly, Dividends, Capital, Results, Board, Contracts, Exchange, Other };

    static const QList<Kind>& all(); // in the order of precedence
    // The stable key ("dividends"), as stored in rules and printed by the command line.
    static QString key(Kind kind);
    static std::optional<Kind> fromKey(const QString& key);
    static const QStringList& keys();
    static QString emoji(Kind kind);
    // For lists and pop-ups ("Dividends", "توزيعات الأرباح").
    static QString displayName(Kind kind);
    // Inside a sentence, such as a notification's first line: the key in English.
    static QString inlineName(Kind kind);

    // Classified on the first call and kept with the announcement (and its copies).
    static Kind of(const Announcement& announcement);
    // For a record read back with the key it was stored with, so that what is shown, exported and
    // searched agrees with the stored column. An unknown or empty key leaves it to `of`.
    static void assume(Announcement& announcement, const QString& storedKey);
    // The text `of` classifies: the description's first sentence (without the issuer's name) for an
    // issuer announcement, else the title. An item of neither feed (by its link) whose title names no
    // category is classified by its text.
    static QString headline(const Announcement& announcement);
    // `marketNews`: a headline that names nothing else is a notice of the exchange.
    static Kind classify(const QString& headline, bool marketNews);
    static bool isIssuerAnnouncement(const Announcement& announcement);
    static bool isMarketNews(const Announcement& announcement);
};
