#pragma once

#include "model/Announcement.h"

#include <QWidget>

// One announcement in the tray menu: emoji and title with the date right-aligned at 390 px on the
// same line, then the description line and the [SYMBOL] line when present. The compact form, for
// screens too short for the whole menu, is one line: emoji, title and headline, date.
class AnnouncementMenuItem : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kTitleLength = 52;
    static constexpr int kDescriptionLength = 72;
    static constexpr int kDateTabStop = 390;

    enum class Form { Full, Compact };

    AnnouncementMenuItem(const Announcement& announcement, const QString& emoji, const QString& date,
                         Form form = Form::Full, QWidget* parent = nullptr);

    QString emoji() const { return m_emoji; }
    QString titleText() const { return m_title; }
    QString dateText() const { return m_date; }
    QString descriptionText() const { return m_description; }
    QString companiesText() const { return m_companies; }
    bool rightToLeft() const { return m_rightToLeft; }
    void setHighlighted(bool highlighted);
    // An unread announcement's title is bold.
    void setUnread(bool unread) { m_unread = unread; }
    bool unread() const { return m_unread; }
    bool highlighted() const { return m_highlighted; }

    QSize sizeHint() const override;

    // More than `length` grapheme clusters: the first `length` and "…"; otherwise the text whole.
    static QString shortened(const QString& text, int length);

Q_SIGNALS:
    void clicked();
    // The pointer came over the item: the menu makes it its one active item.
    void entered();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString m_emoji;
    QString m_title;
    QString m_date;
    QString m_description;
    QString m_companies;
    bool m_rightToLeft = false;
    bool m_highlighted = false;
    bool m_unread = false;
    bool m_pressed = false;
};
