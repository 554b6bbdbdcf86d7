#pragma once

#include "infra/Clock.h"

#include <QWidget>
#include <functional>

class HistoryStore;
class QLabel;
class QPushButton;

// The settings' history line: the archive's size on disk and "Clear History…", which asks first,
// then removes the texts of announcements older than 30 days (never the identifiers, so nothing
// comes back as new; never the kept list).
class HistorySettingsSection : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kKeptDays = 30;

    // `confirm` asks the user; by default a question box.
    HistorySettingsSection(HistoryStore& history, const Clock& clock, QWidget* parent = nullptr);

    void setConfirmation(std::function<bool()> confirm) { m_confirm = std::move(confirm); }
    void refresh();
    void clearHistory();

    QLabel* sizeLabel() const { return m_size; }
    QPushButton* clearButton() const { return m_clear; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    HistoryStore& m_history;
    const Clock& m_clock;
    std::function<bool()> m_confirm;
    QLabel* m_size = nullptr;
    QPushButton* m_clear = nullptr;
};
