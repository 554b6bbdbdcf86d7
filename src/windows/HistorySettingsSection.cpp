#include "windows/HistorySettingsSection.h"

#include "history/HistoryStore.h"
#include "windows/WindowStyle.h"

#include <QBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

HistorySettingsSection::HistorySettingsSection(HistoryStore& history, const Clock& clock, QWidget* parent)
    : QWidget(parent), m_history(history), m_clock(clock)
{
    m_size = new QLabel;
    m_size->setFont(WindowStyle::generalFont(12));
    m_clear = new QPushButton(tr("Clear History…"));
    m_clear->setFont(WindowStyle::generalFont(11));
    connect(m_clear, &QPushButton::clicked, this, &HistorySettingsSection::clearHistory);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_size, 1);
    layout->addWidget(m_clear);
    m_confirm = [this] {
        return QMessageBox::question(
                   window(), tr("Clear History?"),
                   tr("The texts of announcements older than %n days are removed. The last %n days, your "
                      "watchlist and what Zelvora has already seen stay.",
                      nullptr, kKeptDays)) == QMessageBox::Yes;
    };
    refresh();
}

void HistorySettingsSection::refresh()
{
    m_size->setText(tr("History on disk: %1").arg(locale().formattedDataSize(m_history.fileSize())));
}

void HistorySettingsSection::showEvent(QShowEvent* event)
{
    refresh();
    QWidget::showEvent(event);
}

void HistorySettingsSection::clearHistory()
{
    if (!m_confirm())
        return;
    if (m_history.removeTextsBefore(m_clock.now().addSeconds(-86400.0 * kKeptDays)) >= 0)
        m_history.compact();
    refresh();
}
