#include "shell/MenuStyle.h"

#include <QFontDatabase>

namespace {
// A lighter text colour: the label colour blended into the background, so dark themes work too.
QColor blend(const QPalette& palette, qreal amount)
{
    const QColor text = palette.color(QPalette::WindowText);
    const QColor base = palette.color(QPalette::Window);
    return QColor::fromRgbF(text.redF() * amount + base.redF() * (1 - amount),
                            text.greenF() * amount + base.greenF() * (1 - amount),
                            text.blueF() * amount + base.blueF() * (1 - amount));
}
} // namespace

QColor MenuStyle::secondaryLabel(const QPalette& palette)
{
    return blend(palette, 0.62);
}

QColor MenuStyle::tertiaryLabel(const QPalette& palette)
{
    return blend(palette, 0.42);
}

QFont MenuStyle::systemFont(qreal pixelSize, QFont::Weight weight)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(qRound(pixelSize));
    font.setWeight(weight);
    return font;
}

QFont MenuStyle::monospacedFont(qreal pixelSize)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(qRound(pixelSize));
    return font;
}
