#include "shell/AnnouncementMenuItem.h"

#include "model/UnicodeText.h"
#include "shell/AnnouncementMenuLine.h"
#include "windows/WindowStyle.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QTextDocument>

namespace {
constexpr int kMargin = 8;
constexpr int kLineGap = 2;
constexpr int kWidth = 420;
} // namespace

QString AnnouncementMenuItem::shortened(const QString& text, int length)
{
    if (UnicodeText::graphemeCount(text) <= length)
        return text;
    return UnicodeText::leftGraphemes(text, length) + QChar(0x2026);
}

AnnouncementMenuItem::AnnouncementMenuItem(const Announcement& announcement, const QString& emoji,
                                           const QString& date, Form form, QWidget* parent)
    : QWidget(parent), m_date(date), m_rightToLeft(announcement.isArabic())
{
    m_title = QStringLiteral("  ") + emoji + QLatin1Char(' ') +
              shortened(announcement.displayTitle(), kTitleLength);
    // Escaped: Qt reads a tooltip that looks like HTML as rich text (an <img> would be loaded).
    setToolTip(Qt::convertFromPlainText(announcement.displayTitle()));
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    if (form == Form::Compact) {
        // The painter cuts the line at the date; the headline keeps one company's items apart.
        const QString headline = AnnouncementMenuLine::headline(announcement);
        if (!headline.isEmpty())
            m_title += QStringLiteral(" \u2014 ") + shortened(headline, kDescriptionLength);
        return;
    }
    const QString description = announcement.strippedDescription();
    if (!description.isEmpty())
        m_description = QStringLiteral("  ") + shortened(description, kDescriptionLength);
    if (!announcement.companies().isEmpty()) {
        QStringList tags;
        for (const QString& company : announcement.companies().mid(0, 3))
            tags.append(QLatin1Char('[') + company + QLatin1Char(']'));
        m_companies = QStringLiteral("  ") + tags.join(QLatin1Char(' '));
    }
}

QSize AnnouncementMenuItem::sizeHint() const
{
    int height = kMargin / 2 + QFontMetrics(WindowStyle::systemFont(12, QFont::Medium)).height();
    if (!m_description.isEmpty())
        height += kLineGap + QFontMetrics(WindowStyle::systemFont(11)).height();
    if (!m_companies.isEmpty())
        height += kLineGap + QFontMetrics(WindowStyle::monospaceFont(10)).height();
    return {kWidth, height + kMargin / 2};
}

void AnnouncementMenuItem::setHighlighted(bool highlighted)
{
    if (m_highlighted == highlighted)
        return;
    m_highlighted = highlighted;
    update();
}

void AnnouncementMenuItem::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& pal = palette();
    if (m_highlighted)
        painter.fillRect(rect(), pal.color(QPalette::Highlight));
    const auto textColor = [&](const QColor& normal) {
        return m_highlighted ? pal.color(QPalette::HighlightedText) : normal;
    };

    // Absolute: in a right-to-left painter a plain AlignRight would be mirrored to the left. In a
    // right-to-left interface the item mirrors (date on the left) and every line starts at the
    // right edge, as in the list window; title and description keep their own writing direction.
    const bool mirrored = isRightToLeft();
    const auto place = [this](const QRect& r) { return QStyle::visualRect(layoutDirection(), rect(), r); };
    const Qt::Alignment alignment =
        (m_rightToLeft || mirrored ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignAbsolute | Qt::AlignVCenter;
    const Qt::LayoutDirection direction = m_rightToLeft ? Qt::RightToLeft : Qt::LeftToRight;
    int y = kMargin / 2;

    const QFont titleFont = WindowStyle::systemFont(12, m_unread ? QFont::Bold : QFont::Medium);
    const QFont dateFont = WindowStyle::systemFont(10);
    const int titleHeight = QFontMetrics(titleFont).height();
    const int dateWidth = QFontMetrics(dateFont).horizontalAdvance(m_date);
    const int dateLeft = kDateTabStop - dateWidth;

    painter.setLayoutDirection(direction);
    painter.setFont(titleFont);
    painter.setPen(textColor(WindowStyle::labelColor(pal)));
    const int textLeft = m_rightToLeft || mirrored ? kMargin : 0;
    const QRect titleRect(textLeft, y, std::max(0, dateLeft - kMargin - textLeft), titleHeight);
    painter.drawText(place(titleRect), int(alignment) | Qt::TextSingleLine,
                     QFontMetrics(titleFont).elidedText(m_title, Qt::ElideRight, titleRect.width()));

    painter.setLayoutDirection(layoutDirection()); // "2:05 م" reads right to left
    painter.setFont(dateFont);
    painter.setPen(textColor(WindowStyle::tertiaryLabelColor(pal)));
    painter.drawText(place(QRect(dateLeft, y, dateWidth, titleHeight)), Qt::AlignRight | Qt::AlignVCenter,
                     m_date);
    y += titleHeight;

    const int lineWidth = width() - kMargin - textLeft;
    if (!m_description.isEmpty()) {
        const QFont font = WindowStyle::systemFont(11);
        const int height = QFontMetrics(font).height();
        y += kLineGap;
        painter.setLayoutDirection(direction);
        painter.setFont(font);
        painter.setPen(textColor(WindowStyle::secondaryLabelColor(pal)));
        painter.drawText(place(QRect(textLeft, y, lineWidth, height)), int(alignment) | Qt::TextSingleLine,
                         QFontMetrics(font).elidedText(m_description, Qt::ElideRight, lineWidth));
        y += height;
    }
    if (!m_companies.isEmpty()) {
        const QFont font = WindowStyle::monospaceFont(10);
        const int height = QFontMetrics(font).height();
        y += kLineGap;
        painter.setLayoutDirection(Qt::LeftToRight);
        painter.setFont(font);
        painter.setPen(m_highlighted ? pal.color(QPalette::HighlightedText) : WindowStyle::kSaudiGreen);
        painter.drawText(place(QRect(mirrored ? kMargin : 0, y, lineWidth, height)),
                         (mirrored ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignAbsolute | Qt::AlignVCenter,
                         m_companies);
    }
}

void AnnouncementMenuItem::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void AnnouncementMenuItem::mouseReleaseEvent(QMouseEvent* event)
{
    // Only a press and release on the item choose it: the release of the click that opened the
    // menu must not open whatever item appeared under the pointer.
    const bool chosen =
        m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (chosen)
        Q_EMIT clicked();
}

void AnnouncementMenuItem::enterEvent(QEnterEvent*)
{
    setHighlighted(true);
    Q_EMIT entered();
}

void AnnouncementMenuItem::leaveEvent(QEvent*)
{
    setHighlighted(false);
}
