#pragma once

#include <QString>

// The form texts are compared in when a person searches or watches for a word: lower case, accents
// and Arabic diacritics and tatweel dropped, the Arabic letters people write interchangeably made one
// (alef forms, taa marbuta and haa, alef maqsura and yaa), compatibility forms unfolded.
class SearchText
{
public:
    static QString fold(const QString& text);
    // Whether `needle` (already folded) occurs in `haystack` (already folded) with no letter or digit
    // right before or after it: "2222" is found in "(2222)" but not in "22225".
    static bool containsToken(const QString& haystack, const QString& needle);
};
