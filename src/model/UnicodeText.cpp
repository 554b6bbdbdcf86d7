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

QString UnicodeText::clippedAtWord(const QString& text, qsizetype count)
{
    if (count <= 0)
        return {};
    if (graphemeCount(text) <= count)
        return text;
    QString cut = leftGraphemes(text, count - 1);
    const bool wordCut = !text.at(cut.size()).isSpace();
    if (wordCut) {
        qsizetype space = cut.size();
        while (space > 0 && !cut.at(space - 1).isSpace())
            --space;
        if (space > cut.size() / 2)
            cut.truncate(space);
    }
    // No dangling comma, dash or opening bracket before the ellipsis.
    static const QString dangling = QStringLiteral(",;:-(\u060C\u061B\u2013\u2014");
    while (!cut.isEmpty() && (cut.back().isSpace() || dangling.contains(cut.back())))
        cut.chop(1);
    return cut + QChar(0x2026);
}

qsizetype UnicodeText::graphemeCount(const QString& text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}
