#include "model/DescriptionMarkup.h"

#include <QRegularExpression>

QString DescriptionMarkup::forPage(const QString& html)
{
    // The name must end the tag name as an HTML parser reads it: "<base>", "<base/", "<base href".
    // A ">" inside a quoted attribute cuts the tag short here, which leaves only text behind.
    static const QRegularExpression tags(
        QStringLiteral("<(?:base|link|iframe|frame|frameset|object|embed)(?=[\\s/>]|$)[^>]*>?"),
        QRegularExpression::CaseInsensitiveOption);
    QString out = html;
    // Again until nothing is left: removing "<base>" from "<ba<base>se href=…>" makes a new tag.
    for (qsizetype before = -1; out.size() != before;) {
        before = out.size();
        if (out.contains(QLatin1Char('<')))
            out.remove(tags);
    }
    return out;
}
