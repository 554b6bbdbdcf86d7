#pragma once

#include <QStyledItemDelegate>

// Draws one announcement of an AnnouncementListModel as the list window's row: category emoji,
// title (bold while unread) and date, two lines of the plain text, up to four company symbols,
// tinted under the mouse, a separator below. Every row has the same height, so a view of thousands
// lays out and scrolls at the cost of the rows on screen.
class AnnouncementItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    static constexpr int kMaxTags = 4;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
