#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

// Colours and fonts shared by the windows. Sizes are device-independent pixels; text colours are
// derived from the palette so light and dark themes both read well.
namespace WindowStyle {
inline const QColor kSaudiGreen{0x00, 0x6C, 0x35};
inline const QColor kLightGreen{0x00, 0xA8, 0x52};

QFont systemFont(int pixelSize, QFont::Weight weight = QFont::Normal);
QFont monospaceFont(int pixelSize, QFont::Weight weight = QFont::Normal);

// `color` with the given opacity (0..1).
QColor withAlpha(QColor color, qreal alpha);

QColor labelColor(const QPalette& palette);
QColor secondaryLabelColor(const QPalette& palette); // body text of lower rank
QColor tertiaryLabelColor(const QPalette& palette);  // dates, hints, footers
QColor separatorColor(const QPalette& palette);
QColor hoverColor(const QPalette& palette); // the highlight at a light tint
bool isDark(const QPalette& palette);
} // namespace WindowStyle
