#include "shell/TrayIconRenderer.h"

#include "windows/WindowStyle.h"

#include <QFont>
#include <QFontDatabase>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace {
QPixmap drawBell(int size, bool withBadge)
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

QIcon TrayIconRenderer::bell(bool withBadge)
{
    static const bool loaded = (loadIconResources(), true);
    Q_UNUSED(loaded);
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(drawBell(size, withBadge));
    return icon;
}
