#include "windows/TagLabel.h"

#include <QPainter>
#include <cmath>

TagLabel::TagLabel(const QString& text, Look look, QWidget* parent)
    : QWidget(parent), m_text(text), m_look(std::move(look))
{
    setFont(m_look.font);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    const QFontMetricsF metrics(m_look.font);
    const QSize textSize(static_cast<int>(std::ceil(metrics.horizontalAdvance(m_text))),
                         static_cast<int>(std::ceil(metrics.height())));
    m_hint = textSize.grownBy(m_look.padding);
}

QSize TagLabel::sizeHint() const
{
    return m_hint;
}

void TagLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_look.fill);
    painter.drawRoundedRect(QRectF(rect()), m_look.radius, m_look.radius);
    const QRectF textArea = QRectF(rect()).marginsRemoved(QMarginsF(m_look.padding));
    if (m_look.innerFill.isValid()) {
        painter.setBrush(m_look.innerFill);
        painter.drawRoundedRect(textArea, m_look.radius, m_look.radius);
    }
    painter.setPen(m_look.text);
    painter.drawText(textArea, Qt::AlignCenter | Qt::TextSingleLine, m_text);
}
