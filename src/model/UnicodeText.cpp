#include "model/UnicodeText.h"

#include <QTextBoundaryFinder>

QString UnicodeText::defaultLower(const QString& text)
{
    return text.toLower();
}

bool UnicodeText::containsCanonical(const QString& haystack, const QString& needle)
{
    if (needle.isEmpty())
        return false;
    const QString decomposedNeedle = needle.normalized(QString::NormalizationForm_D);
    if (decomposedNeedle.isEmpty())
        return false;
    return haystack.normalized(QString::NormalizationForm_D).contains(decomposedNeedle);
}

QString UnicodeText::firstGrapheme(const QString& text)
{
    return leftGraphemes(text, 1);
}

QString UnicodeText::leftGraphemes(const QString& text, qsizetype count)
{
    if (count <= 0)
        return {};
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype taken = 0;
    while (finder.toNextBoundary() != -1) {
        if (++taken == count)
            return text.left(finder.position());
    }
    return text;
}

qsizetype UnicodeText::graphemeCount(const QString& text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}
