#include "shell/TrayIconRenderer.h"

#include "windows/WindowStyle.h"

#include <QFont>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace {
// Grey, faded and struck through from corner to corner: visibly not the live bell, in colour or not.
void markNotWatching(QPixmap& pixmap)
{
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = qGray(line[x]);
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) * 11 / 20);
        }
    }
    pixmap = QPixmap::fromImage(image);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const int size = pixmap.width();
    const qreal inset = size * 0.12;
    painter.setPen(QPen(Qt::white, size / 6.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(inset, inset), QPointF(size - inset, size - inset));
    painter.setPen(QPen(QColor(0xB0, 0x1E, 0x1E), size / 11.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(inset, inset), QPointF(size - inset, size - inset));
}

QPixmap drawBell(int size, bool withBadge, bool notWatching)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    // The bundled SVG looks the same on every desktop; the emoji font is only a fallback.
    QSvgRenderer svg(QStringLiteral(":/zelvora/zelvora.svg"));
    if (svg.isValid()) {
        svg.render(&painter, QRectF(pixmap.rect()));
    } else {
        QFont font(QStringLiteral("Noto Color Emoji"));
        font.setPixelSize(size * 3 / 4);
        painter.setFont(font);
        painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("\U0001F514"));
    }
    if (notWatching) {
        painter.end();
        markNotWatching(pixmap);
        painter.begin(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
    }
    if (withBadge) {
        const qreal dot = size * 0.38;
        painter.setPen(QPen(Qt::white, size / 16.0));
        painter.setBrush(WindowStyle::kSaudiGreen);
        painter.drawEllipse(QRectF(size - dot - 1, 1, dot, dot));
    }
    return pixmap;
}
} // namespace

static void loadIconResources()
{
    // The resources live in a static library: pull them in explicitly.
    Q_INIT_RESOURCE(zelvora);
}

QIcon TrayIconRenderer::bell(bool withBadge, bool notWatching)
{
    static const bool loaded = (loadIconResources(), true);
    Q_UNUSED(loaded);
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(drawBell(size, withBadge, notWatching));
    return icon;
}
