#include "windows/AnnouncementRowView.h"

#include "model/AnnouncementEmoji.h"
#include "platform/gui/UrlOpener.h"
#include "windows/LineClampLabel.h"
#include "windows/TagLabel.h"
#include "windows/WindowStyle.h"

#include <QBoxLayout>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVariantAnimation>

namespace {
constexpr int kHoverMilliseconds = 120;

const TagLabel::Look& rowTagLook(const QPalette& palette)
{
    auto make = [](const QColor& text) {
        return TagLabel::Look{WindowStyle::monospaceFont(10, QFont::DemiBold),
                              text,
                              WindowStyle::withAlpha(WindowStyle::kSaudiGreen, 0.1),
                              WindowStyle::withAlpha(WindowStyle::kSaudiGreen, 0.1),
                              3,
                              QMargins(5, 2, 5, 2)};
    };
    static const TagLabel::Look light = make(WindowStyle::kSaudiGreen);
    static const TagLabel::Look dark = make(WindowStyle::kLightGreen);
    return WindowStyle::isDark(palette) ? dark : light;
}
} // namespace

AnnouncementRowView::AnnouncementRowView(const Announcement& announcement, UrlOpener& opener, QWidget* parent)
    : QWidget(parent), m_announcement(announcement), m_opener(opener)
{
    const bool arabic = announcement.isArabic();
    // In a right-to-left interface every title starts at the right edge, next to its emoji.
    const Qt::Alignment alignment =
        arabic || QGuiApplication::isRightToLeft() ? Qt::AlignRight : Qt::AlignLeft;
    const Qt::LayoutDirection direction = arabic ? Qt::RightToLeft : Qt::LeftToRight;

    m_emoji = new QLabel(AnnouncementEmoji::forAnnouncement(announcement), this);
    m_emoji->setFont(WindowStyle::emojiFont(18));
    m_emoji->setFixedWidth(26);
    m_emoji->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    m_title = new LineClampLabel(announcement.displayTitle(), this);
    m_title->setFont(WindowStyle::systemFont(13, QFont::DemiBold));
    m_title->setTextAlignment(alignment);
    m_title->setTextDirection(direction);

    m_date = new QLabel(announcement.displayDate(), this);
    m_date->setFont(WindowStyle::systemFont(11));
    m_date->setContentsMargins(0, 1, 0, 0); // one pixel below the title's top
    m_date->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    const QString description = announcement.strippedDescription();
    m_description = new LineClampLabel(description, this);
    m_description->setFont(WindowStyle::systemFont(12));
    m_description->setTextAlignment(alignment);
    m_description->setTextDirection(direction);

    m_tagRow = new QWidget(this);
    auto* tags = new QHBoxLayout(m_tagRow);
    tags->setContentsMargins(0, 0, 0, 0);
    tags->setSpacing(4);
    for (const QString& company : announcement.companies().mid(0, kMaxTags))
        tags->addWidget(new TagLabel(company, rowTagLook(palette()), m_tagRow), 0, Qt::AlignVCenter);
    tags->addStretch(1);

    auto* heading = new QHBoxLayout;
    heading->setSpacing(8);
    heading->addWidget(m_title, 1, Qt::AlignTop);
    heading->addWidget(m_date, 0, Qt::AlignTop);

    auto* text = new QVBoxLayout;
    text->setSpacing(0);
    text->addLayout(heading);
    if (!description.isEmpty())
        text->addSpacing(4);
    text->addWidget(m_description);
    if (!announcement.companies().isEmpty())
        text->addSpacing(5);
    text->addWidget(m_tagRow);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 12, 14, 12);
    row->setSpacing(8);
    row->addWidget(m_emoji, 0, Qt::AlignTop);
    row->addLayout(text, 1);

    applyColors();
}

void AnnouncementRowView::applyColors()
{
    const QPalette& colors = palette();
    m_title->setTextColor(WindowStyle::labelColor(colors));
    m_description->setTextColor(WindowStyle::secondaryLabelColor(colors));
    WindowStyle::setColor(m_date, QPalette::WindowText, WindowStyle::tertiaryLabelColor(colors));
}

void AnnouncementRowView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        applyColors();
    QWidget::changeEvent(event);
}

void AnnouncementRowView::paintEvent(QPaintEvent*)
{
    if (m_background.alpha() == 0)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), m_background);
}

void AnnouncementRowView::animateBackground(const QColor& target)
{
    if (!m_hover) {
        m_hover = new QVariantAnimation(this);
        m_hover->setDuration(kHoverMilliseconds);
        connect(m_hover, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
            m_background = value.value<QColor>();
            QWidget::update();
        });
    }
    m_hover->stop();
    m_hover->setStartValue(m_background.alpha() == 0 ? WindowStyle::withAlpha(target, 0) : m_background);
    m_hover->setEndValue(target.alpha() == 0 ? WindowStyle::withAlpha(m_background, 0) : target);
    m_hover->start();
}

void AnnouncementRowView::enterEvent(QEnterEvent* event)
{
    animateBackground(WindowStyle::hoverColor(palette()));
    QWidget::enterEvent(event);
}

void AnnouncementRowView::leaveEvent(QEvent* event)
{
    animateBackground(Qt::transparent);
    QWidget::leaveEvent(event);
}

void AnnouncementRowView::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QWidget::mousePressEvent(event);
}

void AnnouncementRowView::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click =
        m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        rowTapped();
    QWidget::mouseReleaseEvent(event);
}

void AnnouncementRowView::rowTapped()
{
    const QUrl url = UrlOpener::webAddress(m_announcement.link());
    if (url.isValid())
        m_opener.open(url);
}
