#include "windows/WindowStyle.h"

#include <QFontDatabase>

namespace {
// Text colour laid over the window colour at the given opacity, as an opaque colour.
QColor blendedText(const QPalette& palette, qreal alpha)
{
    const QColor text = palette.color(QPalette::WindowText);
    const QColor back = palette.color(QPalette::Window);
    return QColor::fromRgbF(static_cast<float>(text.redF() * alpha + back.redF() * (1 - alpha)),
                            static_cast<float>(text.greenF() * alpha + back.greenF() * (1 - alpha)),
                            static_cast<float>(text.blueF() * alpha + back.blueF() * (1 - alpha)));
}
} // namespace

namespace WindowStyle {
QFont systemFont(int pixelSize, QFont::Weight weight)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

QFont monospaceFont(int pixelSize, QFont::Weight weight)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

QColor withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(static_cast<float>(alpha));
    return color;
}

QColor labelColor(const QPalette& palette)
{
    return palette.color(QPalette::WindowText);
}

QColor secondaryLabelColor(const QPalette& palette)
{
    return blendedText(palette, 0.62);
}

QColor tertiaryLabelColor(const QPalette& palette)
{
    return blendedText(palette, isDark(palette) ? 0.45 : 0.42);
}

QColor separatorColor(const QPalette& palette)
{
    return blendedText(palette, 0.12);
}

QColor hoverColor(const QPalette& palette)
{
    return withAlpha(palette.color(QPalette::Highlight), 0.08);
}

bool isDark(const QPalette& palette)
{
    return palette.color(QPalette::Window).lightnessF() < 0.5;
}
} // namespace WindowStyle
