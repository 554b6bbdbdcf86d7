#pragma once

#include <QString>

// Text operations that must follow Unicode rather than UTF-16 code units.
class UnicodeText
{
public:
    // Locale-independent default case mapping.
    static QString defaultLower(const QString& text);
    // Substring search treating canonically equivalent sequences as equal; an empty needle is never found.
    static bool containsCanonical(const QString& haystack, const QString& needle);
    // First extended grapheme cluster (a base character with its combining marks).
    static QString firstGrapheme(const QString& text);
    // The first `count` extended grapheme clusters, nothing appended.
    static QString leftGraphemes(const QString& text, qsizetype count);
    static qsizetype graphemeCount(const QString& text);
    // At most `count` grapheme clusters: a longer text is cut after its last whole word that fits
    // (mid-word only when that word is over half the room) and ends in "…", which is counted.
    static QString clippedAtWord(const QString& text, qsizetype count);
};
