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
constexpr int kEmojiWidth = 22; // the emoji column, as in the list window

// Drawn at a given baseline, so that a line whose glyphs come from a taller fallback font (colour
// emoji, Arabic) stands on the same line as its date instead of being centred a pixel or two off.
void drawAtBaseline(QPainter& painter, const QRect& area, int baseline, const QString& text, bool alignRight)
{
    const QFontMetrics metrics(painter.font());
    const QString shown = metrics.horizontalAdvance(text) <= area.width()
                              ? text
                              : metrics.elidedText(text, Qt::ElideRight, area.width());
    const int width = metrics.horizontalAdvance(shown);
    painter.drawText(QPoint(alignRight ? area.right() + 1 - width : area.left(), baseline), shown);
}
} // namespace

QString AnnouncementMenuItem::shortened(const QString& text, int length)
{
    if (UnicodeText::graphemeCount(text) <= length)
        return text;
    return UnicodeText::leftGraphemes(text, length) + QChar(0x2026);
}

AnnouncementMenuItem::AnnouncementMenuItem(const Announcement& announcement, const QString& emoji,
                                           const QString& date, Form form, QWidget* parent)
    : QWidget(parent), m_emoji(emoji), m_date(date), m_rightToLeft(announcement.isArabic())
{
    m_title = shortened(announcement.displayTitle(), kTitleLength);
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
        m_description = shortened(description, kDescriptionLength);
    if (!announcement.companies().isEmpty()) {
        QStringList tags;
        for (const QString& company : announcement.companies().mid(0, 3))
            tags.append(QLatin1Char('[') + company + QLatin1Char(']'));
        m_companies = tags.join(QLatin1Char(' '));
    }
}

QSize AnnouncementMenuItem::sizeHint() const
{
    int height = kMargin / 2 + QFontMetrics(WindowStyle::generalFont(12, QFont::Medium)).height();
    if (!m_description.isEmpty())
        height += kLineGap + QFontMetrics(WindowStyle::generalFont(11)).height();
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

    // Logical rectangles, mirrored as a whole in a right-to-left interface (date on the left, emoji
    // on the right). Every line starts at the emoji column; a line starts at the right edge when
    // its text or the interface is right to left, as in the list window.
    const bool mirrored = isRightToLeft();
    const auto place = [this](const QRect& r) { return QStyle::visualRect(layoutDirection(), rect(), r); };
    const bool alignRight = m_rightToLeft || mirrored;
    const Qt::LayoutDirection direction = m_rightToLeft ? Qt::RightToLeft : Qt::LeftToRight;
    const int textLeft = kMargin + kEmojiWidth;
    int y = kMargin / 2;

    const QFont titleFont = WindowStyle::generalFont(12, m_unread ? QFont::Bold : QFont::Medium);
    const QFont dateFont = WindowStyle::generalFont(10);
    const QFontMetrics titleMetrics(titleFont);
    const int baseline = y + titleMetrics.ascent();
    const int dateWidth = QFontMetrics(dateFont).horizontalAdvance(m_date);
    const int dateLeft = kDateTabStop - dateWidth;

    // The emoji in its own colour font: the title's fallback would find outline glyphs first.
    painter.setFont(WindowStyle::emojiFont(13));
    painter.setLayoutDirection(Qt::LeftToRight);
    drawAtBaseline(painter, place(QRect(kMargin / 2, y, kEmojiWidth, titleMetrics.height())), baseline,
                   m_emoji, false);

    painter.setLayoutDirection(direction);
    painter.setFont(titleFont);
    painter.setPen(textColor(WindowStyle::windowText(pal)));
    drawAtBaseline(
        painter, place(QRect(textLeft, y, std::max(0, dateLeft - kMargin - textLeft), titleMetrics.height())),
        baseline, m_title, alignRight);

    painter.setLayoutDirection(layoutDirection()); // "2:05 م" reads right to left
    painter.setFont(dateFont);
    painter.setPen(textColor(WindowStyle::tertiaryText(pal)));
    drawAtBaseline(painter, place(QRect(dateLeft, y, dateWidth, titleMetrics.height())), baseline, m_date,
                   false);
    y += titleMetrics.height();

    const int lineWidth = width() - kMargin - textLeft;
    if (!m_description.isEmpty()) {
        const QFont font = WindowStyle::generalFont(11);
        const QFontMetrics metrics(font);
        y += kLineGap;
        painter.setLayoutDirection(direction);
        painter.setFont(font);
        painter.setPen(textColor(WindowStyle::secondaryText(pal)));
        drawAtBaseline(painter, place(QRect(textLeft, y, lineWidth, metrics.height())), y + metrics.ascent(),
                       m_description, alignRight);
        y += metrics.height();
    }
    if (!m_companies.isEmpty()) {
        const QFont font = WindowStyle::monospaceFont(10);
        const QFontMetrics metrics(font);
        y += kLineGap;
        painter.setLayoutDirection(Qt::LeftToRight);
        painter.setFont(font);
        painter.setPen(m_highlighted ? pal.color(QPalette::HighlightedText) : WindowStyle::kSaudiGreen);
        drawAtBaseline(painter, place(QRect(textLeft, y, lineWidth, metrics.height())), y + metrics.ascent(),
                       m_companies, mirrored);
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
