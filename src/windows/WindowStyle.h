#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

class QWidget;

// Colours and fonts shared by the windows. Sizes are device-independent pixels; text colours are
// derived from the palette so light and dark themes both read well.
namespace WindowStyle {
inline const QColor kSaudiGreen{0x00, 0x6C, 0x35};
inline const QColor kLightGreen{0x00, 0xA8, 0x52};

QFont generalFont(int pixelSize, QFont::Weight weight = QFont::Normal);
QFont monospaceFont(int pixelSize, QFont::Weight weight = QFont::Normal);
// Prefers a colour emoji font: font fallback would otherwise take the first font with the glyph,
// often a monochrome symbol font.
QFont emojiFont(int pixelSize);

// `color` with the given opacity (0..1).
QColor withAlpha(QColor color, qreal alpha);

QColor windowText(const QPalette& palette);
QColor secondaryText(const QPalette& palette); // body text of lower rank
QColor tertiaryText(const QPalette& palette);  // dates, hints, footers
QColor separatorColor(const QPalette& palette);
QColor hoverColor(const QPalette& palette); // the highlight at a light tint
// Brand green for text: the dark green reads poorly on a dark window, so dark themes get the light one.
QColor greenText(const QPalette& palette);
bool isDark(const QPalette& palette);

// Sets one colour of the widget's own palette (text: WindowText; filled background: Window).
void setColor(QWidget* widget, QPalette::ColorRole role, const QColor& color);
} // namespace WindowStyle
