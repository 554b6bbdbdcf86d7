#include "windows/LineClampLabel.h"

#include <QEvent>
#include <QPainter>
#include <QTextLayout>
#include <cmath>

namespace {
constexpr int kWidestHint = 360;

QTextOption optionFor(Qt::Alignment alignment, Qt::LayoutDirection direction)
{
    QTextOption option(alignment | Qt::AlignAbsolute);
    option.setTextDirection(direction);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return option;
}
} // namespace

LineClampLabel::LineClampLabel(const QString& text, QWidget* parent) : QWidget(parent)
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setText(text);
}

void LineClampLabel::setText(const QString& text)
{
    m_text = text;
    m_layoutText = text;
    m_layoutText.replace(QLatin1Char('\n'), QChar::LineSeparator);
    invalidate();
}

void LineClampLabel::setMaxLines(int lines)
{
    m_maxLines = std::max(1, lines);
    invalidate();
}

void LineClampLabel::setTextAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment & Qt::AlignHorizontal_Mask;
    update();
}

void LineClampLabel::setTextDirection(Qt::LayoutDirection direction)
{
    m_direction = direction;
    invalidate();
}

void LineClampLabel::setTextColor(const QColor& color)
{
    m_color = color;
    update();
}

void LineClampLabel::invalidate()
{
    m_cache = Lines();
    updateGeometry();
    update();
}

const LineClampLabel::Lines& LineClampLabel::linesFor(int width) const
{
    if (m_cache.width == width)
        return m_cache;
    m_cache = Lines();
    m_cache.width = width;
    if (m_layoutText.isEmpty() || width <= 0)
        return m_cache;
    QTextLayout layout(m_layoutText, font());
    layout.setTextOption(optionFor(m_alignment, m_direction));
    layout.beginLayout();
    while (m_cache.spans.size() < m_maxLines) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        m_cache.spans.append({line.textStart(), line.textLength()});
    }
    layout.endLayout();
    if (!m_cache.spans.isEmpty()) {
        const auto& last = m_cache.spans.last();
        m_cache.truncated = last.first + last.second < m_layoutText.size();
    }
    return m_cache;
}

int LineClampLabel::visibleLineCount(int width) const
{
    return static_cast<int>(linesFor(width).spans.size());
}

int LineClampLabel::heightForWidth(int width) const
{
    return visibleLineCount(width) * static_cast<int>(std::ceil(QFontMetricsF(font()).lineSpacing()));
}

QSize LineClampLabel::sizeHint() const
{
    if (m_layoutText.isEmpty())
        return QSize(0, 0);
    const int natural = static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance(m_layoutText)));
    const int width = std::min(natural + 1, kWidestHint);
    return QSize(width, heightForWidth(width));
}

QSize LineClampLabel::minimumSizeHint() const
{
    // Narrow on purpose: the label wraps rather than widening its row.
    return QSize(0, heightForWidth(std::max(1, width())));
}

void LineClampLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        invalidate();
    QWidget::changeEvent(event);
}

void LineClampLabel::paintEvent(QPaintEvent*)
{
    const Lines& lines = linesFor(width());
    if (lines.spans.isEmpty())
        return;
    QPainter painter(this);
    painter.setPen(m_color.isValid() ? m_color : palette().color(QPalette::WindowText));
    const QTextOption option = optionFor(m_alignment, m_direction);
    const qreal lineHeight = std::ceil(QFontMetricsF(font()).lineSpacing());
    for (qsizetype i = 0; i < lines.spans.size(); ++i) {
        const bool elide = lines.truncated && i == lines.spans.size() - 1;
        QString text =
            m_layoutText.mid(lines.spans[i].first, elide ? m_layoutText.size() : lines.spans[i].second);
        if (elide) {
            text.replace(QChar::LineSeparator, QLatin1Char(' '));
            text = fontMetrics().elidedText(text, Qt::ElideRight, width());
        }
        QTextLayout layout(text, font());
        QTextOption lineOption = option;
        lineOption.setWrapMode(QTextOption::NoWrap);
        layout.setTextOption(lineOption);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        if (line.isValid())
            line.setLineWidth(width());
        layout.endLayout();
        layout.draw(&painter, QPointF(0, lineHeight * static_cast<qreal>(i)));
    }
}
