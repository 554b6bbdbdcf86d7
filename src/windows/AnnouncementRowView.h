#pragma once

#include "model/Announcement.h"

#include <QColor>
#include <QWidget>

class LineClampLabel;
class QLabel;
class QVariantAnimation;
class UrlOpener;

// One announcement in the list window: category emoji, title, date, two lines of the plain
// description and up to four company tags. Tinted under the mouse; a click opens the
// announcement's page in the browser.
class AnnouncementRowView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kMaxTags = 4;

    AnnouncementRowView(const Announcement& announcement, UrlOpener& opener, QWidget* parent = nullptr);

    const Announcement& announcement() const { return m_announcement; }
    QColor backgroundColor() const { return m_background; }

    QLabel* emojiLabel() const { return m_emoji; }
    LineClampLabel* titleLabel() const { return m_title; }
    QLabel* dateLabel() const { return m_date; }
    LineClampLabel* descriptionLabel() const { return m_description; }
    QWidget* tagRow() const { return m_tagRow; }

    void rowTapped();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void applyColors();
    void animateBackground(const QColor& target);

    Announcement m_announcement;
    UrlOpener& m_opener;
    QLabel* m_emoji = nullptr;
    LineClampLabel* m_title = nullptr;
    QLabel* m_date = nullptr;
    LineClampLabel* m_description = nullptr;
    QWidget* m_tagRow = nullptr;
    QColor m_background = Qt::transparent;
    QVariantAnimation* m_hover = nullptr;
    bool m_pressed = false;
};
