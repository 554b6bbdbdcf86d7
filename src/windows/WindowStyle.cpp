#include "windows/WindowStyle.h"

#include <QFontDatabase>
#include <QWidget>

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
QFont generalFont(int pixelSize, QFont::Weight weight)
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

QFont emojiFont(int pixelSize)
{
    QFont font = generalFont(pixelSize);
    font.setFamilies({QStringLiteral("Noto Color Emoji"), QStringLiteral("Apple Color Emoji"),
                      QStringLiteral("Segoe UI Emoji"), QStringLiteral("Twemoji"), font.family()});
    return font;
}

QColor withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(static_cast<float>(alpha));
    return color;
}

QColor windowText(const QPalette& palette)
{
    return palette.color(QPalette::WindowText);
}

QColor secondaryText(const QPalette& palette)
{
    return blendedText(palette, 0.62);
}

QColor tertiaryText(const QPalette& palette)
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

QColor greenText(const QPalette& palette)
{
    return isDark(palette) ? kLightGreen : kSaudiGreen;
}

bool isDark(const QPalette& palette)
{
    return palette.color(QPalette::Window).lightnessF() < 0.5;
}

void setColor(QWidget* widget, QPalette::ColorRole role, const QColor& color)
{
    QPalette colors = widget->palette();
    colors.setColor(role, color);
    widget->setPalette(colors);
}
} // namespace WindowStyle
