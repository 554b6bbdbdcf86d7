#include "windows/AnnouncementItemDelegate.h"

#include "model/AnnouncementEmoji.h"
#include "windows/AnnouncementListModel.h"
#include "windows/WindowStyle.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

namespace {
constexpr QMargins kPadding(12, 12, 14, 12); // left, top, right, bottom in a left-to-right row
constexpr int kEmojiWidth = 26;
constexpr int kSpacing = 8;
constexpr int kTagHeight = 18;

struct Fonts
{
    QFont emoji = WindowStyle::emojiFont(18);
    QFont unreadTitle = WindowStyle::generalFont(13, QFont::Bold);
    QFont readTitle = WindowStyle::generalFont(13, QFont::Normal);
    QFont date = WindowStyle::generalFont(11);
    QFont text = WindowStyle::generalFont(12);
    QFont tag = WindowStyle::monospaceFont(10, QFont::DemiBold);
};

const Fonts& fonts()
{
    static const Fonts made;
    return made;
}

// Lays `text` out in at most `maxLines` lines of `width`, the last one elided; returns its height.
int drawClamped(QPainter* painter, const QString& text, const QFont& font, const QRect& box, int maxLines,
                Qt::LayoutDirection direction, Qt::Alignment alignment)
{
    const QFontMetrics metrics(font);
    QTextOption option(alignment | Qt::AlignAbsolute);
    option.setTextDirection(direction);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QTextLayout layout(text, font);
    layout.setTextOption(option);
    layout.beginLayout();
    int y = 0;
    for (int line = 0; line < maxLines; ++line) {
        QTextLine textLine = layout.createLine();
        if (!textLine.isValid())
            break;
        textLine.setLineWidth(box.width());
        const bool last = line + 1 == maxLines && textLine.textStart() + textLine.textLength() < text.size();
        if (last) {
            const QString rest =
                metrics.elidedText(text.mid(textLine.textStart()), Qt::ElideRight, box.width());
            const int flags = int(alignment | Qt::AlignAbsolute) | Qt::TextSingleLine;
            painter->setLayoutDirection(direction);
            painter->drawText(QRect(box.left(), box.top() + y, box.width(), metrics.height()), flags, rest);
            y += metrics.height();
            break;
        }
        textLine.setPosition(QPointF(0, y));
        textLine.draw(painter, box.topLeft());
        y += qCeil(textLine.height());
    }
    layout.endLayout();
    return y;
}
} // namespace

QSize AnnouncementItemDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const
{
    // A row without text (much market news) or without symbols does not keep their room empty.
    const auto* model = qobject_cast<const AnnouncementListModel*>(index.model());
    const bool hasText = !model || model->hasText(index.row());
    const bool hasTags = !model || !model->record(index.row()).announcement.companies().isEmpty();
    int height = kPadding.top() + QFontMetrics(fonts().unreadTitle).height() + kPadding.bottom() + 1;
    if (hasText)
        height += 4 + 2 * QFontMetrics(fonts().text).height();
    if (hasTags)
        height += 5 + kTagHeight;
    return {300, height};
}

void AnnouncementItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const
{
    const auto* model = qobject_cast<const AnnouncementListModel*>(index.model());
    if (!model)
        return;
    const HistoryRecord& record = model->record(index.row());
    const Announcement& announcement = record.announcement;
    const QPalette& palette = option.palette;
    const QRect row = option.rect;
    const bool rightToLeft = option.direction == Qt::RightToLeft;
    // A logical rectangle of the row (as if left to right) in the row's own direction.
    auto visual = [&](const QRect& logical) { return QStyle::visualRect(option.direction, row, logical); };

    painter->save();
    if (option.state & (QStyle::State_MouseOver | QStyle::State_Selected))
        painter->fillRect(row, WindowStyle::hoverColor(palette));
    painter->fillRect(QRect(row.left(), row.bottom(), row.width(), 1), WindowStyle::separatorColor(palette));

    const QRect inner = row.marginsRemoved(kPadding).adjusted(0, 0, 0, -1);
    painter->setFont(fonts().emoji);
    painter->setPen(WindowStyle::windowText(palette));
    painter->drawText(visual(QRect(inner.left(), inner.top(), kEmojiWidth, 26)), Qt::AlignLeft | Qt::AlignTop,
                      AnnouncementEmoji::forAnnouncement(announcement));

    const int textLeft = inner.left() + kEmojiWidth + kSpacing;
    const int textWidth = inner.right() - textLeft + 1;
    const QString date = announcement.displayDate();
    const QFontMetrics dateMetrics(fonts().date);
    const int dateWidth = dateMetrics.horizontalAdvance(date);
    painter->setFont(fonts().date);
    painter->setPen(WindowStyle::tertiaryText(palette));
    painter->drawText(
        visual(QRect(inner.right() - dateWidth + 1, inner.top() + 1, dateWidth, dateMetrics.height())),
        Qt::AlignLeft | Qt::AlignTop, date);

    // Arabic text reads from the right whatever the interface; in a right-to-left interface every
    // title starts at the right edge, next to its emoji, and keeps its own direction.
    const Qt::LayoutDirection textDirection = announcement.isArabic() ? Qt::RightToLeft : Qt::LeftToRight;
    const Qt::Alignment textAlignment =
        announcement.isArabic() || rightToLeft ? Qt::AlignRight : Qt::AlignLeft;
    const QFont& titleFont = record.read ? fonts().readTitle : fonts().unreadTitle;
    const int titleHeight = QFontMetrics(titleFont).height();
    painter->setFont(titleFont);
    painter->setPen(WindowStyle::windowText(palette));
    drawClamped(painter, announcement.displayTitle(), titleFont,
                visual(QRect(textLeft, inner.top(), textWidth - dateWidth - kSpacing, titleHeight)), 1,
                textDirection, textAlignment);

    const int textTop = inner.top() + titleHeight + 4;
    painter->setPen(WindowStyle::secondaryText(palette));
    painter->setFont(fonts().text);
    drawClamped(painter, announcement.strippedDescription(), fonts().text,
                visual(QRect(textLeft, textTop, textWidth, 2 * QFontMetrics(fonts().text).height())), 2,
                textDirection, textAlignment);

    // Symbols: tinted rounded tags from the text's start.
    const QFontMetrics tagMetrics(fonts().tag);
    const QColor green = WindowStyle::isDark(palette) ? WindowStyle::kLightGreen : WindowStyle::kSaudiGreen;
    painter->setFont(fonts().tag);
    painter->setRenderHint(QPainter::Antialiasing);
    int x = textLeft;
    const int tagTop = inner.bottom() - kTagHeight + 1;
    for (const QString& company : announcement.companies().mid(0, kMaxTags)) {
        const QRect tag =
            visual(QRect(x, tagTop, tagMetrics.horizontalAdvance(company) + 10, kTagHeight - 2));
        QPainterPath shape;
        shape.addRoundedRect(tag, 3, 3);
        painter->fillPath(shape, WindowStyle::withAlpha(WindowStyle::kSaudiGreen, 0.15));
        painter->setPen(green);
        painter->drawText(tag, Qt::AlignCenter, company);
        x += tag.width() + 4;
    }
    painter->restore();
}
