#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

// Colours and fonts shared by the tray menu's drawing. Sizes are device-independent pixels.
class MenuStyle
{
public:
    static QColor saudiGreen() { return QColor(0, 108, 53); }
    static QColor label(const QPalette& palette) { return palette.color(QPalette::WindowText); }
    static QColor secondaryLabel(const QPalette& palette);
    static QColor tertiaryLabel(const QPalette& palette);
    static QFont systemFont(qreal pixelSize, QFont::Weight weight = QFont::Normal);
    static QFont monospacedFont(qreal pixelSize);
};
