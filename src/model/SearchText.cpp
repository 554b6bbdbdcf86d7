#include "model/SearchText.h"

QString SearchText::fold(const QString& text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_KD).toLower();
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar character : decomposed) {
        // Harakat, shadda, the hamza marks split off alef, waw and yaa, Latin accents.
        if (character.category() == QChar::Mark_NonSpacing)
            continue;
        switch (character.unicode()) {
        case 0x0640: // tatweel
            break;
        case 0x0671: // alef wasla and the rarer alef forms without a decomposition
        case 0x0672:
        case 0x0673:
        case 0x0675:
            folded += QChar(0x0627);
            break;
        case 0x0629: // taa marbuta
            folded += QChar(0x0647);
            break;
        case 0x0649: // alef maqsura
        case 0x06CC: // Farsi yeh
            folded += QChar(0x064A);
            break;
        default:
            folded += character;
        }
    }
    return folded;
}

bool SearchText::containsToken(const QString& haystack, const QString& needle)
{
    if (needle.isEmpty())
        return false;
    for (qsizetype from = haystack.indexOf(needle); from >= 0; from = haystack.indexOf(needle, from + 1)) {
        const qsizetype end = from + needle.size();
        const bool openBefore = from == 0 || !haystack.at(from - 1).isLetterOrNumber();
        const bool openAfter = end == haystack.size() || !haystack.at(end).isLetterOrNumber();
        if (openBefore && openAfter)
            return true;
    }
    return false;
}
